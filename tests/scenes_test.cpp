// The tiled disc and the image-sequence flip-book on real pixels, drawn
// through the timeline's own tables with the show's projection and GL state.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frame/ShowGl.h"
#include "frame/Timeline.h"
#include "gfx/Image.h"
#include "gfx/Texture.h"
#include "gfx/WindowGlobals.h"
#include "scenes/ImageSequenceScene.h"
#include "scenes/TiledDiscScene.h"
#include "support/GlTestWindow.h"
#include "support/PictureFiles.h"

using namespace testing::internal;

namespace {

using Pixels = std::vector<unsigned char>;

Pixels readArea(int x, int y, int w, int h)
{
    Pixels p(size_t(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

Pixels drawEntry(Scene& scene, float time, float gate = 0.0f)
{
    std::atomic<float> gateValue{gate};
    Timeline timeline;
    if (gate == 0.0f)
        timeline.addTimelineEntry(&scene, 0.0f, 1000.0f);
    else
        timeline.addGatedScene(&scene, &gateValue);
    timeline.drawScenes(time);
    return readArea(0, 0, 800, 600);
}

class ScenesTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openTestWindow();
        gWindowAspect = 0.75f;
    }
    static void TearDownTestSuite() { gWindowAspect = 1.0f; }
    void SetUp() override
    {
        setShowProjection(800, 600);
        setShowStartupState();
    }
};

bool isBlack(const Pixels& p)
{
    for (size_t i = 0; i < p.size(); ++i)
        if (i % 4 != 3 && p[i] != 0)  // alpha aside
            return false;
    return true;
}

void clearTo(float grey)
{
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace

// Closed at 0 s and 2 s, half open at 0.25 s, open from 0.5 s to the end of
// the cycle; a gate that closes and opens again starts the cycle afresh.
TEST_F(ScenesTest, TheDiscOpensOverTheFirstHalfSecondOfEachCycleInsideBlackCorners)
{
    CaptureStdout();
    const Texture floor("images/floor01.jpg", 512, 512);  // bound, as the disc expects
    GetCapturedStdout();
    TiledDiscScene disc;
    std::vector<Pixels> frames;
    for (float t : {0.0f, 0.25f, 0.5f, 1.99f, 2.0f}) {
        frames.push_back(drawEntry(disc, t));
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_TRUE(isBlack(readArea(corner % 2 * 790, corner / 2 * 590, 10, 10)))
                << "t = " << t << ", corner " << corner;
    }
    const Pixels &closed = frames[0], &half = frames[1], &open = frames[2];
    EXPECT_EQ(frames[4], closed);
    EXPECT_EQ(frames[3], open);
    EXPECT_NE(closed, open);
    EXPECT_NE(half, closed);
    EXPECT_NE(half, open);

    std::atomic<float> gate{1.0f};
    Timeline timeline;
    timeline.addGatedScene(&disc, &gate);
    const struct { float gate, t; const Pixels& shows; } gated[] = {
        {1, 10.0f, closed}, {1, 10.5f, open}, {0, 11.0f, open}, {1, 11.7f, closed}};
    for (const auto& g : gated) {
        gate = g.gate;
        timeline.drawScenes(g.t);
        EXPECT_EQ(readArea(0, 0, 800, 600), g.shows) << "gated, t = " << g.t;
    }

    // A second disc, built after other draws from the generator, is the same.
    std::rand();
    TiledDiscScene again;
    EXPECT_EQ(drawEntry(again, 0.25f), half);
}

TEST_F(ScenesTest, TheDiscSubmits380QuadsAndLeavesItsPlacementInTheModelview)
{
    ASSERT_TRUE(GLEW_ARB_pipeline_statistics_query);
    TiledDiscScene disc;
    GLuint query = 0, vertices = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_VERTICES_SUBMITTED_ARB, query);
    drawEntry(disc, 1.0f);
    glEndQuery(GL_VERTICES_SUBMITTED_ARB);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &vertices);
    glDeleteQueries(1, &query);
    EXPECT_EQ(vertices, 380u * 4);

    const std::vector<float> m = currentMatrices();
    EXPECT_EQ(std::vector<float>(m.begin(), m.begin() + 16),
              (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -2, 1}));
    EXPECT_EQ(modelviewDepth(), 1);
}

// Frames told apart by their background near the four corners; the files'
// first row belongs at the top of the viewport.
TEST_F(ScenesTest, TheFlipBookShowsItsNumberedFramesUprightOverTheWholeViewportInTurn)
{
    EXPECT_EQ(ImageSequenceScene::frameFileName("x", 7), "x/07.jpg");
    EXPECT_EQ(ImageSequenceScene::frameFileName("x", 100), "x/100.jpg");
    CaptureStdout();
    ImageSequenceScene book("images/sequence", 10);
    std::vector<std::unique_ptr<Image>> files;
    for (int n = 1; n <= 10; ++n)
        files.push_back(std::make_unique<Image>(
            ImageSequenceScene::frameFileName("images/sequence", n).c_str(), 512, 512));
    GetCapturedStdout();

    // 0.1999 s is the end of the cycle: frame 10 never shows. A time before
    // the start (only a direct caller passes one) stays within the table.
    const struct { float t; int file; } cases[] = {
        {0.0f, 1}, {0.1f, 5}, {0.1999f, 9}, {0.2f, 1}, {-0.1f, 5}};
    const int points[4][2] = {{4, 4}, {795, 4}, {4, 595}, {795, 595}};  // from the top left
    for (const auto& c : cases) {
        clearTo(0.0f);  // so that the frame's own colours show
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        book.render(c.t, 0.0f);
        glPopAttrib();
        for (const auto& p : points) {
            const uint32_t texel = files[c.file - 1]->getPixel(uint32_t((p[0] + 0.5) * 512 / 800),
                                                               uint32_t((p[1] + 0.5) * 512 / 600));
            const Rgba got = readPixel(p[0], 599 - p[1]);
            const int off = std::max({std::abs(got.r - int(texel & 0xFF)), std::abs(got.g - int(texel >> 8 & 0xFF)),
                                      std::abs(got.b - int(texel >> 16))});
            EXPECT_LE(off, 6) << "t = " << c.t << " at " << p[0] << ", " << p[1];
        }
    }
}

// A flat frame of 51 (0.2) over a background of 128 (0.5): image + (1 - alpha)
// x background, alpha 0.6 on the timeline and 0.8 x gate + 0.6 when gated.
TEST_F(ScenesTest, TheFlipBookAddsItsImageToWhatOpacityLeavesOfTheFrame)
{
    std::filesystem::create_directories(pictureDir() + "/flat");
    convertPixels("flat/01.jpg", 8, 8, 3, Bytes(8 * 8 * 3, 51));
    CaptureStdout();
    ImageSequenceScene book((pictureDir() + "/flat").c_str(), 1);
    GetCapturedStdout();
    const struct { float gate; int grey; } cases[] = {{0.0f, 102}, {0.25f, 77}, {0.5f, 51}};
    for (const auto& c : cases) {
        clearTo(0.5f);
        drawEntry(book, 0.3f, c.gate);
        EXPECT_NEAR(readPixel(400, 300).g, c.grey, 2) << "gate " << c.gate;
    }
}

TEST_F(ScenesTest, RefusedFramesAreNamedOnStandardErrorAndNeverLoadedOrDrawn)
{
    for (int count : {0, -3}) {
        ImageSequenceScene empty("no/such/folder", count);  // loading anything there would end the test
        clearTo(0.5f);
        drawEntry(empty, 0.1f);
        EXPECT_EQ(readPixel(400, 300).g, 128) << count << " frames draw nothing";
    }

    // Only 01.jpg to 64.jpg exist: asking for 70 must not reach 65.jpg.
    const std::string folder = pictureDir() + "/many";
    std::filesystem::create_directories(folder);
    const Bytes frame = readFile(convertPixels("many/01.jpg", 8, 8, 3, Bytes(8 * 8 * 3, 200)));
    for (int n = 2; n <= ImageSequenceScene::kMaxFrames; ++n)
        writeFile(ImageSequenceScene::frameFileName("many", n), frame);
    CaptureStdout();
    CaptureStderr();
    ImageSequenceScene book(folder.c_str(), 70);
    const std::string loads = GetCapturedStdout();
    EXPECT_EQ(GetCapturedStderr(),
              "70 frames asked for in \"" + folder +
                  "\": the frame table holds 64, frames 65 to 70 refused\n");
    EXPECT_EQ(std::count(loads.begin(), loads.end(), '\n'), 64);

    const std::string extra = ImageSequenceScene::frameFileName(folder.c_str(), 65);
    CaptureStderr();
    EXPECT_FALSE(book.addFrame(extra.c_str()));
    EXPECT_EQ(GetCapturedStderr(), "The frame table is full (64 frames): \"" + extra + "\" refused\n");
    EXPECT_EQ(book.frameCount(), 64);
    clearTo(0.0f);
    drawEntry(book, 1.27f);
    EXPECT_NEAR(readPixel(400, 300).g, 200, 2);
}

// The dying child re-runs this test alone in a fresh process with its own window.
using ScenesDeathTest = ScenesTest;

TEST_F(ScenesDeathTest, AMissingFrameEndsTheProcessWithTheLoadersReport)
{
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ImageSequenceScene("images/sequence", 11), testing::ExitedWithCode(1),
                testing::Eq("Image: Unable to load file \"images/sequence/11.jpg\"\n"));
    GTEST_FLAG_SET(death_test_style, style);
}
