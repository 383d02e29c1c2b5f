#include "audiotool/AudioToolText.h"

#include <SDL.h>
#include <cstdio>

#include "base/PrintableText.h"

void printPeak(int bin)
{
    printf("peak: bin %d, %.1f Hz\n", bin, bin * 44100.0 / 4096.0);
    fflush(stdout);
}

void printNoPeak()
{
    printf("peak: none (silence)\n");
    fflush(stdout);
}

void reportSdlNotStarted()
{
    fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
}

void reportBadOption(const char* what)
{
    fprintf(stderr, "driftmeadow-audio: %s (see --help)\n", printableText(what).c_str());
}
