#include "render/RenderConsole.h"

#include <cstdio>

#include "base/FatalExit.h"
#include "base/OutOfMemory.h"

void failRenderSetup(const std::string& why)
{
    endProcessWithReport(2, "driftmeadow-render: %s\n", why.c_str());
}

void reportUnfinishedFramesRemoved(const std::string& dir, int count)
{
    fprintf(stderr, "driftmeadow-render: removed %d unfinished frame %s that an interrupted render left in %s\n",
            count, count == 1 ? "file" : "files", dir.c_str());
    fflush(stderr);
}

const char* const kRenderOutOfMemoryLine = "driftmeadow-render: out of memory\n";

void failRenderOutOfMemory()
{
    endProcessOutOfMemory(kRenderOutOfMemoryLine);
}

void reportFrameNotWritten(const std::string& path, const std::string& why)
{
    fprintf(stderr, "driftmeadow-render: cannot write %s: %s\n", path.c_str(), why.c_str());
    fflush(stderr);
}

void reportStaleFrames(const std::string& dir, const std::string& name)
{
    fprintf(stderr, "driftmeadow-render: %s still holds %s and later frames of an earlier render\n",
            dir.c_str(), name.c_str());
    fflush(stderr);
}
