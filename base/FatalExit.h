// The one way a set-up failure ends the process, after its report is written.
// Any thread; it does not return.
#pragma once

// Flushes both standard streams, shuts SDL down (a full-screen window gives
// the display its mode back) and exits with `code`.
[[noreturn]] void endProcessAfterFailure(int code);
