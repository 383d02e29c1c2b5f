// TrackLevels: the input values that `driftmeadow-audio --send` would send
// while playing a sound file, computed from the file offline: every 20 ms of
// frame time, the spectrum of the latest 4096 samples as the mixer plays the
// track (at 44100 Hz, resampled linearly, a mono file on both sides) through
// the live input's analyser into spectrumData, then the same level mapping
// reading it through spectrumTableLevel. The same file and settings always
// give the same values. Main thread, and never beside a running AudioInput:
// it writes spectrumData.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "levels/LevelMapping.h"

struct DecodedSound;

struct TrackLevelStep {
    double time;                              // frame time in seconds
    std::vector<std::pair<int, int>> values;  // (input ID, value 0..32765) per mapping
};

class TrackLevels {
public:
    static constexpr double kStepsPerSecond = 50.0;
    static constexpr int kMixRate = 44100;

    // Frame time t hears the track at `offset` + t seconds; before the
    // track's start and after its end it is silent.
    // The sound must outlive this.
    TrackLevels(const DecodedSound& sound, double offset, std::vector<LevelMappingRule> rules);
    ~TrackLevels();
    TrackLevels(const TrackLevels&) = delete;
    TrackLevels& operator=(const TrackLevels&) = delete;

    // The steps at 0, 0.02, 0.04, ... s of frame time up to `until`;
    // `progress` (if given) hears (0, total) first, then (done, total) as
    // the steps are made.
    using Progress = std::function<void(int done, int total)>;
    std::vector<TrackLevelStep> stepsUntil(double until, const Progress& progress = nullptr);

private:
    struct Analysis;

    float sampleAt(long long mixSample, int side) const;
    void playUntil(long long mixSample);
    TrackLevelStep step(double time);

    const DecodedSound& sound_;
    double offset_;
    LevelMapping mapping_;
    std::unique_ptr<Analysis> analysis_;
    long long played_ = 0;  // mix samples handed to the rings so far
    bool started_ = false;
};
