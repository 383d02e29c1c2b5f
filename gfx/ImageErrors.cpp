#include "gfx/ImageErrors.h"

#include <cstdio>

#include "base/FatalExit.h"

void failImageLoad(const char* fileName)
{
    endProcessWithReport(1, "Image: Unable to load file \"%s\"\n", fileName);
}

void failCreateSurface(const char* reason)
{
    endProcessWithReport(1, "%s: %s", "SDL_CreateRGBSurface failed", reason);
}

void printImageLoaded(const char* fileName, int fileW, int fileH, int surfaceW, int surfaceH,
                      bool alpha, int bpp)
{
    printf("Image: Loaded file \"%s\"", fileName);
    if (fileW != surfaceW || fileH != surfaceH)
        printf(", resize: %ix%i->%ix%i", fileW, fileH, surfaceW, surfaceH);
    printf("%s, %i bpp\n", alpha ? ", has Alpha" : "", bpp);
}
