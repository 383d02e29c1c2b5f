// Platform: the few operating-system calls the shell needs, in portable form.
// Main thread.
#pragma once

#include <string>

// Blocks the calling thread for the given number of milliseconds.
void pauseMilliseconds(unsigned ms);

// The show needs OpenGL, which SDL 1.2 offers only through X11 here: without
// a display its fallback text-mode drivers would take over the terminal
// before failing. A driver the user chose in SDL_VIDEODRIVER is kept.
void preferGlVideoDriver();

// Puts the show's picture of width by height on screen `screen` (a Xinerama
// head of the display) through SDL's environment: full screen on that head,
// or a window centred on it. A negative screen leaves SDL's choice as it is.
// Empty when done, otherwise why not (the display has no such screen).
// Without a display nothing is checked: opening the window fails then anyway.
std::string placeOnScreen(int screen, int width, int height, bool fullscreen);

// A windowed show that asks for a console gets one on Windows; on Linux the
// standard streams already are the terminal's, so nothing is reopened.
void attachConsole();
