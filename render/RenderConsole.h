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

// "driftmeadow-render: <failure>\n", a frame or the video that could not be
// written ("cannot write <path>: <why>"); the render stops with exit code 1.
void reportNotWritten(const std::string& failure);

// The same line, then exit code 1: an output that cannot be opened (the
// video file, its encoders) before anything is drawn.
[[noreturn]] void failRenderOutput(const std::string& failure);

// After Ctrl-C: "driftmeadow-render: interrupted; <where> holds <n>
// frames\n" ("hold" when where names two outputs), or with no frame written
// "driftmeadow-render: interrupted before the first frame was written\n".
void reportInterrupted(const std::string& where, bool several, int frames);

// "driftmeadow-render: <dir> still holds <name> and later frames of an
// earlier render\n": a video made of the folder would take them too.
void reportStaleFrames(const std::string& dir, const std::string& name);
