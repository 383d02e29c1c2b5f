// The application shell's error reports, with their exact texts. Each writes
// one line to standard error; the fatal ones end the process.
#pragma once

#include <string>

// "Couldn't set GL video mode: %s\n" with SDL's error text, then SDL_Quit and
// exit code 2. When the show has used up the descriptors it may open, a
// second line names that as the likely cause: "The show may open %lu file
// descriptors (ulimit -n) and has used them up: that is the likely cause\n".
[[noreturn]] void failNoVideoMode();

// "Out of memory\n", then exit code 2 at once: an allocation of the show's
// own, or the GL's, failed.
[[noreturn]] void failOutOfMemory();
extern const char* const kOutOfMemoryLine;

// A bad option or option value (including a take file that cannot be made):
// "driftmeadow: <why> (see --help)\n", then exit code 2.
[[noreturn]] void failShowOption(const std::string& why);
