// Test support: one real OpenGL window per test program, on the display the
// test script started (Xvfb with Mesa), plus read-back helpers. Main thread.
#pragma once

#include <GL/glew.h>

#include <array>
#include <vector>

// Opens (once) an 800x600 double-buffered GL window with the show's GL
// attributes, initialises GLEW and leaves the GL state at its defaults.
void openTestWindow();

struct Rgba {
    int r, g, b, a;
};
// One pixel of the current read buffer, as bytes.
Rgba readPixel(int x, int y);
// Expects the pixel's colour (not its alpha) within tolerance per channel.
void expectPixel(int x, int y, Rgba colour, int tolerance = 1);

// The values of an integer GL state (up to four): a stack depth, a binding, the viewport.
std::array<GLint, 4> glInts(GLenum what);
inline int glInt(GLenum what) { return glInts(what)[0]; }
inline int modelviewDepth() { return glInt(GL_MODELVIEW_STACK_DEPTH); }
inline int projectionDepth() { return glInt(GL_PROJECTION_STACK_DEPTH); }

// Both matrices as 16 floats each, to compare before and after a call.
std::vector<float> currentMatrices();
