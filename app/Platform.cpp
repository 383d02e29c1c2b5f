#include "app/Platform.h"

#include <chrono>
#include <cstdlib>
#include <thread>

void pauseMilliseconds(unsigned ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void attachConsole() {}

void preferGlVideoDriver()
{
    setenv("SDL_VIDEODRIVER", "x11", 0);
}
