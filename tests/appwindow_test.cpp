// The AppWindow as the show builds it: its window, caption and globals, and a
// frame that draws its timeline scenes at the frame clock's time into the
// stage, which the final pass puts in the window. Runs in a private network
// namespace, since the window also starts the show's OSC receiver.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <string>
#include <vector>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "audio/AudioInput.h"
#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"
#include "scenes/Scene.h"
#include "support/GlTestWindow.h"

namespace {

// Records the times it is drawn at and the framebuffer it draws into, and
// paints the whole target in one colour.
struct Probe : Scene {
    void render(float time, float) override
    {
        times.push_back(time);
        framebuffer = glInt(GL_FRAMEBUFFER_BINDING_EXT);
        glClearColor(0.0f, 0.5f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    std::vector<float> times;
    GLint framebuffer = 0;
};

// One window for the whole program (its OSC port can be bound only once):
// a test's probe leaves the timeline with the test, and the clock is given
// back, so no test draws another's scene.
class AppWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!window)
            window = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);
    }
    void TearDown() override
    {
        window->timeline().removeScene(&probe);
        window->frameClock() = FrameClock();
    }
    static inline AppWindow* window = nullptr;
    Probe probe;
};

TEST_F(AppWindowTest, ItIsTheShowsFullScreenGlWindowWithItsCaptionAndGlobals)
{
    char *caption = nullptr, *icon = nullptr;
    SDL_WM_GetCaption(&caption, &icon);
    EXPECT_EQ(std::string(caption) + " / " + icon, "SDL - Driftmeadow v1.0 / SDL");
    EXPECT_EQ(SDL_GetVideoSurface()->flags & (SDL_OPENGL | SDL_FULLSCREEN), Uint32(SDL_OPENGL | SDL_FULLSCREEN));
    EXPECT_TRUE(gWindowWidth == 800 && gWindowHeight == 600 && gWindowBpp == 32 && gWindowAspect == 0.75f);
    EXPECT_EQ(gAudioInput, nullptr);  // start-up creates no audio input
}

TEST_F(AppWindowTest, AFrameDrawsItsScenesAtTheClocksTimeIntoTheStageAndTheFinalPassPutsThemInTheWindow)
{
    std::vector<uint32_t> ticks = {10000, 10000, 12500};
    size_t next = 0;
    window->frameClock() = FrameClock([&] { return ticks[std::min(next++, ticks.size() - 1)]; });
    EXPECT_TRUE(window->addTimelineEntry(&probe, 2.0f, 3.0f));
    window->drawFrame();  // t = 0: before the entry
    window->drawFrame();  // t = 2.5
    ASSERT_EQ(probe.times.size(), 1u);
    EXPECT_NEAR(probe.times[0], 0.5f, 1e-4);
    EXPECT_EQ(probe.framebuffer, GLint(window->fboStage()->getFbo()->getFramebuffer()));
    EXPECT_EQ(glInt(GL_FRAMEBUFFER_BINDING_EXT), 0);
    // llvmpipe presents by copying the back buffer and keeps it as it was,
    // so after the swap it still holds what the window shows.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{400, 300}, std::pair{799, 599}})
        expectPixel(x, y, {0, 128, 255}, 0);
}

TEST(GLInfo, TheExtensionListGetsOneNamePerLineAndTheHeadersStayAsTheyAre)
{
    const std::pair<const char*, const char*> cases[] = {{"GL_A GL_B GL_C", "GL_A\nGL_B\nGL_C"}, {"", ""}};
    for (const auto& [extensions, list] : cases)
        EXPECT_EQ(formatGLInfo("llvmpipe", "4.5", "Mesa", extensions),
                  std::string("---------- OpenGL Info: ---------------------------"
                              "GL_RENDERER   = llvmpipe\n"
                              "GL_VERSION    = 4.5\n"
                              "GL_VENDOR     = Mesa\n"
                              "---------- Available OpenGL extensions ------------\n\n") +
                      list + "\n---------------------------------------------------");
}

}  // namespace
