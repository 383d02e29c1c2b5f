// The command-line parse that every program shares, on CLI11: --help prints
// the help and exits with 0; a bad option prints one line and exits with 2.
// Main thread, before anything else.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>

#include "base/PrintableText.h"

// Parses the command line. --help prints the help and exits with 0; a bad
// option prints "<program>: <reason> (see --help)" on standard error, on
// one line, and exits with 2.
inline void parseOptionsOrExit(CLI::App& app, const char* program, int argc, char** argv)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        fputs(app.help().c_str(), stdout);
        exit(0);
    } catch (const CLI::ParseError& e) {
        fprintf(stderr, "%s: %s (see --help)\n", program, printableText(e.what()).c_str());
        exit(2);
    }
}
