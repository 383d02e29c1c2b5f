// libFuzzer target for the audio tool's option parsers: whatever text is
// given to --map or --send, parsing must end with a value or a one-line
// reason, never a crash, and what it accepts must be in range: a mapping's
// ID, band, gain and times; a destination's port, and the address it shows
// first (a dotted quad that matches the address used). Each input goes
// through both. Host names are looked up for real: tools/fuzz.sh runs this
// target in a private network, where a look-up beyond /etc/hosts fails at
// once. Built and run by tools/fuzz.sh.
#include <arpa/inet.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "levels/LevelMapping.h"
#include "control/OscInputSender.h"

namespace {

bool soundMapping(const LevelMappingRule& r)
{
    return r.id >= 0 && r.id <= 255 && r.low >= 0.0f && r.low <= r.high && r.high <= 1.0f && std::isfinite(r.gain) &&
           r.gain >= 0.0 && r.gain <= 1000.0 && r.attackMs >= 0.0 && r.attackMs <= 60000.0 && r.releaseMs >= 0.0 &&
           r.releaseMs <= 60000.0;
}

bool soundDestination(const OscInputSender::Destination& d)
{
    const std::string shown = d.name.substr(0, d.name.find(':'));
    in_addr a{};
    return d.port >= 1 && d.port <= 65535 && inet_pton(AF_INET, shown.c_str(), &a) == 1 &&
           ntohl(a.s_addr) == d.address;
}

bool oneLine(const std::string& error)
{
    return !error.empty() && error.find('\n') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    LevelMappingRule rule;
    std::string error;
    if (parseLevelMapping(text, rule, error) ? !soundMapping(rule) : !oneLine(error))
        __builtin_trap();
    OscInputSender::Destination destination;
    error.clear();
    if (OscInputSender::parseDestination(text, destination, error) ? !soundDestination(destination)
                                                                   : !oneLine(error))
        __builtin_trap();
    return 0;
}
