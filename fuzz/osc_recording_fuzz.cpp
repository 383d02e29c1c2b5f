// libFuzzer target for the reader of oscdump recordings: whatever text a
// recording holds, reading it and applying every message through the live
// dispatch must neither crash, read or write out of bounds, nor hang.
// Built and run by tools/fuzz.sh.
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "control/OscRecording.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The status and error lines would only slow the run down.
    if (!freopen("/dev/null", "w", stdout))
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    OscRecording recording;
    recording.read(in, "fuzz.osc");
    recording.applyUntil(1e300);
    if (recording.appliedCount() != recording.messageCount())
        __builtin_trap();  // every message read is applied by the end
    return 0;
}
