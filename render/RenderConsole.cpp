#include "render/RenderConsole.h"

#include <cstdio>

#include "base/FatalExit.h"

void failRenderSetup(const std::string& why)
{
    fprintf(stderr, "driftmeadow-render: %s\n", why.c_str());
    endProcessAfterFailure(2);
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
