#include "gfx/ImageErrors.h"

#include <cstdio>

#include "gfx/FatalExit.h"

void failImageLoad(const char* fileName)
{
    fprintf(stderr, "Image: Unable to load file \"%s\"\n", fileName);
    endProcessAfterFailure(1);
}

void failCreateSurface(const char* reason)
{
    fprintf(stderr, "%s: %s", "SDL_CreateRGBSurface failed", reason);
    endProcessAfterFailure(1);
}
