// driftmeadow-audio: the audio input for performers, on the console. Live
// input through the driver menus, or a sound file; a spectrum meter, or one
// peak line with --once. With --send the meter's levels steer the show
// through its OSC port, mapped as the performer says with --map.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "audiotool/AudioTool.h"
#include "audiotool/AudioToolText.h"
#include "base/StandardStreams.h"
#include "control/OscInputSender.h"
#include "levels/LevelMapping.h"

namespace {

const char* const kMapHelp =
    "Input ID follows the loudest spectrum level of either channel between LO and HI (0 to 1, an octave "
    "per 0.1: 0.05 is 30 Hz, 0.2 86 Hz, 0.6 1.4 kHz, 0.9 11 kHz), smoothed with attack and release times "
    "in ms (default 50, 500); sent as gain x level x 32765 (default gain 1; a full-scale tone's level is "
    "about 1), clamped to 0..32765. Repeatable, one per ID. Without --map: "
    "2=0.05:0.2,gain=0.05 (bass) and 0=0.6:0.9,gain=0.03 (highs)";

const char* const kExample =
    "Example: the bass turns the landscape yellow, the highs grey, sent to the show on this machine:\n"
    "  driftmeadow-audio --file song.wav --send --map 2=0.05:0.2,gain=0.05,release=800 "
    "--map 0=0.6:0.9,gain=0.02\n"
    "Input 2 at 0.05 of full scale (1638) already turns the landscape fully yellow.";

// A CLI11 check that runs one of the library's parsers and passes its reason on.
template <typename Parsed, typename Parse>
CLI::Validator checkWith(Parse parse)
{
    return CLI::Validator(
        [parse](std::string& text) {
            Parsed parsed;
            std::string error;
            return parse(text, parsed, error) ? std::string() : error;
        },
        "");
}

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    CLI::App app{"Live sound input (driver menus) or a sound file, shown as a spectrum meter until Escape or "
                 "Ctrl-C.",
                 "driftmeadow-audio"};
    AudioToolOptions options;
    std::string destination;
    std::vector<std::string> maps;
    CLI::Option* file = app.add_option("--file", options.file, "Play this sound file aloud instead of live input")
                            ->option_text("PATH");
    CLI::Option* once = app.add_flag(
        "--once", options.once, "After one second print the strongest bin of the left channel and its frequency, then stop");
    CLI::Option* send =
        app.add_option("--send", destination,
                       "While the meter runs, send the mapped levels 50 times a second to the show's OSC port "
                       "(alone: 127.0.0.1:55550)")
            ->option_text("[HOST:]PORT")
            ->expected(0, 1)
            ->check(checkWith<OscInputSender::Destination>(OscInputSender::parseDestination))
            ->excludes(once);
    app.add_option("--map", maps, kMapHelp)
        ->option_text(kLevelMappingForm)
        ->check(checkWith<LevelMappingRule>(parseLevelMapping))
        ->needs(send);
    app.footer(kExample);
    try {
        app.parse(argc, argv);
        std::set<int> ids;
        for (const std::string& text : maps) {
            LevelMappingRule rule;
            std::string error;
            parseLevelMapping(text, rule, error);
            if (!ids.insert(rule.id).second)
                throw CLI::ValidationError("--map", "input " + std::to_string(rule.id) + " is mapped twice");
            options.mappings.push_back(rule);
        }
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        reportBadOption(e.what());
        return 2;
    }
    options.fromFile = file->count() > 0;
    options.send = send->count() > 0;
    std::string unused;
    OscInputSender::parseDestination(destination, options.destination, unused);
    return runAudioTool(options);
}
