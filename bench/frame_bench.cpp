// Frame-time benchmark: frames of whatever the show has on its timeline
// against empty frames through the off-screen stage (clear it, final pass,
// swap: the floor of any frame of the show on this renderer), and that floor
// against a bare clear and swap, which shows the stage's own cost; all
// measured in the same run. Usage: frame_bench [frames per round] [rounds]
// Run it on a display, e.g. through tools/bench.sh.
#include <SDL.h>
#include <cstdlib>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "bench/FrameHarness.h"
#include "gfx/FboStage.h"

static void bareFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

static void emptyStageFrame()
{
    FboStage* stage = gApp->fboStage();
    stage->begin();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    stage->end();
    stage->drawFinalPass();
    SDL_GL_SwapBuffers();
}

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? atoi(argv[1]) : 200;
    const int rounds = argc > 2 ? atoi(argv[2]) : 5;
    gApp = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);

    const FrameComparison c = compareFrames(
        frames, rounds, [] { gApp->drawFrame(); }, emptyStageFrame);
    const FrameComparison stageCost = compareFrames(frames, rounds, emptyStageFrame, bareFrame);
    printf("%d rounds of %d frames, median round:\n", rounds, frames);
    printComparison("timeline frame", "empty stage frame (floor)", c);
    printComparison("empty stage frame", "clear and swap", stageCost);
    SDL_Quit();
    return 0;
}
