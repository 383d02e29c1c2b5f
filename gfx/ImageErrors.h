// The image loader's error reports, with their exact texts. Each writes to
// standard error and ends the process like every set-up failure (SDL shut
// down first) with exit code 1: the show cannot run without its pictures.
#pragma once

// "Image: Unable to load file \"%s\"\n" with the file name.
[[noreturn]] void failImageLoad(const char* fileName);

// "SDL_CreateRGBSurface failed: %s" with the reason (SDL's error text, or why
// the surface was refused); no line end follows.
[[noreturn]] void failCreateSurface(const char* reason);
