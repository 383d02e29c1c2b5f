// The dispatch of one OSC message into the ControlState: exact-match of the
// four addresses, int32 argument checks, the status line, the stores; and of
// the transport's two messages into its requests (control/TransportRequests.h),
// whose times are int32 or float seconds. The live
// receiver calls it on its receive thread for every message it takes in; the
// offline renderer calls it on the main thread for every recorded message.
// One caller at a time: only one thread may write the ControlState.
#pragma once

#include <osc/OscReceivedElements.h>

// The transport's addresses.
constexpr const char* kSeekAddress = "/driftmeadow/seek";
constexpr const char* kLoopAddress = "/driftmeadow/loop";

// Every failure in the message (missing, wrong or surplus arguments, an index
// outside its table, a time out of range) is reported as one "error while
// parsing message: " line and the message then has no effect; an unknown
// address does nothing. True when the message took effect.
bool dispatchOscMessage(const osc::ReceivedMessage& message);
