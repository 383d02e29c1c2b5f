#include "app/ShowOptions.h"

#include <cstdlib>

bool ShowOptions::parseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    const auto side = [](const std::string& s, int& out) {
        if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos)
            return false;
        out = atoi(s.c_str());
        return out >= 1 && out <= kMaxSide;
    };
    return side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}
