// The off-screen stage against the real GL: its size, the begin/end pair, the
// final pass (exact with input value 0 at 0, shaken by rand() otherwise) and
// the two screen effects. The feedback pass's copy texture is process-wide, so
// the test that sees it made is the first to call the pass.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"

using namespace testing::internal;

static std::unique_ptr<FboStage> makeStage(int w, int h)
{
    CaptureStdout();
    auto stage = std::make_unique<FboStage>(w, h);
    GetCapturedStdout();
    return stage;
}

// Clears one rectangle of the bound framebuffer to an opaque grey or colour.
static void fillRect(int x, int y, int w, int h, int r, int g = -1, int b = -1)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(r / 255.0f, (g < 0 ? r : g) / 255.0f, (b < 0 ? r : b) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

static void expectPixel(int x, int y, int r, int g, int b, int tolerance = 1)
{
    const Rgba p = readPixel(x, y);
    EXPECT_NEAR(p.r, r, tolerance) << "at " << x << ", " << y;
    EXPECT_NEAR(p.g, g, tolerance) << "at " << x << ", " << y;
    EXPECT_NEAR(p.b, b, tolerance) << "at " << x << ", " << y;
}

static std::array<GLint, 4> getInts(GLenum what)
{
    std::array<GLint, 4> v{-1, -1, -1, -1};
    glGetIntegerv(what, v.data());
    return v;
}
static GLint getInt(GLenum what) { return getInts(what)[0]; }

// The window as the show has it when a frame starts: its viewport, blending
// over, depth test and culling on.
class FboStageTest : public testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glViewport(0, 0, 800, 600);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
};

TEST_F(FboStageTest, TheCopyTextureIsMadeOnceAndLaterStagesMapThroughItsRealHeight)
{
    ASSERT_EQ(FboStage::copyTexture(), nullptr);
    auto narrow = makeStage(256, 256);
    narrow->begin();
    narrow->feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);
    narrow->end();
    const Texture* copy = FboStage::copyTexture();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->width, 1024);
    EXPECT_EQ(copy->height, 512) << "a stage of 480 or fewer pixels across gets 1024 x 512";

    // A wider stage, which would have made it 1024 x 1024: the minimal pass
    // adds the top-left quarter (in four colours, the rest black) stretched.
    auto stage = makeStage(512, 512);
    stage->begin();
    fillRect(0, 0, 512, 512, 0);
    fillRect(0, 384, 128, 128, 64, 0, 0);
    fillRect(128, 384, 128, 128, 0, 0, 64);
    fillRect(0, 256, 128, 128, 0, 64, 0);
    fillRect(128, 256, 128, 128, 64);
    stage->feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);
    expectPixel(384, 384, 0, 0, 64);
    expectPixel(128, 128, 0, 64, 0);
    expectPixel(384, 128, 64, 64, 64);
    expectPixel(64, 448, 128, 0, 0);  // the quarter itself plus its own stretched corner
    stage->end();
    EXPECT_EQ(FboStage::copyTexture(), copy);
}

TEST_F(FboStageTest, AFullFeedbackPassLeavesMatricesStacksAndBlendingAsFound)
{
    auto stage = makeStage(512, 512);
    const auto matrices = currentMatrices();
    const int modelview = modelviewDepth(), projection = projectionDepth(),
              texture = getInt(GL_TEXTURE_STACK_DEPTH);
    stage->begin();
    for (int mode : {0, 1, 2, -1})
        stage->feedbackPass(mode, 4, 3, 5, 0, 0.6f, 3, 2, 0.5f);
    stage->end();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(currentMatrices(), matrices);
    EXPECT_EQ(modelviewDepth(), modelview);
    EXPECT_EQ(projectionDepth(), projection);
    EXPECT_EQ(getInt(GL_TEXTURE_STACK_DEPTH), texture);
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(getInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
}

TEST(FboStageSize, IsTheSmallestPowerOfTwoNotBelowTheWindowSizeAndZeroOutOfRange)
{
    const std::pair<int, int> cases[] = {{1, 1},  {1024, 1024}, {1 << 30, 1 << 30}, {0, 0},
                                         {-5, 0}, {(1 << 30) + 1, 0}, {INT_MAX, 0}};
    for (const auto& [n, size] : cases)
        EXPECT_EQ(FboStage::stageSize(n), size) << "for " << n;
}

TEST_F(FboStageTest, TheWindowSizeBroughtUpToPowersOfTwoIsPrintedAndBuilt)
{
    const std::array<int, 4> cases[] = {
        {800, 600, 1024, 1024}, {640, 480, 1024, 512}, {512, 512, 512, 512}, {1025, 600, 2048, 1024}};
    for (const auto& [windowW, windowH, stageW, stageH] : cases) {
        SCOPED_TRACE(std::to_string(windowW) + " x " + std::to_string(windowH));
        CaptureStdout();
        FboStage stage(windowW, windowH);
        const std::string w = std::to_string(stageW), h = std::to_string(stageH);
        EXPECT_EQ(GetCapturedStdout(), "FBO Requested size: " + w + ", " + h +
                                           "\nSuccessfully created the frame buffer object (" + w + " x " +
                                           h + ")\n");
        EXPECT_NE(stage.getFbo()->getDepthBuffer(), 0u);
    }
}

TEST_F(FboStageTest, EndGivesBackTheViewportOfBeforeBeginEvenWhenASceneChangedIt)
{
    auto stage = makeStage(640, 480);
    glViewport(3, 4, 500, 400);
    stage->begin();
    EXPECT_EQ(getInts(GL_VIEWPORT), (std::array<GLint, 4>{0, 0, 1024, 512}));
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING_EXT), static_cast<GLint>(stage->getFbo()->getFramebuffer()));
    glViewport(10, 10, 20, 20);
    stage->end();
    EXPECT_EQ(getInts(GL_VIEWPORT), (std::array<GLint, 4>{3, 4, 500, 400}));
    EXPECT_EQ(getInt(GL_FRAMEBUFFER_BINDING_EXT), 0);
}

TEST_F(FboStageTest, WithInputValueZeroAtZeroTheWindowShowsTheStageExactlyInWhite)
{
    // 4 x 4 blocks of 256 x 256 stage pixels land on 200 x 150 blocks of the window.
    auto stage = makeStage(800, 600);
    auto colour = [](int i, int j) { return std::array<int, 3>{20 + 60 * i, 20 + 60 * j, 90 + 10 * (i + j)}; };
    stage->begin();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            fillRect(256 * i, 256 * j, 256, 256, colour(i, j)[0], colour(i, j)[1], colour(i, j)[2]);
    stage->end();
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(0.5f, 0.2f, 0.1f, 0.3f);  // the pass must draw in opaque white
    stage->drawFinalPass(0.0f);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int x : {200 * i, 200 * i + 199})
                for (int y : {150 * j, 150 * j + 149})
                    expectPixel(x, y, colour(i, j)[0], colour(i, j)[1], colour(i, j)[2], 0);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(stage->texture()))
        << "the stage texture stays bound for the next frame";
}

TEST_F(FboStageTest, TheShakeIsTheSquareOfItsAmountWithFourRandDrawsForT1S1T0AndS0)
{
    // Red rises with s and green with t, one step per four texels.
    auto stage = makeStage(800, 600);
    std::vector<unsigned char> ramp;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x)
            ramp.insert(ramp.end(), {static_cast<unsigned char>(x / 4), static_cast<unsigned char>(y / 4), 0, 255});
    glBindTexture(GL_TEXTURE_2D, stage->texture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1024, 1024, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());

    const double p = 0.25;  // the square of the amount 0.5
    srand(7);
    double r[5];
    for (double& v : r)
        v = static_cast<double>(rand()) / RAND_MAX;
    srand(7);
    stage->drawFinalPass(0.5f);
    EXPECT_EQ(static_cast<double>(rand()) / RAND_MAX, r[4]) << "exactly four draws";
    expectPixel(0, 0, static_cast<int>(r[3] * p * 256), static_cast<int>(r[2] * p * 256), 0, 2);
    expectPixel(799, 599, static_cast<int>((1 - r[1] * p) * 256), static_cast<int>((1 - r[0] * p) * 256), 0, 2);
}

TEST(FboStageShake, AtShakeOneEveryEdgeStaysWithinTheImage)
{
    srand(99);
    for (int i = 0; i < 2000; ++i) {
        const FboStage::TexRect rect = FboStage::shakeRect(1.0f);
        for (float v : {rect.s0, rect.t0, rect.s1, rect.t1})
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << v;
    }
}

TEST_F(FboStageTest, InvertOverlayGivesTheNegativeAtOneAndAFlatGreyAtOneHalfAndKeepsAlpha)
{
    const std::array<int, 3> cases[] = {{100, 0, 255}, {50, 128, 128}};  // percent, white, black
    auto stage = makeStage(512, 512);
    for (const auto& [percent, white, black] : cases) {
        SCOPED_TRACE(percent);
        stage->begin();
        fillRect(0, 0, 256, 512, 255);
        fillRect(256, 0, 256, 512, 0);
        stage->invertOverlay(percent / 100.0f);
        for (int x : {10, 200, 300, 500}) {
            const int expected = x < 256 ? white : black;
            expectPixel(x, 256, expected, expected, expected);
            EXPECT_EQ(readPixel(x, 256).a, 255) << "the stage stays opaque";
        }
        stage->end();
    }
}
