// The timeline and gated tables, the frame clock and the fade, against a real
// GL context (each scene is rendered inside an attribute push and pop).
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/FrameClock.h"
#include "frame/Timeline.h"
#include "scenes/Scene.h"
#include "support/GlTestWindow.h"

namespace {

// Records each call as (id, time, level) into a log shared by several scenes.
struct Call {
    int id;
    float time, level;
};
struct RecordingScene : Scene {
    RecordingScene(std::vector<Call>& log, int id) : log(log), id(id) {}
    void render(float time, float level) override { log.push_back({id, time, level}); }
    std::vector<Call>& log;
    int id;
};

class TimelineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestWindow(); }
    std::vector<Call> log;
};

TEST_F(TimelineTest, EntriesDrawOnBothBoundsInInsertionOrderWithTheirOwnTime)
{
    RecordingScene a(log, 1), b(log, 2), c(log, 3);
    Timeline timeline;
    timeline.addTimelineEntry(&a, 10.0f, 20.0f);
    timeline.addTimelineEntry(&b, 15.5f, 60.0f);
    timeline.addTimelineEntry(&c, 0.0f, 100.0f);
    for (float t : {9.999f, 10.0f, 15.5f, 20.0f, 20.001f})
        timeline.drawScenes(t);
    const std::vector<std::pair<int, float>> expected = {
        {3, 9.999f}, {1, 0.0f}, {3, 10.0f}, {1, 5.5f}, {2, 0.0f}, {3, 15.5f},
        {1, 10.0f}, {2, 4.5f}, {3, 20.0f}, {2, 4.501f}, {3, 20.001f}};
    ASSERT_EQ(log.size(), expected.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].id, expected[i].first) << i;
        EXPECT_NEAR(log[i].time, expected[i].second, 1e-4) << i;
        EXPECT_EQ(log[i].level, 0.0f) << i;
    }
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

// Frame by frame: the gate value, the frame time, and the scene's time after
// it (-1: not drawn). Closing and opening restarts the scene's time; a gate
// opening at t = 0 stores 0, which reads as closed, so it restarts once more.
// A seek forward moves the scene's time on with the frame time; one back to
// before the gate opened restarts it, never giving it a negative time.
TEST_F(TimelineTest, AGatedSceneCountsItsTimeFromTheFrameItsGateOpened)
{
    struct Frame {
        float gate, t, sceneTime;
    } frames[] = {{1.0f, 0.0f, 0.0f}, {1.0f, 0.5f, 0.0f}, {1.0f, 0.75f, 0.25f}, {0.0f, 1.0f, -1},
                  {0.25f, 2.0f, 0.0f}, {0.25f, 3.5f, 1.5f}, {0.0f, 4.0f, -1},
                  {0.75f, 6.0f, 0.0f}, {0.75f, 7.0f, 1.0f},
                  {0.75f, 20.0f, 14.0f}, {0.75f, 5.0f, 0.0f}, {0.75f, 5.5f, 0.5f}};
    std::atomic<float> gate{0.0f};
    RecordingScene scene(log, 1);
    Timeline timeline;
    EXPECT_EQ(timeline.addGatedScene(&scene, &gate), 1);
    for (const Frame& f : frames) {
        log.clear();
        gate = f.gate;
        timeline.drawScenes(f.t);
        SCOPED_TRACE(f.t);
        ASSERT_EQ(log.size(), f.sceneTime < 0 ? 0u : 1u);
        if (!log.empty()) {
            EXPECT_FLOAT_EQ(log[0].time, f.sceneTime);
            EXPECT_EQ(log[0].level, f.gate);
        }
    }
}

TEST_F(TimelineTest, ARemovedSceneLeavesBothTablesAndTheOthersKeepTheirOrderAndGateTime)
{
    std::atomic<float> gate{1.0f};
    RecordingScene a(log, 1), gone(log, 2), b(log, 3);
    Timeline timeline;
    for (Scene* s : {static_cast<Scene*>(&a), static_cast<Scene*>(&gone), static_cast<Scene*>(&b)}) {
        timeline.addTimelineEntry(s, 0.0f, 10.0f);
        timeline.addGatedScene(s, &gate);
    }
    timeline.drawScenes(1.0f);  // gates open at 1
    timeline.removeScene(&gone);
    EXPECT_EQ(timeline.timelineCount(), 2);
    EXPECT_EQ(timeline.gatedCount(), 2);
    log.clear();
    timeline.drawScenes(3.0f);
    ASSERT_EQ(log.size(), 4u);
    const int ids[] = {1, 3, 1, 3};
    const float times[] = {3.0f, 3.0f, 2.0f, 2.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(log[i].id, ids[i]) << i;
        EXPECT_FLOAT_EQ(log[i].time, times[i]) << i;
    }
}

TEST_F(TimelineTest, A257thEntryIsRefusedWithOneLineAndNeverDraws)
{
    Timeline timeline;
    RecordingScene inside(log, 1), refused(log, 2);
    std::atomic<float> gate{1.0f};
    for (int i = 0; i < Timeline::kCapacity; ++i) {
        ASSERT_TRUE(timeline.addTimelineEntry(&inside, 0.0f, 1.0f));
        ASSERT_EQ(timeline.addGatedScene(&inside, &gate), i + 1);
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(timeline.addTimelineEntry(&refused, 0.0f, 1.0f));
    EXPECT_EQ(timeline.addGatedScene(&refused, &gate), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "The timeline table is full (256 entries): entry refused\n"
              "The gated table is full (256 entries): entry refused\n");
    timeline.drawScenes(0.5f);
    EXPECT_EQ(log.size(), 512u);
    for (const Call& c : log)
        ASSERT_EQ(c.id, 1);
}

TEST(FrameClock, TheFirstFrameIsAtTimeZeroOrTheTicksBetweenItsTwoReadings)
{
    std::vector<uint32_t> ticks = {123456, 123459, 125456, 543456};
    size_t next = 0;
    FrameClock clock([&] { return ticks[next++]; });
    EXPECT_NEAR(clock.frameTime(), 0.003f, 1e-4);
    EXPECT_NEAR(clock.frameTime(), 2.0f, 1e-3);
    EXPECT_NEAR(clock.frameTime(), 420.0f, 1e-2);
}

TEST(Fade, TheBlackQuadRisesFromFourHundredTwentySecondsToFullAtFourThirty)
{
    struct Case {
        float t;
        bool active;
        float alpha;
    } cases[] = {{419.99f, false, 0.0f}, {420.0f, true, 0.0f}, {425.0f, true, 0.5f},
                 {430.0f, true, 1.0f}, {900.0f, true, 1.0f}};
    for (const Case& c : cases) {
        EXPECT_EQ(fadeActive(c.t), c.active) << c.t;
        EXPECT_NEAR(fadeAlpha(c.t), c.alpha, 1e-5) << c.t;
    }
}

}  // namespace
