#include "bridge/LiveDisplay.h"

#include <algorithm>

#include "bridge/BridgeEngine.h"
#include "bridge/MappingRule.h"

namespace {

constexpr int kBarCells = 20;
constexpr std::size_t kControlColumns = 32;
const char* const kHeading = "input  control                           value";

}  // namespace

LiveDisplay::LiveDisplay(FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

std::string LiveDisplay::row(int id, const std::string& control, int value)
{
    std::string shown = control.size() > kControlColumns ? control.substr(0, kControlColumns - 3) + "..." : control;
    char text[160];
    if (value < 0) {
        snprintf(text, sizeof text, "%5d  %-*s      -", id, int(kControlColumns), shown.c_str());
        return text;
    }
    const int cells = int((long long)value * kBarCells / kInputFullScale);
    snprintf(text, sizeof text, "%5d  %-*s  %5d [%s%s]", id, int(kControlColumns), shown.c_str(), value,
             std::string(std::min(cells, kBarCells), '#').c_str(),
             std::string(kBarCells - std::min(cells, kBarCells), ' ').c_str());
    return text;
}

void LiveDisplay::line(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    erase();
    fprintf(out_, "%s\n", text.c_str());
    fflush(out_);
}

void LiveDisplay::draw(const BridgeEngine& engine)
{
    if (!terminal_)
        return;
    std::string table = std::string(kHeading) + "\n";
    int lines = 1;
    for (const MappingRule& rule : engine.mappings()) {
        table += row(rule.id, sourceText(rule.source), engine.lastSent(rule.id)) + "\n";
        ++lines;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    erase();
    fputs(table.c_str(), out_);
    fflush(out_);
    drawn_ = lines;
}

void LiveDisplay::startOver()
{
    std::lock_guard<std::mutex> lock(mutex_);
    drawn_ = 0;
}

void LiveDisplay::finish()
{
    startOver();
}

// Cursor up over the table and clear to the end of the screen.
void LiveDisplay::erase()
{
    if (drawn_ > 0)
        fprintf(out_, "\x1b[%dA\r\x1b[J", drawn_);
    drawn_ = 0;
}
