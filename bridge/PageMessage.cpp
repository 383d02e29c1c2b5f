#include "bridge/PageMessage.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxInput = 255;
constexpr int kMaxLevelDigits = 12;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A whole number 0..kMaxInput without leading zeros; false otherwise.
bool readInput(const char* p, const char* end, int& out)
{
    if (p == end || end - p > 3 || (*p == '0' && end - p > 1))
        return false;
    int n = 0;
    for (; p < end; ++p) {
        if (!isDigit(*p))
            return false;
        n = n * 10 + (*p - '0');
    }
    if (n > kMaxInput)
        return false;
    out = n;
    return true;
}

// "D[.D*]" or ".D+", at most kMaxLevelDigits digits, 0 to 1.
bool readLevel(const char* p, const char* end, double& out)
{
    if (p == end || end - p > kMaxLevelDigits + 1)
        return false;
    double whole = 0, scale = 1;
    bool point = false, digits = false;
    for (; p < end; ++p) {
        if (*p == '.') {
            if (point)
                return false;
            point = true;
        } else if (isDigit(*p)) {
            digits = true;
            if (point) {
                scale /= 10;
                whole += (*p - '0') * scale;
            } else {
                whole = whole * 10 + (*p - '0');
            }
        } else {
            return false;
        }
    }
    if (!digits || whole > 1.0)
        return false;
    out = whole;
    return true;
}

bool equals(const char* data, std::size_t size, const char* word)
{
    return size == std::strlen(word) && std::memcmp(data, word, size) == 0;
}

}  // namespace

PageMessage parsePageMessage(const char* data, std::size_t size)
{
    PageMessage m;
    if (data == nullptr || size == 0 || size > kPageMessageMaxBytes)
        return m;
    if (equals(data, size, "restart"))
        m.kind = PageMessage::Restart;
    else if (equals(data, size, "hold"))
        m.kind = PageMessage::Hold;
    else if (equals(data, size, "fade"))
        m.kind = PageMessage::Fade;
    if (m.kind != PageMessage::Invalid || size < 4 || std::memcmp(data, "set ", 4) != 0)
        return m;
    const char* end = data + size;
    const char* input = data + 4;
    const char* blank = static_cast<const char*>(std::memchr(input, ' ', std::size_t(end - input)));
    if (blank == nullptr || !readInput(input, blank, m.input) || !readLevel(blank + 1, end, m.level))
        return m;
    m.kind = PageMessage::Set;
    return m;
}

std::string pageValueMessage(int input, double level, int value)
{
    char text[64];
    std::snprintf(text, sizeof text, "value %d %.4f %d", input, level, value);
    return text;
}

std::string pageAddress(int input)
{
    return "/page/input/" + std::to_string(input);
}
