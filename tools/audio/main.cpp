// driftmeadow-audio: the audio input for performers, on the console. Live
// input through the driver menus, or a sound file; a spectrum meter, or one
// peak line with --once.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "app/AudioTool.h"

int main(int argc, char** argv)
{
    CLI::App app{"Live sound input (driver menus) or a sound file, shown as a spectrum meter until Escape or "
                 "Ctrl-C.",
                 "driftmeadow-audio"};
    AudioToolOptions options;
    CLI::Option* file = app.add_option("--file", options.file, "Play this sound file aloud instead of live input")
                            ->option_text("PATH");
    app.add_flag("--once", options.once,
                 "After one second print the strongest bin of the left channel and its frequency, then stop");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        fprintf(stderr, "driftmeadow-audio: %s (see --help)\n", e.what());
        return 2;
    }
    options.fromFile = file->count() > 0;
    return runAudioTool(options);
}
