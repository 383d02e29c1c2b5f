// The render-state toolkit on the real GL: the two screen quads cover the
// viewport whatever the matrices, blend as the caller has it and restore
// every matrix and attribute (the texture's orientation is in texture_test).
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <GL/glu.h>

#include "gfx/RenderState.h"
#include "gfx/Texture.h"

namespace {

const int kCornersAndCentre[][2] = {{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}};

TEST(RenderState, BothQuadsCoverTheViewportBlendAsTheCallerHasItAndRestoreAllTheyTouch)
{
    openTestWindow();
    glViewport(0, 0, 800, 600);
    // An unusual camera, which the quads must ignore.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.3f, -2.0f, -5.0f);
    glRotatef(33.0f, 1, 1, 0);
    const unsigned char white[4] = {255, 255, 255, 255};
    const Texture texture(white, 1, 1, true);
    const struct { const char* name; void (*draw)(); Rgba overWhite; } cases[] = {
        {"flat", [] { drawScreenQuad(0.2f, 0.4f, 0.6f, 1.0f); }, {51, 102, 153}},
        {"flat, half transparent", [] { drawScreenQuad(0, 0, 0, 0.5f); }, {128, 128, 128}},
        // The textured quad sets no colour: it shows the caller's through GL_MODULATE.
        {"textured", [] { drawTexturedScreenQuad(0, 0, 1, 1); }, {255, 0, 255}},
    };
    // Switched on by the caller, culling every face, which the quads must ignore.
    const GLenum switchedOn[] = {GL_BLEND, GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_GEN_S};
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearColor(1, 1, 1, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        glClear(GL_COLOR_BUFFER_BIT);
        for (GLenum cap : switchedOn)
            glEnable(cap);
        glCullFace(GL_FRONT_AND_BACK);
        glColor4f(1.0f, 0.0f, 1.0f, 1.0f);
        const std::vector<float> before = currentMatrices();
        const int mvDepth = modelviewDepth(), projDepth = projectionDepth();

        c.draw();

        for (const auto& p : kCornersAndCentre)
            expectPixel(p[0], p[1], c.overWhite);
        EXPECT_EQ(currentMatrices(), before);
        EXPECT_EQ(modelviewDepth(), mvDepth);
        EXPECT_EQ(projectionDepth(), projDepth);
        EXPECT_EQ(glInt(GL_MATRIX_MODE), GL_MODELVIEW);
        for (GLenum cap : switchedOn)
            EXPECT_TRUE(glIsEnabled(cap)) << cap;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 0.0f) << "the current colour is kept";
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        for (GLenum cap : switchedOn)
            glDisable(cap);
        glCullFace(GL_BACK);
    }
}

TEST(RenderState, SwitchingSphereMapGenerationOffKeepsTheModeSetLast)
{
    openTestWindow();
    setObjectLinearTexGen(1, 0, 0, 0, 0, 1, 0, 0);
    setSphereMapTexGen(true);
    setSphereMapTexGen(false);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T));
    setTexGen(true);
    GLint mode = 0;
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
    setTexGen(false);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
}

}  // namespace
