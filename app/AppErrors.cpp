#include "app/AppErrors.h"

#include <SDL.h>
#include <cstdio>

#include "base/FatalExit.h"

void failNoVideoMode()
{
    fprintf(stderr, "Couldn't set GL video mode: %s\n", SDL_GetError());
    endProcessAfterFailure(2);
}
