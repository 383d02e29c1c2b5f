// The input values computed from a track offline: where in the track each
// step listens (the offset, the start of the sound), mono and other rates
// heard as the mixer plays them, and the same values on every run.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/DecodedSound.h"
#include "levels/TrackLevels.h"

namespace {

// Silence, then a full-scale 60 Hz tone from `toneStart` seconds on.
DecodedSound toneAfter(double toneStart, double length, int channels, int rate)
{
    DecodedSound s;
    s.channels = channels;
    s.frequency = rate;
    for (long i = 0; i < long(length * rate); ++i)
        for (int c = 0; c < channels; ++c)
            s.frames.push_back(i < toneStart * rate ? 0.0f : float(std::sin(2 * M_PI * 60.0 * i / rate)));
    return s;
}

// The value of input 2 (the default mapping's bass) at each step.
std::vector<int> bass(const DecodedSound& sound, double offset, double until)
{
    TrackLevels levels(sound, offset, defaultLevelMappings());
    std::vector<int> values;
    for (const TrackLevelStep& step : levels.stepsUntil(until)) {
        EXPECT_EQ(step.values.at(0).first, 2);
        values.push_back(step.values.at(0).second);
    }
    return values;
}

}  // namespace

TEST(TrackLevels, EachStepHearsTheTrackUpToItsTimePlusTheOffset)
{
    const struct {
        double offset;
        int lastSilent, loud;  // steps of 20 ms
    } cases[] = {{0.0, 50, 60}, {0.5, 25, 35}, {-0.5, 75, 85}};
    const DecodedSound sound = toneAfter(1.0, 2.0, 2, 44100);
    for (const auto& c : cases) {
        const std::vector<int> v = bass(sound, c.offset, 2.0);
        ASSERT_EQ(v.size(), 101u);
        EXPECT_EQ(v[c.lastSilent], 0) << "offset " << c.offset;
        EXPECT_GT(v[c.lastSilent + 1], 0) << "offset " << c.offset;
        EXPECT_NEAR(v[c.loud], 1549, 100) << "offset " << c.offset;
    }
}

TEST(TrackLevels, MonoAndOtherRatesSoundAsTheMixerPlaysThem)
{
    const std::vector<int> stereo = bass(toneAfter(0.2, 1.0, 2, 44100), 0.0, 0.8);
    const std::vector<int> mono = bass(toneAfter(0.2, 1.0, 1, 44100), 0.0, 0.8);
    const std::vector<int> rate48 = bass(toneAfter(0.2, 1.0, 2, 48000), 0.0, 0.8);
    EXPECT_EQ(mono, stereo);
    for (size_t i = 0; i < stereo.size(); ++i)
        EXPECT_NEAR(rate48[i], stereo[i], 40) << "step " << i;
    EXPECT_EQ(bass(toneAfter(0.2, 1.0, 2, 48000), 0.0, 0.8), rate48);
}

TEST(TrackLevels, AfterTheTrackEndsTheValuesFall)
{
    const std::vector<int> v = bass(toneAfter(0.0, 1.0, 2, 44100), 0.0, 4.0);
    EXPECT_GT(v[50], 1400);
    EXPECT_LT(v[150], v[100]);
    EXPECT_LT(v[200], 50);
}
