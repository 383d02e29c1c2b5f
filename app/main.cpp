// driftmeadow: the show. Full screen at 800x600 unless the options say
// otherwise; see --help.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <new>
#include <string>

#include "app/AppErrors.h"
#include "app/Show.h"
#include "app/ShowOptions.h"
#include "base/CommandLine.h"
#include "base/OutOfMemory.h"
#include "base/StandardStreams.h"
#include "frame/ShowGl.h"

static ShowOptions parseOptions(int argc, char** argv)
{
    ShowOptions o;
    std::string size = "800x600";
    CLI::App app{"The show: a landscape on a fixed timeline, full screen, steered live with OSC\n"
                 "messages on UDP port 55550. Escape or closing the window ends it.",
                 "driftmeadow"};
    // As with other GNU-style tools, an option given twice keeps its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("--window", o.window, "A window instead of full screen (rehearsal, or placing it by hand)");
    app.add_option("--size", size, "The picture's size WxH, full screen or window (say a projector's 1920x1080)")
        ->capture_default_str();
    app.add_option("--screen", o.screen, "Full screen on (or window centred on) this screen of the display, from 0")
        ->check(CLI::Range(0, 15));
    app.add_option("--record", o.recordFile, "Record every message the show applies to this new file, as oscdump writes");
    parseOptionsOrExit(app, "driftmeadow", argc, argv);
    if (!ShowOptions::parseSize(size, o.width, o.height))
        failShowOption("--size must be WxH with each side from 1 to " + std::to_string(ShowOptions::kMaxSide));
    return o;
}

int main(int argc, char** argv)
{
    // Descriptors 0 to 2 stay the standard streams, whatever opens next.
    openStandardStreams();
    reportUncaughtOutOfMemory(kOutOfMemoryLine);
    keepShaderCacheOffDisk();
    try {
        return runShow(parseOptions(argc, argv));
    } catch (const std::bad_alloc&) {
        failOutOfMemory();
    }
}
