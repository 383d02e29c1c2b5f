#include "gfx/ImageErrors.h"

#include <cstdio>
#include <cstdlib>

void failImageLoad(const char* fileName)
{
    fprintf(stderr, "Image: Unable to load file \"%s\"\n", fileName);
    exit(1);
}

void failCreateSurface(const char* reason)
{
    fprintf(stderr, "%s: %s", "SDL_CreateRGBSurface failed", reason);
    exit(1);
}
