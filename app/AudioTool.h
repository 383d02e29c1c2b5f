// The performers' audio tool (driftmeadow-audio): starts an AudioInput (live
// with the driver menus, or from a file), then either shows a live spectrum
// meter until Escape or Ctrl-C, or, once, prints the strongest bin after one
// second; then stops the input. Main thread.
#pragma once

#include <string>

struct AudioToolOptions {
    bool fromFile = false;
    std::string file;   // when fromFile
    bool once = false;  // the peak line instead of the meter
};

// Returns the process's exit code; set-up failures end the process inside
// (audio/AudioConsole.h).
int runAudioTool(const AudioToolOptions& options);
