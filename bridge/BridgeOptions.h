// What the performer asked of driftmeadow-control, checked: mappings parsed
// (the defaults when none were given), destinations resolved. Filled by main
// on the main thread.
#pragma once

#include <string>
#include <vector>

#include <ip/IpEndpointName.h>

#include "bridge/MappingRule.h"
#include "control/OscInputSender.h"

struct BridgeOptions {
    std::vector<MappingRule> mappings;
    std::vector<OscInputSender::Destination> destinations;
    bool oscIn = false;
    IpEndpointName oscInAt;
    std::string oscInText;     // as given, for the start-up line
    bool midi = false;         // MIDI in at all
    bool virtualPort = false;  // --midi alone
    std::string midiName;      // --midi NAME; empty: the first port there is
    std::string midiApi;       // "alsa", "jack" or empty
    bool list = false;
    bool learn = false;
    bool web = false;       // the control page
    std::string webHost;    // where it listens; "0.0.0.0" for every interface
    int webPort = 0;
    std::string webToken;   // --web-token; empty: a random one at start
};
