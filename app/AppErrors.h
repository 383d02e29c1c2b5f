// The application shell's error reports, with their exact texts. Each writes
// one line to standard error; the fatal ones end the process.
#pragma once

// "Couldn't set GL video mode: %s\n" with SDL's error text, then SDL_Quit and
// exit code 2.
[[noreturn]] void failNoVideoMode();
