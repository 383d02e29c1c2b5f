// driftmeadow-control: the bridge between the performer's controllers and
// the show. MIDI in (ALSA sequencer or JACK) and OSC in from any app, taken
// through one mapping language to the show's input values, the MIDI
// mirrored as the show's own messages, sent to one or more shows; feedback
// to the OSC apps; a live display on a terminal.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "base/StandardStreams.h"
#include "bridge/Bridge.h"
#include "bridge/BridgeConsole.h"
#include "bridge/OscInSource.h"
#include "bridge/WebAccess.h"
#include "bridge/WebControlServer.h"

namespace {

const char* const kExamples =
    "MIDI channels are counted 1 to 16 in mappings and --learn, as on the controller; the show's /CTL, /NOTE "
    "and /BEND carry them as 0 to 15.\n"
    "Examples:\n"
    "  driftmeadow-control                          the first MIDI port there is, default mappings\n"
    "  driftmeadow-control --midi nanoKONTROL --learn    move a control: its --map is printed\n"
    "  driftmeadow-control --osc-in 9000 --map 2=osc:/1/fader1,smooth=200 --map 0=osc:/1/xy1:2\n"
    "  driftmeadow-control --midi --send 192.168.1.20:55550 --send 192.168.1.21:55550\n"
    "  driftmeadow-control --web                    the control page for a phone on this network\n"
    "Ctrl-C ends the bridge.";

// A CLI11 check that runs one of the parsers and passes its reason on.
template <typename Parsed, typename Parse>
CLI::Validator checkWith(Parse parse, bool quoted)
{
    return CLI::Validator(
        [parse, quoted](std::string& text) {
            Parsed parsed;
            std::string error;
            if (parse(text, parsed, error))
                return std::string();
            return quoted ? "'" + text + "': " + error : error;
        },
        "");
}

std::vector<std::string> defaultTexts()
{
    std::vector<std::string> texts;
    for (const MappingRule& rule : defaultMappings())
        texts.push_back(mappingText(rule));
    return texts;
}

// The mappings, destinations and OSC port as runBridge takes them; a
// CLI::ValidationError for what is unsound together.
void collect(const std::vector<std::string>& maps, const std::string& mapsFile, const std::vector<std::string>& sends,
             const std::string& oscIn, BridgeOptions& options)
{
    std::string error;
    if (!mapsFile.empty() && !readMappingFile(mapsFile, options.mappings, error))
        throw CLI::ValidationError("--maps", error);
    for (const std::string& text : maps) {
        MappingRule rule;
        parseMapping(text, rule, error);
        options.mappings.push_back(rule);
    }
    if (options.mappings.empty())
        options.mappings = defaultMappings();
    for (const std::string& text : sends.empty() ? std::vector<std::string>{""} : sends) {
        OscInputSender::Destination d;
        OscInputSender::parseDestination(text, d, error);
        options.destinations.push_back(d);
    }
    if (options.oscIn) {
        OscInSource::parseListenAddress(oscIn, options.oscInAt, error);
        for (const OscInputSender::Destination& d : options.destinations) {
            const bool local = (d.address >> 24) == 127 || options.oscInAt.address == IpEndpointName::ANY_ADDRESS ||
                               d.address == options.oscInAt.address;
            if (local && d.port == options.oscInAt.port)
                throw CLI::ValidationError(sendsToItself(d.name));
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Descriptors 0 to 2 stay the standard streams, whatever opens next.
    openStandardStreams();
    CLI::App app{"Takes MIDI controllers and OSC apps to the show: each mapped control sets one of the show's "
                 "input values, every MIDI message is mirrored as /CTL, /NOTE or /BEND, and OSC apps are sent "
                 "back where their controls should stand.",
                 "driftmeadow-control"};
    BridgeOptions options;
    std::vector<std::string> maps, sends;
    std::string mapsFile, oscIn, midiName;
    CLI::Option* midi = app.add_option("--midi", midiName,
                                       "MIDI in from the first port whose name holds NAME (any case), taken again "
                                       "by name when it was unplugged; alone: a virtual port named 'driftmeadow' "
                                       "that other programs connect to")
                            ->option_text("[NAME]")
                            ->expected(0, 1);
    CLI::Option* api = app.add_option("--midi-api", options.midiApi,
                                      "alsa (the ALSA sequencer) or jack (a running JACK server); without it ALSA "
                                      "where the sequencer exists, else JACK")
                           ->check(CLI::IsMember({"alsa", "jack"}));
    app.add_flag("--list", options.list, "Print the MIDI input ports and end");
    CLI::Option* osc = app.add_option("--osc-in", oscIn,
                                      "OSC in from any app on this UDP port (every local interface unless HOST is "
                                      "given); int32 or float arguments, at any address. Without --midi or "
                                      "--midi-api, MIDI is then not used")
                           ->option_text("[HOST:]PORT")
                           ->check(checkWith<IpEndpointName>(OscInSource::parseListenAddress, false));
    app.add_option("--map", maps, mappingHelp(defaultTexts()))
        ->option_text("ID=SOURCE[,min=V][,max=V][,invert][,smooth=MS]")
        ->check(checkWith<MappingRule>(parseMapping, true));
    app.add_option("--maps", mapsFile, "Mappings from a file, one a line as for --map; '#' starts a comment")
        ->option_text("FILE");
    app.add_flag("--learn", options.learn,
                 "For each control moved, print the mapping that takes it: cc 1:74 moved: --map ID=midi:cc:1:74");
    app.add_option("--send", sends,
                   "A show to send to, repeatable (127.0.0.1:55550 unless given); at most 60 messages a second "
                   "per input and show, the last value always sent")
        ->option_text("[HOST:]PORT")
        ->check(checkWith<OscInputSender::Destination>(OscInputSender::parseDestination, false));
    std::string webAddress;
    CLI::Option* web = app.add_option("--web", webAddress,
                                      "Serve the control page for phones, tablets and browsers on this TCP port "
                                      "(every local interface unless HOST is given; alone: port 8550); its "
                                      "address with the token is printed at start, with a QR code on a terminal. "
                                      "Its faders arrive as osc:/page/input/2 and osc:/page/input/0, mapped to "
                                      "inputs 2 and 0 unless --map takes them. Without --midi or --midi-api, MIDI "
                                      "is then not used")
                           ->option_text("[[HOST:]PORT]")
                           ->expected(0, 1)
                           ->check(CLI::Validator(
                               [](std::string& text) {
                                   std::string host, error;
                                   int port;
                                   return parseWebAddress(text, host, port, error) ? std::string() : error;
                               },
                               ""));
    app.add_option("--web-token", options.webToken,
                   "The token the control page's address carries (8 to 64 letters, digits, '_' or '-'); a "
                   "random one unless given")
        ->option_text("TOKEN")
        ->needs(web)
        ->check(CLI::Validator(
            [](std::string& text) {
                std::string error;
                return checkWebToken(text, error) ? std::string() : error;
            },
            ""));
    app.footer(kExamples);
    try {
        app.parse(argc, argv);
        options.oscIn = osc->count() > 0;
        options.web = web->count() > 0;
        options.midi = midi->count() > 0 || api->count() > 0 || !(options.oscIn || options.web);
        options.virtualPort = midi->count() > 0 && midiName.empty();
        options.midiName = midiName;
        options.oscInText = oscIn;
        collect(maps, mapsFile, sends, oscIn, options);
        if (options.web) {
            std::string error;
            parseWebAddress(webAddress, options.webHost, options.webPort, error);
            WebControlServer::addPageMappings(options.mappings);
        }
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        reportBadOption(e.what());
        return 2;
    }
    return runBridge(options);
}
