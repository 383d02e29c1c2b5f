// libFuzzer target for the packet path of the OSC receiver: whatever bytes
// arrive as one datagram, the structure check, oscpack's parsing and the
// dispatch must neither crash, read or write out of bounds, nor hang. Built
// and run by tools/fuzz.sh.
#include <cstdint>
#include <cstdio>

#include <ip/IpEndpointName.h>

#include "control/OscControlReceiver.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Status and error lines for every input would only slow the run down.
    if (!freopen("/dev/null", "w", stdout))
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bound to a port of the system's choosing and never started: the input
    // goes straight to the handler that the receive loop would call.
    static OscControlReceiver* receiver = new OscControlReceiver(0, "127.0.0.1");
    static const IpEndpointName sender("127.0.0.1", 9);
    receiver->ProcessPacket(reinterpret_cast<const char*>(data), static_cast<int>(size), sender);
    return 0;
}
