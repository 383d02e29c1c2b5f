// Test support: one real OpenGL window per test program, on the display the
// test script started (Xvfb with Mesa), plus read-back helpers. Main thread.
#pragma once

#include <GL/glew.h>

#include <vector>

// Opens (once) an 800x600 double-buffered GL window with the show's GL
// attributes, initialises GLEW and leaves the GL state at its defaults.
void openTestWindow();

struct Rgba {
    int r, g, b, a;
};
// One pixel of the current read buffer, as bytes.
Rgba readPixel(int x, int y);

// The current depth of the modelview and projection stacks.
int modelviewDepth();
int projectionDepth();

// Both matrices as 16 floats each, to compare before and after a call.
std::vector<float> currentMatrices();
