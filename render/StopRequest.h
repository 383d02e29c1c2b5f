// Ctrl-C during a render: the first SIGINT asks the render to stop after the
// frame being drawn, so that what was written is completed properly; a
// second one ends the process at once, as usual. The flag is process-wide:
// set by the signal handler, read by the main thread.
#pragma once

// Main thread, once the render is about to draw.
void catchStopRequest();
// True once SIGINT came.
bool stopRequested();
