// The off-screen stage against the real GL: its size, the begin/end pair,
// the final pass that puts it in the window (exactly when input value 0 is
// at 0, shaken by the rand() generator otherwise) and the inverting overlay.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glu.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "control/ControlState.h"
#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"
#include "support/GlTestWindow.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// The window's state as the show has it when a frame starts: window viewport
// and perspective, blending over, depth test and culling on.
static void useShowState()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
}

static std::unique_ptr<FboStage> makeStage(int w, int h, std::string* output = nullptr)
{
    CaptureStdout();
    auto stage = std::make_unique<FboStage>(w, h);
    const std::string out = GetCapturedStdout();
    if (output)
        *output = out;
    return stage;
}

// Clears one rectangle of the bound framebuffer to an opaque colour.
static void fillRect(int x, int y, int w, int h, int r, int g, int b)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

static std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

static GLint boundFramebuffer()
{
    GLint name = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &name);
    return name;
}

static void expectPixel(int x, int y, int r, int g, int b, int tolerance = 0)
{
    const Rgba p = readPixel(x, y);
    EXPECT_NEAR(p.r, r, tolerance) << "at " << x << ", " << y;
    EXPECT_NEAR(p.g, g, tolerance) << "at " << x << ", " << y;
    EXPECT_NEAR(p.b, b, tolerance) << "at " << x << ", " << y;
}

class FboStageTest : public testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        useShowState();
        inputValue[0].store(0.0f);
    }
    void TearDown() override { inputValue[0].store(0.0f); }
};

TEST(FboStageSize, IsTheSmallestPowerOfTwoNotBelowTheWindowSize)
{
    const std::pair<int, int> cases[] = {
        {1, 1},       {2, 2},       {3, 4},         {480, 512},           {600, 1024},
        {800, 1024},  {1023, 1024}, {1024, 1024},   {1025, 2048},         {1 << 30, 1 << 30},
        {0, 0},       {-5, 0},      {(1 << 30) + 1, 0}, {INT_MAX, 0},
    };
    for (const auto& [n, size] : cases)
        EXPECT_EQ(FboStage::stageSize(n), size) << "for " << n;
}

TEST_F(FboStageTest, TheWindowSizeBroughtUpToPowersOfTwoIsPrintedAndBuilt)
{
    struct Case {
        int windowW, windowH, stageW, stageH;
    };
    const Case cases[] = {
        {800, 600, 1024, 1024},
        {640, 480, 1024, 512},
        {512, 512, 512, 512},
        {1025, 600, 2048, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.windowW) + " x " + std::to_string(c.windowH));
        std::string out;
        auto stage = makeStage(c.windowW, c.windowH, &out);
        const std::string w = std::to_string(c.stageW), h = std::to_string(c.stageH);
        EXPECT_EQ(out, "FBO Requested size: " + w + ", " + h +
                           "\nSuccessfully created the frame buffer object (" + w + " x " + h +
                           ")\n");
        EXPECT_EQ(stage->getWidth(), c.stageW);
        EXPECT_EQ(stage->getHeight(), c.stageH);

        GLint tw = 0, th = 0;
        glBindTexture(GL_TEXTURE_2D, stage->texture());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
        EXPECT_EQ(tw, c.stageW);
        EXPECT_EQ(th, c.stageH);
        EXPECT_NE(stage->getFbo()->getDepthBuffer(), 0u);
    }
}

TEST_F(FboStageTest, EndGivesBackTheViewportOfBeforeBeginEvenWhenASceneChangedIt)
{
    auto stage = makeStage(640, 480);
    glViewport(3, 4, 500, 400);

    stage->begin();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 1024, 512}));
    EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(stage->getFbo()->getFramebuffer()));
    glViewport(10, 10, 20, 20);
    stage->end();

    EXPECT_EQ(viewport(), (std::array<GLint, 4>{3, 4, 500, 400}));
    EXPECT_EQ(boundFramebuffer(), 0);
}

TEST_F(FboStageTest, WithInputValueZeroAtZeroTheWindowShowsTheStageExactly)
{
    auto stage = makeStage(800, 600);
    // 4 x 4 blocks of 256 x 256 stage pixels, each in its own colour; they
    // land on 200 x 150 blocks of the window, upright.
    auto colour = [](int i, int j) { return std::array<int, 3>{20 + 60 * i, 20 + 60 * j, 90 + 10 * (i + j)}; };
    stage->begin();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const auto c = colour(i, j);
            fillRect(256 * i, 256 * j, 256, 256, c[0], c[1], c[2]);
        }
    stage->end();

    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    stage->drawFinalPass();

    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            SCOPED_TRACE("block " + std::to_string(i) + ", " + std::to_string(j));
            const auto c = colour(i, j);
            for (int x : {200 * i, 200 * i + 100, 200 * i + 199})
                for (int y : {150 * j, 150 * j + 75, 150 * j + 149})
                    expectPixel(x, y, c[0], c[1], c[2]);
        }

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(stage->texture())) << "the stage texture stays bound";
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_THAT(current, testing::ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST_F(FboStageTest, TheShakeTakesFourDrawsOfRandForT1S1T0AndS0InThisOrder)
{
    auto stage = makeStage(800, 600);
    // Red rises with s and green with t, one step per four texels.
    std::vector<unsigned char> ramp(1024 * 1024 * 4);
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            unsigned char* p = &ramp[(y * 1024 + x) * 4];
            p[0] = static_cast<unsigned char>(x / 4);
            p[1] = static_cast<unsigned char>(y / 4);
            p[2] = 0;
            p[3] = 255;
        }
    glBindTexture(GL_TEXTURE_2D, stage->texture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1024, 1024, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());

    inputValue[0].store(0.5f);  // shake p = 0.25
    const double p = 0.25;
    srand(1234);
    double r[5];
    for (double& v : r)
        v = static_cast<double>(rand()) / RAND_MAX;
    const double t1 = 1 - r[0] * p, s1 = 1 - r[1] * p, t0 = r[2] * p, s0 = r[3] * p;

    srand(1234);
    stage->drawFinalPass();
    EXPECT_EQ(static_cast<double>(rand()) / RAND_MAX, r[4]) << "exactly four draws";

    expectPixel(0, 0, static_cast<int>(s0 * 256), static_cast<int>(t0 * 256), 0, 2);
    expectPixel(799, 599, static_cast<int>(s1 * 256), static_cast<int>(t1 * 256), 0, 2);
}

TEST_F(FboStageTest, AtInputValueOneEveryEdgeMovesInwardByAtMostTheWholeImage)
{
    srand(99);
    for (int i = 0; i < 2000; ++i) {
        const FboStage::TexRect rect = FboStage::shakeRect(1.0f);
        for (float v : {rect.s0, rect.t0, rect.s1, rect.t1}) {
            ASSERT_GE(v, 0.0f);
            ASSERT_LE(v, 1.0f);
        }
    }
    const FboStage::TexRect still = FboStage::shakeRect(0.0f);
    EXPECT_EQ(still.s0, 0.0f);
    EXPECT_EQ(still.t0, 0.0f);
    EXPECT_EQ(still.s1, 1.0f);
    EXPECT_EQ(still.t1, 1.0f);
}

TEST_F(FboStageTest, InvertOverlayAtOneTurnsWhiteIntoBlackAndKeepsTheStageOpaque)
{
    auto stage = makeStage(512, 512);
    stage->begin();
    fillRect(0, 0, 256, 512, 255, 255, 255);
    fillRect(256, 0, 256, 512, 0, 0, 0);
    stage->invertOverlay(1.0f);
    const Rgba wasWhite = readPixel(100, 300);
    const Rgba wasBlack = readPixel(400, 300);
    stage->end();

    EXPECT_EQ(wasWhite.r, 0);
    EXPECT_EQ(wasWhite.g, 0);
    EXPECT_EQ(wasWhite.b, 0);
    EXPECT_EQ(wasWhite.a, 255);
    EXPECT_EQ(wasBlack.r, 255);
    EXPECT_EQ(wasBlack.a, 255);

    // Through the final pass the negative covers whatever the window held.
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    stage->drawFinalPass();
    expectPixel(100, 300, 0, 0, 0);
    expectPixel(700, 300, 255, 255, 255);
}

TEST_F(FboStageTest, InvertOverlayAtOneHalfGivesAFlatMiddleGrey)
{
    auto stage = makeStage(512, 512);
    stage->begin();
    fillRect(0, 0, 256, 512, 255, 255, 255);
    fillRect(256, 0, 256, 512, 0, 0, 0);
    stage->invertOverlay(0.5f);
    for (int x : {10, 200, 300, 500})
        expectPixel(x, 256, 128, 128, 128, 1);
    stage->end();
}

TEST_F(FboStageTest, InvertOverlayAtZeroOrBelowDrawsNothing)
{
    auto stage = makeStage(512, 512);
    EXPECT_TRUE(captureFeedback([&] { stage->invertOverlay(0.0f); }).empty());
    EXPECT_TRUE(captureFeedback([&] { stage->invertOverlay(-0.5f); }).empty());
    EXPECT_FALSE(captureFeedback([&] { stage->invertOverlay(0.25f); }).empty());
}

class FboStageDeathTest : public FboStageTest {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        FboStageTest::SetUp();
    }
};

TEST_F(FboStageDeathTest, AWindowSizeBelowOneEndsTheProcessWithCode2)
{
    const std::pair<int, int> sizes[] = {{0, 600}, {800, 0}, {-800, 600}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        EXPECT_EXIT(FboStage(w, h), testing::ExitedWithCode(2),
                    testing::StrEq("Width and height of FBO must be positive\n"));
    }
}
