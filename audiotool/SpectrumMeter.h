// SpectrumMeter: draws LevelFrames on a text console as one bar per band and
// channel, redrawn in place (ANSI cursor movement). Every line fits the
// terminal (80 columns when the output is no terminal): below 80 columns the
// bars shrink and what still does not fit is cut off. When levels are being
// sent to the show it adds, below the bands, one line per mapping with its
// smoothed level and the value sent. Main thread.
#pragma once

#include <cstdio>
#include <string>

struct LevelFrame;
class LevelMapping;

class SpectrumMeter {
public:
    explicit SpectrumMeter(FILE* out);
    SpectrumMeter(const SpectrumMeter&) = delete;
    SpectrumMeter& operator=(const SpectrumMeter&) = delete;

    // The first call writes a heading and the bands; later calls overwrite
    // them. With `sent`, the mapping lines follow, headed by where they go.
    // The cursor stays below the last line.
    void draw(const LevelFrame& frame, const LevelMapping* sent = nullptr, const std::string& destination = "");
    // Something else was printed below the meter: the next draw starts a new
    // one under it instead of overwriting.
    void startOver() { linesDrawn_ = 0; }

private:
    void drawMappings(const LevelMapping& sent, const std::string& destination);
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));

    FILE* out_;
    int columns_ = 80;
    int barWidth_ = 30;
    int linesDrawn_ = 0;  // below the heading, 0 before the first draw
};
