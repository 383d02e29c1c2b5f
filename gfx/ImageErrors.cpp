#include "gfx/ImageErrors.h"

#include <cstdio>

#include "base/FatalExit.h"

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

void printImageLoaded(const char* fileName, int fileW, int fileH, int surfaceW, int surfaceH,
                      bool alpha, int bpp)
{
    printf("Image: Loaded file \"%s\"", fileName);
    if (fileW != surfaceW || fileH != surfaceH)
        printf(", resize: %ix%i->%ix%i", fileW, fileH, surfaceW, surfaceH);
    printf("%s, %i bpp\n", alpha ? ", has Alpha" : "", bpp);
}
