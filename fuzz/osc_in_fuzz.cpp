// libFuzzer target for the bridge's OSC in: whatever bytes arrive as one
// datagram from an app, the structure check, oscpack's parsing, the
// conversion of its arguments, the feedback bookkeeping and the engine's
// mapping and --learn must neither crash, read or write out of bounds, nor
// hang. Built and run by tools/fuzz.sh.
#include <cstdint>
#include <cstdio>

#include <ip/IpEndpointName.h>

#include "bridge/BridgeEngine.h"
#include "bridge/OscInSource.h"

namespace {

BridgeEngine::Settings settings()
{
    BridgeEngine::Settings s;
    for (const char* text : {"2=osc:/1/fader1,smooth=50", "0=osc:/1/xy1:2,invert", "3=osc:/1/xy1:1,min=5,max=9"}) {
        MappingRule rule;
        std::string unused;
        parseMapping(text, rule, unused);
        s.mappings.push_back(rule);
    }
    // The discard port: nothing listens there on loopback.
    OscInputSender::Destination nowhere;
    std::string unused;
    OscInputSender::parseDestination("127.0.0.1:9", nowhere, unused);
    s.destinations.push_back(nowhere);
    s.learn = true;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bound to a port of the system's choosing and never started: the input
    // goes straight to the handler the receive loop would call; the engine
    // runs on its thread as in the bridge.
    static BridgeEngine* engine = [] {
        auto* e = new BridgeEngine(settings(), [](const std::string&) {});
        return e;
    }();
    static OscInSource* source = [] {
        auto* s = new OscInSource(IpEndpointName("127.0.0.1", 0), *engine, [](const std::string&) {});
        engine->addListener(&s->feedback());
        engine->start();
        return s;
    }();
    static const IpEndpointName sender("127.0.0.1", 9);
    source->ProcessPacket(reinterpret_cast<const char*>(data), static_cast<int>(size), sender);
    return 0;
}
