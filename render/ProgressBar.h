// ProgressBar: one console line that shows how far a long run of frames is
// (frames done, of how many, frames per second, time left), redrawn in place.
// It draws only when its stream is a terminal; otherwise it stays silent, so
// logs and pipes get no carriage-return clutter. Main thread.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class ProgressBar {
public:
    // Draws to `out` when `out` is a terminal.
    explicit ProgressBar(FILE* out);

    // Starts a phase of `total` frames under a short label ("pre-roll",
    // "render"); the frame rate counts from here.
    void start(const char* label, int total);
    // `done` frames of the phase are finished. Redraws at most ten times a
    // second, and always for the last frame, which ends the line.
    void update(int done);

    bool enabled() const { return enabled_; }

    // The line for a phase: label, done and total, a 20-cell bar, the frame
    // rate and the time left (m:ss).
    static std::string format(const char* label, int done, int total, double seconds);

private:
    using Clock = std::chrono::steady_clock;
    FILE* out_;
    bool enabled_;
    const char* label_ = "";
    int total_ = 0;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
};
