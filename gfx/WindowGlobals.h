// The size of the picture being drawn: the show's window, or the framebuffer
// that stands in for it in the offline renderer. Written once at start-up by
// whichever program opens that surface, before any scene exists; read by
// anyone on the main thread afterwards.
#pragma once

extern int gWindowWidth;
extern int gWindowHeight;
extern int gWindowBpp;
extern float gWindowAspect;  // height / width; 1.0 until the window exists

// Sets all four for a surface of that size.
void setWindowGlobals(int width, int height, int bpp);
