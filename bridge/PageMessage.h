// The control page's messages over its WebSocket, one short ASCII text frame
// each. From the page: "set N LEVEL" (its fader for input N, 0..255, at LEVEL,
// 0 to 1), "restart", "hold" or "fade" (the show's transport). To the page:
// "value N LEVEL VALUE" (the fader for input N stands at LEVEL; the input
// goes to VALUE, 0..32765). Pure functions; any thread.
#pragma once

#include <cstddef>
#include <string>

struct PageMessage {
    enum Kind { Invalid, Set, Restart, Hold, Fade };
    Kind kind = Invalid;
    int input = 0;
    double level = 0;
};

// Longer frames are never a message of the page.
constexpr std::size_t kPageMessageMaxBytes = 64;

// Strict: exactly one message, single blanks, a plain decimal LEVEL (digits,
// at most one '.', no sign or exponent) within 0..1; anything else is Invalid.
PageMessage parsePageMessage(const char* data, std::size_t size);

// "value N LEVEL VALUE", LEVEL with four decimals.
std::string pageValueMessage(int input, double level, int value);

// The OSC-like address at which the page's fader for input N reaches the
// engine, and the mapping the bridge adds for it unless one is given.
std::string pageAddress(int input);
