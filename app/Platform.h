// Platform: the few operating-system calls the shell needs, in portable form.
// Main thread.
#pragma once

// Blocks the calling thread for the given number of milliseconds.
void pauseMilliseconds(unsigned ms);

// The show needs OpenGL, which SDL 1.2 offers only through X11 here: without
// a display its fallback text-mode drivers would take over the terminal
// before failing. A driver the user chose in SDL_VIDEODRIVER is kept.
void preferGlVideoDriver();

// A windowed show that asks for a console gets one on Windows; on Linux the
// standard streams already are the terminal's, so nothing is reopened.
void attachConsole();
