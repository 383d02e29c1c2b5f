#include "audiotool/SpectrumMeter.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstdarg>

#include "audiotool/LevelFrame.h"
#include "levels/LevelMapping.h"
#include "levels/SpectrumLevel.h"

namespace {
constexpr int kBarWidth = 30;        // from 80 columns on
constexpr int kDefaultColumns = 80;  // when the output is no terminal
constexpr int kBandLineFrame = 14;   // a band line without its two bars

// The output terminal's width, read at every draw (it may be resized).
int columnsOf(FILE* out)
{
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

// A bar of `width` cells: '#' for the level (0 to 1), '.' for the rest. A
// level that is no number shows as 0.
std::string bar(double level, int width)
{
    const int cells = level > 0.0 ? int(std::min(level, 1.0) * width) : 0;
    return std::string(size_t(cells), '#') + std::string(size_t(width - cells), '.');
}
}  // namespace

SpectrumMeter::SpectrumMeter(FILE* out) : out_(out) {}

// One line, cut to leave the terminal's last column free: a line that
// filled it would wrap, and the redraw would climb back too few lines.
void SpectrumMeter::line(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const int fits = std::max(columns_ - 1, 0);
    fprintf(out_, "\r%.*s\033[K\n", fits, text);
}

void SpectrumMeter::draw(const LevelFrame& frame, const LevelMapping* sent, const std::string& destination)
{
    columns_ = columnsOf(out_);
    barWidth_ = std::clamp((columns_ - 1 - kBandLineFrame) / 2, 1, kBarWidth);
    if (linesDrawn_ > 0)
        fprintf(out_, "\033[%dA", linesDrawn_);
    else
        line("Spectrum levels, left | right (Escape or Ctrl-C stops)");
    for (int band = 0; band < kLevelBands; ++band)
        line("%6.0f Hz |%s| |%s|", levelBandFrequency(band), bar(frame.level[0][band], barWidth_).c_str(),
             bar(frame.level[1][band], barWidth_).c_str());
    linesDrawn_ = kLevelBands;
    if (sent)
        drawMappings(*sent, destination);
    fflush(out_);
}

// The bar is the mapping's smoothed band level on the bands' own scale; the
// number is the value sent for it.
void SpectrumMeter::drawMappings(const LevelMapping& sent, const std::string& destination)
{
    line("Sending to %.36s as /driftmeadow ID value:", destination.c_str());
    for (int i = 0; i < sent.size(); ++i) {
        const LevelMappingRule& rule = sent.rule(i);
        line("  in %3d |%s| %5d  %.0f-%.0f Hz", rule.id, bar(sent.smoothedLevel(i), barWidth_).c_str(),
             sent.value(i), spectrumLevelFrequency(rule.low), spectrumLevelFrequency(rule.high));
    }
    linesDrawn_ += 1 + sent.size();
}
