// Ctrl-C (SIGINT) or a termination request (SIGTERM) as a request to stop
// cleanly: a tool's main loop polls it and ends as it would on Escape. The
// flag is process-wide: set by the signal handler, read by any thread.
#pragma once

// Main thread, once, before the loop that polls stopRequested().
void catchStopSignals();
// True once SIGINT or SIGTERM came.
bool stopSignalled();
