#include <new>

#include "app/AppErrors.h"
#include "app/Show.h"
#include "base/OutOfMemory.h"
#include "base/StandardStreams.h"
#include "frame/ShowGl.h"

int main(int, char**)
{
    openStandardStreams();
    reportUncaughtOutOfMemory(kOutOfMemoryLine);
    keepShaderCacheOffDisk();
    try {
        return runShow();
    } catch (const std::bad_alloc&) {
        failOutOfMemory();
    }
}
