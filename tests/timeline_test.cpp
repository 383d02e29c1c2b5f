// The timeline and gated tables, the frame clock and the fade, against a real
// GL context (each scene is rendered inside an attribute push and pop).
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/FrameClock.h"
#include "app/Scene.h"
#include "app/Timeline.h"
#include "support/GlTestWindow.h"

namespace {

struct Call {
    float time;
    float level;
};

class RecordingScene : public Scene {
public:
    void render(float time, float level) override { calls.push_back({time, level}); }
    std::vector<Call> calls;
};

class TimelineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestWindow(); }
};

TEST_F(TimelineTest, AnEntryDrawsOnBothOfItsBoundsAndNowhereOutside)
{
    struct Case {
        float t;
        bool draws;
    } cases[] = {
        {9.999f, false}, {10.0f, true}, {15.5f, true}, {20.0f, true}, {20.001f, false},
    };
    for (const Case& c : cases) {
        Timeline timeline;
        RecordingScene scene;
        timeline.addTimelineEntry(&scene, 10.0f, 20.0f);
        timeline.drawScenes(c.t);
        ASSERT_EQ(scene.calls.size(), c.draws ? 1u : 0u) << "t = " << c.t;
        if (c.draws) {
            EXPECT_FLOAT_EQ(scene.calls[0].time, c.t - 10.0f);
            EXPECT_EQ(scene.calls[0].level, 0.0f);
        }
    }
}

TEST_F(TimelineTest, EntriesDrawInInsertionOrderWithTheirOwnTime)
{
    std::vector<int> order;
    struct OrderScene : Scene {
        OrderScene(std::vector<int>& o, int i) : order(o), id(i) {}
        void render(float, float) override { order.push_back(id); }
        std::vector<int>& order;
        int id;
    } a(order, 1), b(order, 2), c(order, 3);
    Timeline timeline;
    timeline.addTimelineEntry(&a, 0.0f, 100.0f);
    timeline.addTimelineEntry(&b, 50.0f, 60.0f);
    timeline.addTimelineEntry(&c, 0.0f, 100.0f);
    timeline.drawScenes(30.0f);
    timeline.drawScenes(55.0f);
    EXPECT_EQ(order, (std::vector<int>{1, 3, 1, 2, 3}));
}

TEST_F(TimelineTest, ASceneCannotLeakGlStateIntoTheNext)
{
    struct Leaky : Scene {
        void render(float, float) override { glEnable(GL_LIGHTING); }
    } leaky;
    struct Probe : Scene {
        void render(float, float) override { lightingSeen = glIsEnabled(GL_LIGHTING); }
        GLboolean lightingSeen = GL_TRUE;
    } probe;
    glDisable(GL_LIGHTING);
    Timeline timeline;
    timeline.addTimelineEntry(&leaky, 0.0f, 1.0f);
    timeline.addTimelineEntry(&probe, 0.0f, 1.0f);
    timeline.drawScenes(0.5f);
    EXPECT_EQ(probe.lightingSeen, GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_FALSE);
}

TEST_F(TimelineTest, AGatedSceneCountsItsTimeFromTheFrameItsGateOpened)
{
    std::atomic<float> gate{0.0f};
    RecordingScene scene;
    Timeline timeline;
    EXPECT_EQ(timeline.addGatedScene(&scene, &gate), 1);

    timeline.drawScenes(1.0f);  // closed: no call
    gate = 0.25f;
    timeline.drawScenes(2.0f);  // opens at 2
    timeline.drawScenes(3.5f);
    gate = 0.0f;
    timeline.drawScenes(4.0f);  // closes
    gate = 0.75f;
    timeline.drawScenes(6.0f);  // reopens: time starts at 0 again
    timeline.drawScenes(7.0f);

    ASSERT_EQ(scene.calls.size(), 4u);
    const float times[] = {0.0f, 1.5f, 0.0f, 1.0f};
    const float levels[] = {0.25f, 0.25f, 0.75f, 0.75f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(scene.calls[i].time, times[i]) << i;
        EXPECT_FLOAT_EQ(scene.calls[i].level, levels[i]) << i;
    }
}

TEST_F(TimelineTest, AGateOpeningAtTimeZeroRestartsItsClockOnTheNextFrame)
{
    std::atomic<float> gate{1.0f};
    RecordingScene scene;
    Timeline timeline;
    timeline.addGatedScene(&scene, &gate);
    timeline.drawScenes(0.0f);  // gateStart = 0, which still reads as closed
    timeline.drawScenes(0.5f);  // so the clock starts here
    timeline.drawScenes(0.75f);
    ASSERT_EQ(scene.calls.size(), 3u);
    EXPECT_FLOAT_EQ(scene.calls[0].time, 0.0f);
    EXPECT_FLOAT_EQ(scene.calls[1].time, 0.0f);
    EXPECT_FLOAT_EQ(scene.calls[2].time, 0.25f);
}

TEST_F(TimelineTest, A257thEntryIsRefusedWithOneLineAndNeverDraws)
{
    Timeline timeline;
    RecordingScene inside, refused;
    std::atomic<float> gate{1.0f};
    for (int i = 0; i < Timeline::kCapacity; ++i) {
        ASSERT_TRUE(timeline.addTimelineEntry(&inside, 0.0f, 1.0f));
        ASSERT_EQ(timeline.addGatedScene(&inside, &gate), i + 1);
    }

    testing::internal::CaptureStderr();
    EXPECT_FALSE(timeline.addTimelineEntry(&refused, 0.0f, 1.0f));
    EXPECT_EQ(timeline.addGatedScene(&refused, &gate), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "The timeline table is full (256 entries): entry refused\n"
              "The gated table is full (256 entries): entry refused\n");

    EXPECT_EQ(timeline.timelineCount(), 256);
    EXPECT_EQ(timeline.gatedCount(), 256);
    timeline.drawScenes(0.5f);
    timeline.drawScenes(0.75f);
    EXPECT_TRUE(refused.calls.empty());
    EXPECT_EQ(inside.calls.size(), 2u * 512u);
}

TEST(FrameClock, TheFirstFrameIsAtTimeZeroOrTheTicksBetweenItsTwoReadings)
{
    std::vector<uint32_t> ticks = {123456, 123459, 125456, 543456};
    size_t next = 0;
    FrameClock clock([&] { return ticks[next++]; });
    EXPECT_FALSE(clock.started());
    EXPECT_NEAR(clock.frameTime(), 0.003f, 1e-4);
    EXPECT_TRUE(clock.started());
    EXPECT_NEAR(clock.frameTime(), 2.0f, 1e-3);
    EXPECT_NEAR(clock.frameTime(), 420.0f, 1e-2);
}

TEST(FrameClock, AnEntryStartingAtZeroDrawsFromTheFirstFrame)
{
    openTestWindow();
    FrameClock clock([] { return 5000u; });
    Timeline timeline;
    RecordingScene scene;
    timeline.addTimelineEntry(&scene, 0.0f, 850.0f);
    timeline.drawScenes(clock.frameTime());
    ASSERT_EQ(scene.calls.size(), 1u);
    EXPECT_EQ(scene.calls[0].time, 0.0f);
}

TEST(Fade, TheBlackQuadRisesFromFourHundredTwentySecondsToFullAtFourThirty)
{
    struct Case {
        float t;
        bool active;
        float alpha;
    } cases[] = {
        {0.0f, false, 0.0f}, {419.99f, false, 0.0f}, {420.0f, true, 0.0f}, {425.0f, true, 0.5f},
        {430.0f, true, 1.0f}, {600.0f, true, 1.0f}, {900.0f, true, 1.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fadeActive(c.t), c.active) << c.t;
        EXPECT_NEAR(fadeAlpha(c.t), c.alpha, 1e-5) << c.t;
    }
}

}  // namespace
