#include "app/AppErrors.h"

#include <SDL.h>
#include <cstdio>

#include "base/FatalExit.h"

void failNoVideoMode()
{
    fprintf(stderr, "Couldn't set GL video mode: %s\n", SDL_GetError());
    endProcessAfterFailure(2);
}

void failShowOption(const std::string& why)
{
    fprintf(stderr, "driftmeadow: %s (see --help)\n", why.c_str());
    endProcessAfterFailure(2);
}
