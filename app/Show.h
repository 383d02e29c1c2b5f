// The show's entry: builds the one AppWindow, runs the main loop until
// Escape or a quit event, and shuts down. Main thread.
#pragma once

// Returns the process exit code (0).
int runShow();
