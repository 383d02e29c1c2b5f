// The stage's feedback pass against the real GL: its copy texture is made
// once, its minimal form adds the stretched top-left quarter, the multiply
// stage darkens that quarter, and a full pass leaves the GL state as found.
// The copy texture is process-wide, so the test that sees it made comes first.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <memory>
#include <string>

#include "gfx/FboStage.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

static std::unique_ptr<FboStage> makeStage(int w, int h)
{
    CaptureStdout();
    auto stage = std::make_unique<FboStage>(w, h);
    GetCapturedStdout();
    return stage;
}

static void fillRect(int x, int y, int w, int h, int r, int g, int b)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

static void expectPixel(int x, int y, int r, int g, int b)
{
    const Rgba p = readPixel(x, y);
    EXPECT_NEAR(p.r, r, 1) << "at " << x << ", " << y;
    EXPECT_NEAR(p.g, g, 1) << "at " << x << ", " << y;
    EXPECT_NEAR(p.b, b, 1) << "at " << x << ", " << y;
}

static GLint getInt(GLenum what)
{
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

static void clearGlErrors()
{
    while (glGetError() != GL_NO_ERROR) {
    }
}

class FeedbackPassTest : public testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        glViewport(0, 0, 800, 600);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
};

TEST_F(FeedbackPassTest, TheCopyTextureIsMadeOnceWithTheSizeTheFirstStageGives)
{
    ASSERT_EQ(FboStage::copyTexture(), nullptr);

    auto small = makeStage(256, 256);
    small->begin();
    small->feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);
    small->end();
    const Texture* copy = FboStage::copyTexture();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->width, 1024);
    EXPECT_EQ(copy->height, 512) << "a stage of 480 or fewer pixels across gets 1024 x 512";
    glBindTexture(GL_TEXTURE_2D, copy->name);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGB8);

    auto large = makeStage(800, 600);
    large->begin();
    large->feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);
    large->end();
    clearGlErrors();  // the larger stage does not fit the copy texture made first
    EXPECT_EQ(FboStage::copyTexture(), copy);
    EXPECT_EQ(copy->height, 512);
    EXPECT_TRUE(glIsTexture(copy->name));
}

TEST_F(FeedbackPassTest, ItsMinimalFormAddsTheTopLeftQuarterStretchedOverTheViewport)
{
    // After the first test the copy texture is the 1024 x 512 that a narrow
    // stage made, not the 1024 x 1024 this stage would make.
    auto stage = makeStage(512, 512);
    stage->begin();
    // The top-left quarter in four colours, the rest black.
    fillRect(0, 0, 512, 512, 0, 0, 0);
    fillRect(0, 384, 128, 128, 64, 0, 0);
    fillRect(128, 384, 128, 128, 0, 0, 64);
    fillRect(0, 256, 128, 128, 0, 64, 0);
    fillRect(128, 256, 128, 128, 64, 64, 64);

    stage->feedbackPass(0, 0, 0, 0, 0, 1, 0, -1, 0);

    expectPixel(384, 384, 0, 0, 64);
    expectPixel(128, 128, 0, 64, 0);
    expectPixel(384, 128, 64, 64, 64);
    expectPixel(64, 448, 128, 0, 0);  // the quarter itself plus its own stretched corner
    stage->end();
}

TEST_F(FeedbackPassTest, EachFurtherMultiplyPassTurnsTheQuarterDIntoDTimesSPlusD)
{
    auto stage = makeStage(512, 512);
    stage->begin();
    fillRect(0, 0, 512, 512, 64, 64, 64);
    // The first quad copies the image into the quarter as it is, the second
    // makes 0.25 into 0.25 * 0.5; the stretched quarter is then added.
    stage->feedbackPass(0, 0, 0, 0, 0, 1, 0, 1, 0);
    expectPixel(64, 448, 64, 64, 64);
    expectPixel(384, 128, 96, 96, 96);
    stage->end();
}

TEST_F(FeedbackPassTest, AFullPassLeavesMatricesBlendingColourAndTextureAsFound)
{
    auto stage = makeStage(512, 512);
    const GLuint mine = 0;
    glBindTexture(GL_TEXTURE_2D, mine);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    const auto matrices = currentMatrices();
    const int modelview = modelviewDepth(), projection = projectionDepth();
    const GLint textureDepth = getInt(GL_TEXTURE_STACK_DEPTH);

    stage->begin();
    for (int mode : {0, 1, 2, -1})
        stage->feedbackPass(mode, 4, 3, 5, 0, 0.6f, 3, 2, 0.5f);
    stage->end();

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(currentMatrices(), matrices);
    EXPECT_EQ(modelviewDepth(), modelview);
    EXPECT_EQ(projectionDepth(), projection);
    EXPECT_EQ(getInt(GL_TEXTURE_STACK_DEPTH), textureDepth);
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(getInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), static_cast<GLint>(mine));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.2f);
    EXPECT_EQ(colour[3], 0.5f);
}
