// libFuzzer target for the control page's message parser: whatever bytes a
// WebSocket text frame holds, parsing must neither crash nor read out of
// bounds, and what it accepts must be a sound message: an input 0..255 and a
// level within 0..1 that prints back as the same message. Built and run by
// tools/fuzz.sh.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bridge/PageMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly `size` bytes, so that reading past the frame is caught.
    std::vector<char> frame(data, data + size);
    const PageMessage m = parsePageMessage(frame.data(), frame.size());
    if (m.kind != PageMessage::Set)
        return 0;
    if (m.input < 0 || m.input > 255 || !(m.level >= 0.0 && m.level <= 1.0))
        std::abort();
    char again[32];
    const int n = std::snprintf(again, sizeof again, "set %d %.6f", m.input, m.level);
    const PageMessage back = parsePageMessage(again, std::size_t(n));
    if (back.kind != PageMessage::Set || back.input != m.input || std::fabs(back.level - m.level) > 1e-6)
        std::abort();
    return 0;
}
