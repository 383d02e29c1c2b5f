#include "app/AppErrors.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

void failNoVideoMode()
{
    fprintf(stderr, "Couldn't set GL video mode: %s\n", SDL_GetError());
    fflush(stderr);
    SDL_Quit();
    exit(2);
}

void reportTableFull(const char* table)
{
    fprintf(stderr, "The %s table is full (256 entries): entry refused\n", table);
}
