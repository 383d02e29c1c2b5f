// The show's GL start-up, shared by the window and the offline renderer so
// that both draw into the same state. Main thread, with a GL context current
// (requestShowGlAttributes: before the context is made).
#pragma once

// The GL attributes the show's window asks for: 8 bits per colour channel
// and alpha, 24-bit depth, double buffering. Call before SDL_SetVideoMode.
void requestShowGlAttributes();

// Viewport and the show's perspective projection for a surface of that size;
// the only place the projection is set.
void setShowProjection(int width, int height);

// The start-up GL state: depth range, the two lights, depth test, blending,
// smoothing, colour material, normals and culling.
void setShowStartupState();
