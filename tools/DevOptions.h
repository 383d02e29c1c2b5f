// Option handling shared by the developer programs (tools/ and bench/), on
// CLI11 like the show's tools: a check for numbers that must be finite and
// within a range (CLI11's own Range lets NaN through), and the programs'
// common parse (base/CommandLine.h). Main thread, before anything else.
#pragma once

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "base/CommandLine.h"

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
