#include "app/AppErrors.h"

#include <SDL.h>
#include <cstdio>

#include "gfx/FatalExit.h"

void failNoVideoMode()
{
    fprintf(stderr, "Couldn't set GL video mode: %s\n", SDL_GetError());
    endProcessAfterFailure(2);
}

void reportTableFull(const char* table)
{
    fprintf(stderr, "The %s table is full (256 entries): entry refused\n", table);
}
