// The offline renderer's console lines, with their exact texts, all on
// standard error and each starting with the tool's name. Main thread.
#pragma once

#include <string>

// "driftmeadow-render: <why>\n", then exit code 2: a bad option, a missing
// file, an unwritable folder or no GL context, before anything is drawn.
[[noreturn]] void failRenderSetup(const std::string& why);

// "driftmeadow-render: removed <n> unfinished frame file(s) that an
// interrupted render left in <dir>\n".
void reportUnfinishedFramesRemoved(const std::string& dir, int count);

// "driftmeadow-render: out of memory\n", then exit code 2 at once: an
// allocation of the renderer's own, or the GL's, failed.
[[noreturn]] void failRenderOutOfMemory();
extern const char* const kRenderOutOfMemoryLine;

// "driftmeadow-render: cannot write <path>: <why>\n"; the render stops.
void reportFrameNotWritten(const std::string& path, const std::string& why);

// "driftmeadow-render: <dir> still holds <name> and later frames of an
// earlier render\n": a video made of the folder would take them too.
void reportStaleFrames(const std::string& dir, const std::string& name);
