// The spectrum queries against a table filled by the test: interpolation,
// the wrap at 2048, entry 2048 read as 0, the log and linear positions, the
// refusals that keep every read inside the table, and the base-2 helper.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/AudioInput.h"
#include "audio/AudioMath.h"
#include "audio/SpectrumData.h"
#include "levels/SpectrumLevel.h"

namespace {

// A value no two entries share, so a wrong bin or row shows.
float entry(int row, int bin) { return 1.0f + row * 4096.0f + bin; }

struct SpectrumQueries : ::testing::Test {
    SpectrumQueries() { fill(true); }
    ~SpectrumQueries() override { fill(false); }
    static void fill(bool values)
    {
        for (int row = 0; row < kSpectrumRows; ++row)
            for (int bin = 0; bin < kSpectrumBins; ++bin)
                spectrumData[row * kSpectrumRowLength + bin] = values ? entry(row, bin) : 0.0f;
    }
};

TEST_F(SpectrumQueries, ReadTheRowAtTheirPositionWithLinearInterpolation)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* query;
        float value, expected;
    } cases[] = {
        {"at(0, 3.25)", AudioInput::spectrumAt(0, 3.25f), 0.75f * entry(0, 3) + 0.25f * entry(0, 4)},
        {"at(1, 2047.5): entry 2048 is 0", AudioInput::spectrumAt(1, 2047.5f), 0.5f * entry(1, 2047)},
        {"at(0, 2048) wraps", AudioInput::spectrumAt(0, 2048.0f), entry(0, 0)},
        {"at(0, 2050.5) wraps", AudioInput::spectrumAt(0, 2050.5f), 0.5f * entry(0, 2) + 0.5f * entry(0, 3)},
        {"log(1, 0) is bin 2", AudioInput::spectrumLog(1, 0.0), entry(1, 2)},
        {"log(0, 0.5) is bin 64", AudioInput::spectrumLog(0, 0.5), entry(0, 64)},
        {"log(0, 0.9) is bin 1024", AudioInput::spectrumLog(0, 0.9), entry(0, 1024)},
        {"log(1, 1) wraps to bin 0", AudioInput::spectrumLog(1, 1.0), entry(1, 0)},
        {"linear(1, 1) is bin 2047", AudioInput::spectrumLinear(1, 1.0), entry(1, 2047)},
        {"linear(0, 0.5) is bin 1023.5", AudioInput::spectrumLinear(0, 0.5), 0.5f * (entry(0, 1023) + entry(0, 1024))},
        // Refused: nothing outside the table is read.
        {"channel 2", AudioInput::spectrumAt(2, 5.0f), 0.0f},
        {"channel -1", AudioInput::spectrumAt(-1, 5.0f), 0.0f},
        {"negative position", AudioInput::spectrumAt(0, -0.5f), 0.0f},
        {"NaN position", AudioInput::spectrumAt(0, nan), 0.0f},
        {"infinite position", AudioInput::spectrumAt(0, inf), 0.0f},
        {"negative linear x", AudioInput::spectrumLinear(0, -0.25), 0.0f},
        {"NaN log x", AudioInput::spectrumLog(1, nan), 0.0f},
        {"log x beyond float", AudioInput::spectrumLog(0, 1e6), 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(c.value, c.expected) << c.query;
}

TEST_F(SpectrumQueries, TheLevelIsZeroWithoutAnAudioInput)
{
    ASSERT_EQ(gAudioInput, nullptr);
    EXPECT_EQ(spectrumLevel(0, 0.5f), 0.0);
}

TEST(LogBase2, GivesTheExponentOfPowersOfTwo)
{
    for (int e : {-3, 0, 1, 10, 11})
        EXPECT_NEAR(logBase2(std::ldexp(1.0, e)), e, 1e-12) << e;
}

}  // namespace
