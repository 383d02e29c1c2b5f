// The AppWindow as the show builds it: window globals, caption, GL
// attributes, projection, lights and blend state, and a frame that draws its
// timeline scenes at the frame clock's time. Runs in a private network
// namespace, since the window also starts the show's OSC receiver.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL.h>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "app/Scene.h"
#include "audio/AudioInput.h"
#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"

namespace {

struct TimeRecorder : Scene {
    void render(float time, float) override { times.push_back(time); }
    std::vector<float> times;
};

class AppWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        window = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);
    }
    // The window outlives every test: each takes its scenes off the timeline
    // and gives the clock back, so no test draws another's stack objects.
    void TearDown() override { window->frameClock() = FrameClock(); }
    struct OnTimeline {
        OnTimeline(Scene* s, float start, float end) : scene(s)
        {
            EXPECT_TRUE(window->addTimelineEntry(s, start, end));
        }
        ~OnTimeline() { window->timeline().removeScene(scene); }
        Scene* scene;
    };
    static AppWindow* window;
};
AppWindow* AppWindowTest::window = nullptr;

TEST_F(AppWindowTest, TheWindowGlobalsAndCaptionAreThoseOfTheShow)
{
    EXPECT_EQ(gWindowWidth, 800);
    EXPECT_EQ(gWindowHeight, 600);
    EXPECT_EQ(gWindowBpp, 32);
    EXPECT_EQ(gWindowAspect, 0.75f);
    EXPECT_EQ(gAudioInput, nullptr);  // start-up creates no audio input
    char* caption = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&caption, &icon);
    EXPECT_STREQ(caption, "SDL - Driftmeadow v1.0");
    EXPECT_STREQ(icon, "SDL");
    const SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->flags & SDL_OPENGL);
    EXPECT_TRUE(screen->flags & SDL_FULLSCREEN);
}

TEST_F(AppWindowTest, TheContextHasEightBitChannelsWithAlphaAndADeepDepthBuffer)
{
    struct {
        SDL_GLattr attr;
        int atLeast;
    } attrs[] = {{SDL_GL_RED_SIZE, 8}, {SDL_GL_GREEN_SIZE, 8}, {SDL_GL_BLUE_SIZE, 8},
                 {SDL_GL_ALPHA_SIZE, 8}, {SDL_GL_DEPTH_SIZE, 24}, {SDL_GL_DOUBLEBUFFER, 1}};
    for (const auto& a : attrs) {
        int value = 0;
        SDL_GL_GetAttribute(a.attr, &value);
        EXPECT_GE(value, a.atLeast) << a.attr;
    }
}

TEST_F(AppWindowTest, StartUpSetsThePerspectiveLightsAndBlendState)
{
    GLfloat projection[16], expected[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
    glGetFloatv(GL_PROJECTION_MATRIX, expected);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(projection[i], expected[i]) << i;

    GLfloat range[2];
    glGetFloatv(GL_DEPTH_RANGE, range);
    EXPECT_FLOAT_EQ(range[0], 0.01f);
    EXPECT_FLOAT_EQ(range[1], 1.0f);

    struct {
        GLenum light, what;
        GLfloat v[4];
    } lights[] = {
        {GL_LIGHT0, GL_POSITION, {-3.0f, 7.0f, -7.0f, 0.0f}},
        {GL_LIGHT0, GL_DIFFUSE, {0.8f, 0.8f, 0.8f, 1.0f}},
        {GL_LIGHT1, GL_POSITION, {0.5f, -0.5f, 2.0f, 0.0f}},
        {GL_LIGHT1, GL_DIFFUSE, {0.4f, 0.4f, 0.4f, 1.0f}},
    };
    for (const auto& l : lights) {
        GLfloat got[4];
        glGetLightfv(l.light, l.what, got);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(got[i], l.v[i]);
    }

    const GLenum on[] = {GL_LIGHT0, GL_LIGHT1, GL_DEPTH_TEST, GL_BLEND, GL_LINE_SMOOTH,
                         GL_COLOR_MATERIAL, GL_AUTO_NORMAL, GL_NORMALIZE, GL_CULL_FACE};
    for (GLenum cap : on)
        EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint src = 0, dst = 0, shade = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(shade, GL_SMOOTH);
}

TEST_F(AppWindowTest, AFrameDrawsItsTimelineScenesAtTheFrameClocksTime)
{
    std::vector<uint32_t> ticks = {10000, 10000, 12500, 14000};
    size_t next = 0;
    window->frameClock() = FrameClock([&] { return ticks[std::min(next++, ticks.size() - 1)]; });
    TimeRecorder late;
    OnTimeline entry(&late, 2.0f, 3.0f);
    window->drawFrame();  // t = 0: outside the entry
    window->drawFrame();  // t = 2.5
    window->drawFrame();  // t = 4: outside again
    ASSERT_EQ(late.times.size(), 1u);
    EXPECT_NEAR(late.times[0], 0.5f, 1e-4);
}

// Records where it is drawn and paints the whole target in one colour.
struct StageProbe : Scene {
    void render(float, float) override
    {
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
        glClearColor(0.0f, 0.5f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    GLint viewport[4] = {};
    GLint framebuffer = 0;
};

TEST_F(AppWindowTest, EveryFrameIsDrawnIntoTheStageAndPutInTheWindowByTheFinalPass)
{
    FboStage* stage = window->fboStage();
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->getWidth(), 1024);
    EXPECT_EQ(stage->getHeight(), 1024);

    window->frameClock() = FrameClock([] { return 50000u; });
    StageProbe probe;
    OnTimeline entry(&probe, 0.0f, 0.0f);
    window->drawFrame();

    EXPECT_EQ(probe.framebuffer, static_cast<GLint>(stage->getFbo()->getFramebuffer()));
    EXPECT_EQ(probe.viewport[2], 1024);
    EXPECT_EQ(probe.viewport[3], 1024);
    GLint viewport[4] = {}, framebuffer = -1;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_EQ(framebuffer, 0);

    // llvmpipe presents by copying the back buffer and keeps it as it was,
    // so after the swap it still holds what the window shows.
    unsigned char shown[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{400, 300}, std::pair{799, 599}}) {
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, shown);
        EXPECT_EQ(shown[0], 0) << x << ", " << y;
        EXPECT_EQ(shown[1], 128) << x << ", " << y;
        EXPECT_EQ(shown[2], 255) << x << ", " << y;
    }
}

TEST(GLInfo, TheExtensionListGetsOneNamePerLineAndTheHeadersStayAsTheyAre)
{
    struct Case {
        const char* extensions;
        const char* list;
    } cases[] = {{"GL_A GL_B GL_C", "GL_A\nGL_B\nGL_C"}, {"", ""}};
    for (const Case& c : cases) {
        const std::string expected =
            std::string("---------- OpenGL Info: ---------------------------"
                        "GL_RENDERER   = llvmpipe\n"
                        "GL_VERSION    = 4.5\n"
                        "GL_VENDOR     = Mesa\n"
                        "---------- Available OpenGL extensions ------------\n\n") +
            c.list + "\n---------------------------------------------------";
        EXPECT_EQ(formatGLInfo("llvmpipe", "4.5", "Mesa", c.extensions), expected);
    }
}

}  // namespace
