#include "audiotool/SpectrumMeter.h"

#include <algorithm>
#include <cstring>

#include "audiotool/LevelFrame.h"
#include "levels/LevelMapping.h"
#include "levels/SpectrumLevel.h"

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

void SpectrumMeter::draw(const LevelFrame& frame, const LevelMapping* sent, const std::string& destination)
{
    if (linesDrawn_ > 0)
        fprintf(out_, "\033[%dA", linesDrawn_);
    else
        fprintf(out_, "Spectrum levels, left | right (Escape or Ctrl-C stops)\n");
    char left[kBarWidth + 1], right[kBarWidth + 1];
    for (int band = 0; band < kLevelBands; ++band) {
        fillBar(left, frame.level[0][band]);
        fillBar(right, frame.level[1][band]);
        fprintf(out_, "\r%6.0f Hz |%s| |%s|\033[K\n", levelBandFrequency(band), left, right);
    }
    linesDrawn_ = kLevelBands;
    if (sent)
        drawMappings(*sent, destination);
    fflush(out_);
}

// The bar is the mapping's smoothed band level on the bands' own scale; the
// number is the value sent for it.
void SpectrumMeter::drawMappings(const LevelMapping& sent, const std::string& destination)
{
    fprintf(out_, "\rSending to %.36s as /driftmeadow ID value:\033[K\n", destination.c_str());
    char bar[kBarWidth + 1];
    for (int i = 0; i < sent.size(); ++i) {
        const LevelMappingRule& rule = sent.rule(i);
        fillBar(bar, sent.smoothedLevel(i));
        fprintf(out_, "\r  in %3d |%s| %5d  %.0f-%.0f Hz\033[K\n", rule.id, bar, sent.value(i),
                spectrumLevelFrequency(rule.low), spectrumLevelFrequency(rule.high));
    }
    linesDrawn_ += 1 + sent.size();
}
