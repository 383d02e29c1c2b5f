// The base layer's console texts.
#pragma once

#include <string>

// The line that stands for console lines dropped because standard output
// was not read in time: "Console output fell behind: <n> lines dropped\n"
// ("1 line dropped" for one).
std::string droppedLinesNotice(unsigned long long count);
