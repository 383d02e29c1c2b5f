// Option handling shared by the developer programs (tools/ and bench/), on
// CLI11 like the show's tools: a check for numbers that must be finite and
// within a range (CLI11's own Range lets NaN through), and the parse that
// answers --help and refuses a bad option with one line and exit code 2.
// Main thread, before anything else.
#pragma once

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "base/PrintableText.h"

// A number from low to high, both included: no infinity, no NaN.
inline CLI::Validator finiteWithin(double low, double high)
{
    std::ostringstream range;
    range << "a number from " << low << " to " << high;
    const std::string wanted = range.str();
    return CLI::Validator(
        [low, high, wanted](std::string& text) {
            char* end = nullptr;
            const double v = std::strtod(text.c_str(), &end);
            const bool whole = !text.empty() && end == text.c_str() + text.size();
            return whole && std::isfinite(v) && v >= low && v <= high ? std::string()
                                                                      : "'" + text + "' is not " + wanted;
        },
        "NUMBER");
}

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
