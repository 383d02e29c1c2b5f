#include "base/ConsoleNotice.h"

std::string droppedLinesNotice(unsigned long long count)
{
    return "Console output fell behind: " + std::to_string(count) + (count == 1 ? " line" : " lines") +
           " dropped\n";
}
