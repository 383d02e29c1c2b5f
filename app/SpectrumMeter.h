// SpectrumMeter: draws LevelFrames on a text console as one bar per band and
// channel, redrawn in place (ANSI cursor movement), no line wider than 80
// columns. Main thread.
#pragma once

#include <cstdio>

struct LevelFrame;

class SpectrumMeter {
public:
    explicit SpectrumMeter(FILE* out);
    SpectrumMeter(const SpectrumMeter&) = delete;
    SpectrumMeter& operator=(const SpectrumMeter&) = delete;

    // The first call writes a heading and the bands; later calls overwrite
    // the bands. The cursor stays below the last band.
    void draw(const LevelFrame& frame);

private:
    FILE* out_;
    bool drawn_ = false;
};
