#include "base/PrintableText.h"

#include <cstdio>

std::string printableText(const std::string& text)
{
    std::string shown;
    for (const unsigned char c : text) {
        if (c >= 32 && c < 127) {
            shown += char(c);
        } else {
            char escaped[5];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}
