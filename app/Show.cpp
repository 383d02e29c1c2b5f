#include "app/Show.h"

#include <SDL.h>
#include <malloc.h>

#include <memory>
#include <string>

#include "app/AppErrors.h"
#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "app/Platform.h"
#include "base/ConsoleOutput.h"
#include "control/OscRecorder.h"

namespace {

// The take is in place before the receive thread starts, so that messages
// applied while the window opens are in it too.
std::unique_ptr<OscRecorder> startTake(const std::string& path)
{
    if (path.empty())
        return nullptr;
    std::string why;
    std::unique_ptr<OscRecorder> take = OscRecorder::create(path, why);
    if (!take)
        failShowOption("--record: cannot record to " + path + ": " + why);
    gOscRecorder.store(take.get());
    return take;
}

// After the receive thread has ended: nothing records any more, and what is
// queued is written out.
void endTake(std::unique_ptr<OscRecorder> take)
{
    gOscRecorder.store(nullptr);
    take.reset();
}

}  // namespace

int runShow(const ShowOptions& options)
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

    const bool fullscreen = !options.window;
    const std::string misplaced = placeOnScreen(options.screen, options.width, options.height, fullscreen);
    if (!misplaced.empty())
        failShowOption(misplaced);
    std::unique_ptr<OscRecorder> take = startTake(options.recordFile);

    gApp = new AppWindow("SDL - Driftmeadow v1.0", options.width, options.height, 32, fullscreen, false, true);

    // The take's time 0 is the first frame, whose clock starts in drawFrame.
    if (take)
        take->markOrigin();
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
    endTake(std::move(take));
    SDL_Quit();
    return 0;
}
