#include "scenes/SceneErrors.h"

#include <cstdio>

void reportFramesRefused(const char* folder, int asked, int capacity)
{
    fprintf(stderr, "%i frames asked for in \"%s\": the frame table holds %i, frames %i to %i refused\n",
            asked, folder, capacity, capacity + 1, asked);
}

void reportFrameTableFull(const char* fileName, int capacity)
{
    fprintf(stderr, "The frame table is full (%i frames): \"%s\" refused\n", capacity, fileName);
}
