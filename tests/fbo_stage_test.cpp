// The off-screen stage against the real GL: its size, the begin/end pair, the
// final pass (exact without shake, shaken by rand() otherwise) and the two
// screen effects.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>

#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"

using namespace testing::internal;

namespace {

// Clears one rectangle of the bound framebuffer to an opaque colour.
void fillRect(int x, int y, int w, int h, Rgba c)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

// The window as the show has it when a frame starts: its viewport, blending
// over, depth test and culling on. The feedback pass's first call makes the
// copy texture that the process keeps: a narrow stage makes it before any
// test runs, whatever their order.
class FboStageTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openTestWindow();
        FboStage narrow(256, 256);
        narrow.begin();
        narrow.feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);
        narrow.end();
    }
    void SetUp() override
    {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glViewport(0, 0, 800, 600);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
    }
};

}  // namespace

TEST_F(FboStageTest, TheFeedbackPassMapsThroughTheCopyTexturesRealHeightAndLeavesTheStateAsFound)
{
    // The narrow stage made it 1024 x 512, where this one would have made it
    // 1024 x 1024. The minimal pass adds the top-left quarter (in four
    // colours, the rest black) stretched over the stage.
    const Texture* copy = FboStage::copyTexture();
    ASSERT_TRUE(copy && copy->width == 1024 && copy->height == 512);
    FboStage stage(512, 512);
    const auto matrices = currentMatrices();
    const auto state = [] {
        return std::vector<int>{glInt(GL_MODELVIEW_STACK_DEPTH), glInt(GL_PROJECTION_STACK_DEPTH),
                                glInt(GL_TEXTURE_STACK_DEPTH), glInt(GL_MATRIX_MODE), glInt(GL_BLEND_SRC),
                                glInt(GL_BLEND_DST)};
    };
    const std::vector<int> before = state();
    stage.begin();
    fillRect(0, 0, 512, 512, {0, 0, 0});
    fillRect(0, 384, 128, 128, {64, 0, 0});
    fillRect(128, 384, 128, 128, {0, 0, 64});
    fillRect(0, 256, 128, 128, {0, 64, 0});
    fillRect(128, 256, 128, 128, {64, 64, 64});
    stage.feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);
    expectPixel(384, 384, {0, 0, 64});
    expectPixel(128, 128, {0, 64, 0});
    expectPixel(384, 128, {64, 64, 64});
    expectPixel(64, 448, {128, 0, 0});  // the quarter itself plus its own stretched corner
    for (int mode : {0, 1, 2, -1})
        stage.feedbackPass(mode, 4, 3, 5, 0, 0.6f, 3, 2, 0.5f);
    stage.end();
    EXPECT_EQ(FboStage::copyTexture(), copy);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(currentMatrices(), matrices);
    EXPECT_EQ(state(), before) << "stack depths, matrix mode, blend function";
}

TEST(FboStageSize, IsTheSmallestPowerOfTwoNotBelowTheWindowSizeAndZeroOutOfRange)
{
    const std::pair<int, int> cases[] = {{1, 1},  {1024, 1024}, {1 << 30, 1 << 30}, {0, 0},
                                         {-5, 0}, {(1 << 30) + 1, 0}, {INT_MAX, 0}};
    for (const auto& [n, size] : cases)
        EXPECT_EQ(FboStage::stageSize(n), size) << "for " << n;
}

TEST_F(FboStageTest, ItIsTheWindowSizeUpToPowersOfTwoAndTakesTheDrawingBetweenBeginAndEnd)
{
    const std::array<int, 4> cases[] = {{800, 600, 1024, 1024}, {640, 480, 1024, 512}, {1025, 600, 2048, 1024}};
    for (const auto& [windowW, windowH, stageW, stageH] : cases) {
        CaptureStdout();
        FboStage stage(windowW, windowH);
        const std::string w = std::to_string(stageW), h = std::to_string(stageH);
        EXPECT_EQ(GetCapturedStdout(), "FBO Requested size: " + w + ", " + h +
                                           "\nSuccessfully created the frame buffer object (" + w + " x " + h + ")\n");
        glViewport(3, 4, 500, 400);
        stage.begin();
        EXPECT_EQ(glInts(GL_VIEWPORT), (std::array<GLint, 4>{0, 0, stageW, stageH}));
        EXPECT_EQ(glInt(GL_FRAMEBUFFER_BINDING_EXT), GLint(stage.getFbo()->getFramebuffer()));
        EXPECT_EQ(glInt(GL_DEPTH_BITS), 24);
        glViewport(10, 10, 20, 20);  // as a scene may
        stage.end();
        EXPECT_EQ(glInts(GL_VIEWPORT), (std::array<GLint, 4>{3, 4, 500, 400}));
        EXPECT_EQ(glInt(GL_FRAMEBUFFER_BINDING_EXT), 0);
    }
}

TEST_F(FboStageTest, TheFinalPassShowsTheStageInWhiteExactlyWithoutShakeAndShakesByTheSquareOfItsAmount)
{
    // Red rises with s and green with t, one step per four texels; blue is a
    // checkerboard of 256-texel blocks, whose edges fall between pixels 199
    // and 200 across and 149 and 150 up.
    FboStage stage(800, 600);
    std::vector<unsigned char> ramp;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x)
            ramp.insert(ramp.end(), {GLubyte(x / 4), GLubyte(y / 4), GLubyte((x ^ y) & 256 ? 255 : 0), 255});
    glBindTexture(GL_TEXTURE_2D, stage.texture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1024, 1024, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(0.5f, 0.2f, 0.1f, 0.3f);  // the pass must draw in opaque white
    stage.drawFinalPass(0.0f);
    const int exact[][5] = {{0, 0, 0, 0, 0}, {199, 150, 63, 64, 255}, {200, 149, 64, 63, 255}, {799, 599, 255, 255, 0}};
    for (const auto& e : exact)
        expectPixel(e[0], e[1], {e[2], e[3], e[4]}, 0);
    EXPECT_EQ(glInt(GL_TEXTURE_BINDING_2D), GLint(stage.texture())) << "the stage texture stays bound";

    const double p = 0.25;  // the square of the amount 0.5
    srand(7);
    double r[5];
    for (double& v : r)
        v = static_cast<double>(rand()) / RAND_MAX;
    srand(7);
    stage.drawFinalPass(0.5f);
    EXPECT_EQ(static_cast<double>(rand()) / RAND_MAX, r[4]) << "exactly four draws";
    expectPixel(0, 0, {int(r[3] * p * 256), int(r[2] * p * 256), 0}, 2);
    expectPixel(799, 599, {int((1 - r[1] * p) * 256), int((1 - r[0] * p) * 256), 0}, 2);
}

TEST_F(FboStageTest, InvertOverlayGivesTheNegativeAtOneAndAFlatGreyAtOneHalfAndKeepsAlpha)
{
    const std::array<int, 3> cases[] = {{100, 0, 255}, {50, 128, 128}};  // percent, white, black
    FboStage stage(512, 512);
    for (const auto& [percent, white, black] : cases) {
        SCOPED_TRACE(percent);
        stage.begin();
        fillRect(0, 0, 256, 512, {255, 255, 255});
        fillRect(256, 0, 256, 512, {0, 0, 0});
        stage.invertOverlay(percent / 100.0f);
        for (int x : {10, 200, 300, 500}) {
            const int expected = x < 256 ? white : black;
            expectPixel(x, 256, {expected, expected, expected});
            EXPECT_EQ(readPixel(x, 256).a, 255) << "the stage stays opaque";
        }
        stage.end();
    }
}
