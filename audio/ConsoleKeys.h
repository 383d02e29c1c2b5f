// Single keys from standard input, for the driver menus and the audio tool.
// On a terminal a key is taken at once, without Enter and without echo; the
// terminal's settings are put back after each read, at exit, and when a
// signal ends the process meanwhile. When standard input is no terminal the
// next byte is read, so keys can be piped in. A key that sends a sequence
// beginning with the Escape byte (arrows, Home, function keys, Alt with a
// key) is read whole and comes back as kKeySequence: only an Escape byte
// that nothing follows at once is the Escape key. Main thread.
#pragma once

namespace console {

constexpr int kEndOfInput = -1;
constexpr int kNoKey = -2;
constexpr int kKeySequence = -3;
constexpr int kEscape = 27;

// Waits for one key and returns its byte (0 to 255), kKeySequence, or
// kEndOfInput.
int _getch();

// Like _getch, but waits at most timeoutMs: kNoKey when no key came (or a
// signal interrupted the wait).
int waitKey(int timeoutMs);

// Holds the terminal in single-key mode while it lives (no effect when
// standard input is no terminal), so that keys typed between two waitKey
// calls are neither echoed nor held back until Enter.
class KeyMode {
public:
    KeyMode();
    ~KeyMode();
    KeyMode(const KeyMode&) = delete;
    KeyMode& operator=(const KeyMode&) = delete;
};

}  // namespace console
