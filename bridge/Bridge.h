// driftmeadow-control's run: the engine, the OSC and MIDI sources, the live
// display, until Ctrl-C or a termination request. Main thread.
#pragma once

#include "bridge/BridgeOptions.h"

// Returns the process's exit code: 0 after Ctrl-C (or --list), 2 when no
// MIDI system or OSC port can be had, 1 when MIDI fails after that.
int runBridge(const BridgeOptions& options);
