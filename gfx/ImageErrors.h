// The image loader's console lines, with their exact texts: the load line on
// standard output, and the error reports, which write to standard error and
// end the process like every set-up failure (SDL shut down first) with exit
// code 1: the show cannot run without its pictures.
#pragma once

// "Image: Loaded file \"%s\"", then ", resize: %ix%i->%ix%i" from the file's
// size to the surface's when they differ, then ", has Alpha" when the surface
// has alpha, then ", %i bpp\n".
void printImageLoaded(const char* fileName, int fileW, int fileH, int surfaceW, int surfaceH,
                      bool alpha, int bpp);

// "Image: Unable to load file \"%s\"\n" with the file name.
[[noreturn]] void failImageLoad(const char* fileName);

// "SDL_CreateRGBSurface failed: %s" with the reason (SDL's error text, or why
// the surface was refused); no line end follows.
[[noreturn]] void failCreateSurface(const char* reason);
