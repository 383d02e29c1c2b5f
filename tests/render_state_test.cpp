// The render-state toolkit on the real GL: the two screen quads cover the
// viewport whatever the matrices, and restore every matrix and attribute.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <GL/glu.h>

#include "gfx/RenderState.h"

namespace {

class RenderStateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestWindow(); }

    void SetUp() override
    {
        glViewport(0, 0, 800, 600);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // An unusual camera, which the quads must ignore.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.3f, -2.0f, -5.0f);
        glRotatef(33.0f, 1, 1, 0);
    }
};

void expectWholeViewport(Rgba colour)
{
    const int points[][2] = {{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}};
    for (const auto& p : points) {
        const Rgba got = readPixel(p[0], p[1]);
        EXPECT_EQ(got.r, colour.r) << p[0] << "," << p[1];
        EXPECT_EQ(got.g, colour.g) << p[0] << "," << p[1];
        EXPECT_EQ(got.b, colour.b) << p[0] << "," << p[1];
    }
}

TEST_F(RenderStateTest, BothQuadsCoverTheViewportAndRestoreMatricesStacksAndState)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char white[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    struct Case {
        const char* name;
        void (*draw)();
        Rgba expected;
    } cases[] = {
        {"flat", [] { drawScreenQuad(0.0f, 1.0f, 0.0f, 1.0f); }, {0, 255, 0, 255}},
        {"textured", [] { drawTexturedScreenQuad(0, 0, 1, 1); }, {255, 0, 255, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glColor4f(1.0f, 0.0f, 1.0f, 1.0f);  // the textured quad shows it through GL_MODULATE
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        const std::vector<float> before = currentMatrices();
        const int mvDepth = modelviewDepth(), projDepth = projectionDepth();

        c.draw();

        expectWholeViewport(c.expected);
        EXPECT_EQ(currentMatrices(), before);
        EXPECT_EQ(modelviewDepth(), mvDepth);
        EXPECT_EQ(projectionDepth(), projDepth);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 1.0f);
        EXPECT_EQ(colour[1], 0.0f);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDeleteTextures(1, &texture);
}

TEST_F(RenderStateTest, AFlatQuadBlendsByItsAlphaUnderTheStartUpBlendFunction)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    drawScreenQuad(0, 0, 0, 0.0f);
    expectWholeViewport({255, 255, 255, 255});
    drawScreenQuad(0, 0, 0, 0.5f);
    const Rgba half = readPixel(400, 300);
    EXPECT_NEAR(half.r, 128, 1);
    drawScreenQuad(0.2f, 0.4f, 0.6f, 1.0f);
    expectWholeViewport({51, 102, 153, 255});
}

TEST_F(RenderStateTest, TheTexturedQuadShowsATextureUprightAndMirrorsItWhenSIsSwapped)
{
    // 2x2 texture, row 0 (t = 0) at the bottom: red, green / blue, white on top.
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255,
                                      0, 0, 255, 255, 255, 255, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glColor4f(1, 1, 1, 1);

    struct Case {
        float s0, s1;
        Rgba bottomLeft, bottomRight, topLeft;
    } cases[] = {
        {0, 1, {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}},
        {1, 0, {0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        drawTexturedScreenQuad(c.s0, 0, c.s1, 1);
        const Rgba bl = readPixel(100, 100), br = readPixel(700, 100), tl = readPixel(100, 500);
        EXPECT_EQ(bl.r, c.bottomLeft.r);
        EXPECT_EQ(bl.g, c.bottomLeft.g);
        EXPECT_EQ(br.r, c.bottomRight.r);
        EXPECT_EQ(br.g, c.bottomRight.g);
        EXPECT_EQ(tl.b, c.topLeft.b);
        EXPECT_EQ(tl.r, c.topLeft.r);
    }
    glDeleteTextures(1, &texture);
}

TEST_F(RenderStateTest, SwitchingSphereMapGenerationOffKeepsTheModeSetLast)
{
    setObjectLinearTexGen(1, 0, 0, 0, 0, 1, 0, 0);
    setSphereMapTexGen(true);
    setSphereMapTexGen(false);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    setTexGen(true);
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
    setTexGen(false);
}

}  // namespace
