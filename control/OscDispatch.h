// The dispatch of one OSC message into the ControlState: exact-match of the
// four addresses, int32 argument checks, the status line, the stores. The live
// receiver calls it on its receive thread for every message it takes in; the
// offline renderer calls it on the main thread for every recorded message.
// One caller at a time: only one thread may write the ControlState.
#pragma once

#include <osc/OscReceivedElements.h>

// Every failure in the message (missing, wrong or surplus arguments, an index
// outside its table) is reported as one "error while parsing message: " line
// and the message then has no effect; an unknown address does nothing.
void dispatchOscMessage(const osc::ReceivedMessage& message);
