// The show's GL start-up, shared by the window and the offline renderer so
// that both draw into the same state. Main thread, with a GL context current
// (requestShowGlAttributes: before the context is made).
#pragma once

// Keeps the GL driver's shader cache off the disk unless the user chose its
// settings. Mesa's on-disk cache maps its index file into memory, and on a
// full file system a write into that mapping ends the process with SIGBUS and
// no message, at start-up or at any later compile. Call before the GL context
// is made (the driver reads its environment then), while no other thread runs.
void keepShaderCacheOffDisk();

// Takes the GL's error flags; true when one says it ran out of memory. The
// frame just drawn is then lost, and the driver may crash on the next call:
// the programs end with one line instead. Once a frame.
bool glRanOutOfMemory();

// The GL attributes the show's window asks for: 8 bits per colour channel
// and alpha, 24-bit depth, double buffering. Call before SDL_SetVideoMode.
void requestShowGlAttributes();

// Viewport and the show's perspective projection for a surface of that size;
// the only place the projection is set.
void setShowProjection(int width, int height);

// The start-up GL state: depth range, the two lights, depth test, blending,
// smoothing, colour material, normals and culling.
void setShowStartupState();
