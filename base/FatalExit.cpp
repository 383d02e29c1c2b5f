#include "base/FatalExit.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

void endProcessAfterFailure(int code)
{
    fflush(stderr);
    fflush(stdout);
    SDL_Quit();
    exit(code);
}
