#include "frame/FrameErrors.h"

#include <cstdio>

void reportTableFull(const char* table)
{
    fprintf(stderr, "The %s table is full (256 entries): entry refused\n", table);
}
