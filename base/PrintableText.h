// Text that a user gave (an option's value, a name), made fit to stand in a
// one-line message: control bytes and bytes above 126 are written as \xHH,
// so that the message stays on one line and the terminal does not act on
// them. Any thread.
#pragma once

#include <string>

std::string printableText(const std::string& text);
