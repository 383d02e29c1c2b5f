#include "levels/TrackLevels.h"

#include <algorithm>
#include <cmath>

#include "audio/DecodedSound.h"
#include "audio/SampleRing.h"
#include "audio/SpectrumAnalyser.h"
#include "audio/SpectrumData.h"
#include "levels/SpectrumLevel.h"

// The live input's analysis: one ring per side of what plays.
struct TrackLevels::Analysis {
    SpectrumAnalyser analyser{SpectrumAnalyser::Planning::Estimated};
    SpectrumAnalyser::Scratch scratch;
    SampleRing sides[kSpectrumRows];
};

TrackLevels::TrackLevels(const DecodedSound& sound, double offset, std::vector<LevelMappingRule> rules)
    : sound_(sound), offset_(offset), mapping_(std::move(rules)), analysis_(std::make_unique<Analysis>())
{
}

TrackLevels::~TrackLevels() = default;

std::vector<TrackLevelStep> TrackLevels::stepsUntil(double until, const Progress& progress)
{
    int total = 0;
    while (double(total) / kStepsPerSecond <= until)
        ++total;
    std::vector<TrackLevelStep> steps;
    steps.reserve(size_t(total));
    for (int j = 0; j < total; ++j) {
        if (progress && j % 50 == 0)
            progress(j, total);
        steps.push_back(step(double(j) / kStepsPerSecond));
    }
    if (progress)
        progress(total, total);
    return steps;
}

// The mixer's linear interpolation between the file's frame at the position
// and the next, as a file channel plays it (audio/SoundChannel.cpp).
float TrackLevels::sampleAt(long long mixSample, int side) const
{
    const long long total = sound_.channels > 0 ? (long long)(sound_.frames.size()) / sound_.channels : 0;
    if (mixSample < 0 || total == 0)
        return 0.0f;
    const double position = double(mixSample) * sound_.frequency / kMixRate;
    if (position >= double(total))
        return 0.0f;
    const long long a = (long long)position;
    const float f = float(position - double(a));
    const int c = std::min(side, sound_.channels - 1);
    const float va = sound_.frames[size_t(a * sound_.channels + c)];
    const float vb = a + 1 < total ? sound_.frames[size_t((a + 1) * sound_.channels + c)] : 0.0f;
    return va + (vb - va) * f;
}

// Feeds the rings up to (not including) mixSample. Only the last window
// counts, so a first step far into the track starts one window before it.
void TrackLevels::playUntil(long long mixSample)
{
    Analysis& a = *analysis_;
    if (!started_) {
        played_ = mixSample - SpectrumAnalyser::kWindowSize;
        started_ = true;
    }
    float piece[2][512];
    while (played_ < mixSample) {
        const int n = int(std::min<long long>(512, mixSample - played_));
        for (int i = 0; i < n; ++i)
            for (int side = 0; side < kSpectrumRows; ++side)
                piece[side][i] = sampleAt(played_ + i, side);
        for (int side = 0; side < kSpectrumRows; ++side)
            a.sides[side].push(piece[side], n, 1);
        played_ += n;
    }
}

TrackLevelStep TrackLevels::step(double time)
{
    playUntil(std::llround((offset_ + time) * kMixRate));
    Analysis& a = *analysis_;
    float row[kSpectrumBins];
    for (int r = 0; r < kSpectrumRows; ++r) {
        a.analyser.analyse(a.sides[r], a.scratch, row);
        for (int bin = 0; bin < kSpectrumBins; ++bin)
            spectrumData[r * kSpectrumRowLength + bin].store(row[bin], std::memory_order_relaxed);
    }
    // The bridge's first update also counts one whole period.
    mapping_.update(spectrumTableLevel, 1000.0 / kStepsPerSecond);
    TrackLevelStep s{time, {}};
    for (int i = 0; i < mapping_.size(); ++i)
        s.values.emplace_back(mapping_.rule(i).id, mapping_.value(i));
    return s;
}
