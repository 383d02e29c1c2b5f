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

void reportNotWritten(const std::string& failure)
{
    fprintf(stderr, "driftmeadow-render: %s\n", failure.c_str());
    fflush(stderr);
}

void failRenderOutput(const std::string& failure)
{
    reportNotWritten(failure);
    endProcessAfterFailure(1);
}

void reportInterrupted(const std::string& where, bool several, int frames)
{
    if (frames == 0)
        fprintf(stderr, "driftmeadow-render: interrupted before the first frame was written\n");
    else
        fprintf(stderr, "driftmeadow-render: interrupted; %s %s %d frames\n", where.c_str(), several ? "hold" : "holds",
                frames);
    fflush(stderr);
}

void reportStaleFrames(const std::string& dir, const std::string& name)
{
    fprintf(stderr, "driftmeadow-render: %s still holds %s and later frames of an earlier render\n",
            dir.c_str(), name.c_str());
    fflush(stderr);
}
