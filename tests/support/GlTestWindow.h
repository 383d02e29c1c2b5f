// Test support: one real OpenGL window per test program, on the display the
// test script started (Xvfb with Mesa), plus read-back helpers. Main thread.
#pragma once

#include <GL/glew.h>

#include <functional>
#include <vector>

// Opens (once) an 800x600 double-buffered GL window with the show's GL
// attributes, initialises GLEW and leaves the GL state at its defaults.
void openTestWindow();

struct Rgba {
    int r, g, b, a;
};
// One pixel of the current read buffer, as bytes.
Rgba readPixel(int x, int y);

// Runs draw in GL feedback mode (GL_3D_COLOR) and returns the vertices of
// every primitive it produced, as x, y, z window coordinates.
struct FeedbackVertex {
    float x, y, z;
};
std::vector<FeedbackVertex> captureFeedback(const std::function<void()>& draw);

// The current depth of the modelview and projection stacks.
int modelviewDepth();
int projectionDepth();

// Both matrices as 16 floats each, to compare before and after a call.
std::vector<float> currentMatrices();
