// The application shell's error reports, with their exact texts. Each writes
// one line to standard error; the fatal ones end the process.
#pragma once

#include <string>

// "Couldn't set GL video mode: %s\n" with SDL's error text, then SDL_Quit and
// exit code 2.
[[noreturn]] void failNoVideoMode();

// A bad option or option value (including a take file that cannot be made):
// "driftmeadow: <why> (see --help)\n", then exit code 2.
[[noreturn]] void failShowOption(const std::string& why);
