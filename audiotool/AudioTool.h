// The performers' audio tool (driftmeadow-audio): starts an AudioInput (live
// with the driver menus, or from a file), then either shows a live spectrum
// meter until Escape or Ctrl-C, or, once, prints the strongest bin after one
// second; then stops the input. While the meter runs it can send the mapped
// levels to the show's OSC port, once per frame of levels. Main thread.
#pragma once

#include <string>
#include <vector>

#include "control/OscInputSender.h"
#include "levels/LevelMapping.h"

struct AudioToolOptions {
    bool fromFile = false;
    std::string file;   // when fromFile
    bool once = false;  // the peak line instead of the meter
    bool send = false;  // with the meter: send to `destination`
    OscInputSender::Destination destination;
    std::vector<LevelMappingRule> mappings;  // distinct IDs; empty: the defaults
};

// Returns the process's exit code; set-up failures end the process inside
// (audio/AudioConsole.h).
int runAudioTool(const AudioToolOptions& options);
