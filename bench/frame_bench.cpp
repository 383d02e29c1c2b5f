// Frame-time benchmark: frames of whatever the show has on its timeline
// against empty frames (clear and swap: the floor on this renderer), measured
// in the same run. Usage: frame_bench [frames per round] [rounds]
// Run it on a display, e.g. through tools/bench.sh.
#include <SDL.h>
#include <cstdlib>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "bench/FrameHarness.h"

static void emptyFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? atoi(argv[1]) : 200;
    const int rounds = argc > 2 ? atoi(argv[2]) : 5;
    gApp = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);

    const FrameComparison c = compareFrames(
        frames, rounds, [] { gApp->drawFrame(); }, emptyFrame);
    printf("%d rounds of %d frames, median round:\n", rounds, frames);
    printComparison("timeline frame", "empty frame (floor)", c);
    SDL_Quit();
    return 0;
}
