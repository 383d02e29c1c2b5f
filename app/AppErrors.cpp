#include "app/AppErrors.h"

#include <SDL.h>
#include <cstdio>
#include <string>

#include "base/DescriptorLimit.h"
#include "base/FatalExit.h"
#include "base/OutOfMemory.h"

void failNoVideoMode()
{
    const std::string why = SDL_GetError();
    if (nearDescriptorLimit())
        endProcessWithReport(2,
                             "Couldn't set GL video mode: %s\n"
                             "The show may open %lu file descriptors (ulimit -n) and has used them up: "
                             "that is the likely cause\n",
                             why.c_str(), descriptorLimit());
    endProcessWithReport(2, "Couldn't set GL video mode: %s\n", why.c_str());
}

const char* const kOutOfMemoryLine = "Out of memory\n";

void failOutOfMemory()
{
    endProcessOutOfMemory(kOutOfMemoryLine);
}

void failShowOption(const std::string& why)
{
    fprintf(stderr, "driftmeadow: %s (see --help)\n", why.c_str());
    endProcessAfterFailure(2);
}
