// The end of a process whose memory ran out where no caller could catch it.
// A std::bad_alloc that reaches main is caught there; one thrown on another
// thread, or inside the GL driver's shader compiler (whose C frames it cannot
// pass), would otherwise end the process through std::terminate with an abort
// and a core. Main thread, once, at start.
#pragma once

// From now on such an uncaught std::bad_alloc ends the process as
// endProcessOutOfMemory(line) does. Any other uncaught exception ends the
// process as before.
void reportUncaughtOutOfMemory(const char* line);

// Writes out what was printed before, then `line` on standard error, and ends
// the process with exit code 2 at once: no exit handlers and no SDL_Quit,
// which short of memory can wait for ever on a thread stuck in the loader.
[[noreturn]] void endProcessOutOfMemory(const char* line);
