// The show's entry: builds the one AppWindow, runs the main loop until
// Escape or a quit event, and shuts down. Main thread.
#pragma once

#include "app/ShowOptions.h"

// Returns the process exit code (0). Bad options end the process with exit
// code 2, like a window that cannot be had.
int runShow(const ShowOptions& options);
