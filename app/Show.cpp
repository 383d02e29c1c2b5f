#include "app/Show.h"

#include <SDL.h>
#include <malloc.h>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "app/Platform.h"
#include "base/ConsoleOutput.h"

int runShow()
{
    // The software renderer takes and frees blocks of half a megabyte and
    // more now and then. Left to itself, the C library raises its threshold
    // for giving such blocks mappings of their own to the largest one freed,
    // after which they come from the heap, and the heap's resident size creeps
    // up over a long show. A fixed threshold keeps them apart and returns
    // them when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);

    // Progress and OSC lines reach a pipe or a file as they happen, in the
    // order printed, and a reader that stops reading never stalls the show.
    ConsoleOutput::start();

    gApp = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);

    bool quit = false;
    while (true) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            // A press of Escape that is released again within one frame
            // leaves no trace in the key state, so its key-down event counts too.
            if (event.type == SDL_QUIT ||
                (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
                quit = true;
        }
        if (SDL_GetKeyState(nullptr)[SDLK_ESCAPE])
            quit = true;
        gApp->drawFrame();
        if (quit)
            break;
    }

    pauseMilliseconds(500);
    delete gApp;
    gApp = nullptr;
    SDL_Quit();
    return 0;
}
