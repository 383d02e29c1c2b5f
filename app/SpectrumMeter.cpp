#include "app/SpectrumMeter.h"

#include <algorithm>
#include <cstring>

#include "app/LevelFrame.h"

namespace {
constexpr int kBarWidth = 30;

// A bar of kBarWidth cells: '#' for the level (0 to 1), '.' for the rest.
void fillBar(char* bar, double level)
{
    const int cells = int(std::clamp(level, 0.0, 1.0) * kBarWidth);
    memset(bar, '#', size_t(cells));
    memset(bar + cells, '.', size_t(kBarWidth - cells));
    bar[kBarWidth] = '\0';
}
}  // namespace

SpectrumMeter::SpectrumMeter(FILE* out) : out_(out) {}

void SpectrumMeter::draw(const LevelFrame& frame)
{
    if (drawn_)
        fprintf(out_, "\033[%dA", kLevelBands);
    else
        fprintf(out_, "Spectrum levels, left | right (Escape or Ctrl-C stops)\n");
    drawn_ = true;
    char left[kBarWidth + 1], right[kBarWidth + 1];
    for (int band = 0; band < kLevelBands; ++band) {
        fillBar(left, frame.level[0][band]);
        fillBar(right, frame.level[1][band]);
        fprintf(out_, "\r%6.0f Hz |%s| |%s|\033[K\n", levelBandFrequency(band), left, right);
    }
    fflush(out_);
}
