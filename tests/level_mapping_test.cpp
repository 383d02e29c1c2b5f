// The performer's mapping from spectrum to input values, over a spectrum
// table filled by the test: which bins a band reads, gain and clamping, how
// far smoothing lets a value move per message, and the option text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "audio/AudioInput.h"
#include "audio/SpectrumData.h"
#include "levels/LevelMapping.h"

namespace {

// The level straight from the table, so the expected values are plain.
double tableLevel(int channel, float x) { return AudioInput::spectrumLog(channel, x); }

struct Mapping : ::testing::Test {
    ~Mapping() override { clear(); }
    static void clear() { for (auto& v : spectrumData) v = 0.0f; }
    static void put(int row, int bin, float v) { spectrumData[row * kSpectrumRowLength + bin] = v; }
    static int valueAfter(const LevelMappingRule& rule, int updates, double ms = 20.0)
    {
        LevelMapping mapping({rule});
        for (int i = 0; i < updates; ++i)
            mapping.update(tableLevel, ms);
        return mapping.value(0);
    }
};

TEST_F(Mapping, ReadsTheLoudestBinOfItsBandTimesGainClamped)
{
    const float nan = std::nanf("");
    const struct {
        const char* what;
        int row, bin;
        float level, low, high;
        double gain;
        int expected;
    } cases[] = {
        {"bass bin 5 in 0.05:0.2", 0, 5, 0.5f, 0.05f, 0.2f, 1.0, 16383},
        {"right channel counts too", 1, 5, 0.5f, 0.05f, 0.2f, 1.0, 16383},
        {"bin 8 is the band's top end", 0, 8, 0.5f, 0.05f, 0.2f, 1.0, 16383},
        {"bin 9 lies above it", 0, 9, 0.5f, 0.05f, 0.2f, 1.0, 0},
        {"bass outside the highs", 0, 5, 0.5f, 0.6f, 0.9f, 1.0, 0},
        {"a high bin between ends", 1, 700, 0.25f, 0.6f, 0.9f, 1.0, 8191},
        {"x = 1 does not wrap to bin 0", 0, 0, 1.0f, 0.9f, 1.0f, 1.0, 0},
        {"gain", 0, 5, 1.0f, 0.05f, 0.2f, 0.05, 1638},
        {"clamped to full scale", 0, 5, 0.75f, 0.05f, 0.2f, 2.0, 32765},
        {"a broken level sends 0", 0, 5, nan, 0.05f, 0.2f, 1.0, 0},
        {"an infinite level sends 0", 0, 5, INFINITY, 0.05f, 0.2f, 1.0, 0},
        {"a huge level sends full scale", 0, 5, 1e30f, 0.05f, 0.2f, 1000.0, 32765},
    };
    for (const auto& c : cases) {
        clear();
        put(c.row, c.bin, c.level);
        // High bins are read at float positions: a few parts in 10000 off.
        EXPECT_NEAR(valueAfter({2, c.low, c.high, c.gain, 0.0, 0.0}, 1), c.expected, 4) << c.what;
    }
}

TEST_F(Mapping, SmoothingBoundsTheChangePerMessage)
{
    put(0, 5, 1.0f);
    LevelMapping mapping({{2, 0.05f, 0.2f, 1.0, 100.0, 1000.0}});
    int last = 0, biggestRise = 0;
    for (int i = 0; i < 25; ++i) {  // half a second of a loud tone
        mapping.update(tableLevel, 20.0);
        biggestRise = std::max(biggestRise, mapping.value(0) - last);
        last = mapping.value(0);
    }
    EXPECT_LT(biggestRise, 32765 / 5) << "attack of 100 ms: under a fifth per 20 ms";
    EXPECT_GT(last, 32765 * 99 / 100) << "and there after five attack times";
    clear();
    mapping.update(tableLevel, 20.0);
    EXPECT_GT(mapping.value(0), last * 97 / 100) << "release of 1 s: the fall is slower still";
    EXPECT_LT(valueAfter({2, 0.05f, 0.2f, 1.0, 0.0, 0.0}, 1), 1) << "silence";
    mapping.update(tableLevel, std::nan(""));
    EXPECT_TRUE(std::isfinite(mapping.smoothedLevel(0))) << "a clock that is no number moves nothing";
}

TEST(MappingText, ParsesTheFormAndRefusesWhatIsUnsound)
{
    LevelMappingRule s;
    std::string error;
    ASSERT_TRUE(parseLevelMapping("0=0.6:0.9,gain=1.5,attack=30,release=400", s, error)) << error;
    EXPECT_EQ(s.id, 0);
    EXPECT_FLOAT_EQ(s.low, 0.6f);
    EXPECT_FLOAT_EQ(s.high, 0.9f);
    EXPECT_EQ(s.gain, 1.5);
    EXPECT_EQ(s.attackMs, 30.0);
    EXPECT_EQ(s.releaseMs, 400.0);
    const struct {
        const char *text, *reason;
    } refused[] = {
        {"2", "expected ID=LO:HI"},      {"256=0:1", "input ID"},        {"-1=0:1", "input ID"},
        {"2=0.3:0.1", "LO not above HI"}, {"2=0:1.5", "from 0 to 1"},     {"2=0:nan", "from 0 to 1"},
        {"2=0:1,gain=-1", "gain"},        {"2=0:1,attack=1e9", "attack"}, {"2=0:1,release=", "release"},
        {"2=0:1,volume=3", "unknown setting 'volume'"}, {"2=0:1,gain=\n", "'2=0:1,gain=\\x0A'"},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(parseLevelMapping(r.text, s, error)) << r.text;
        EXPECT_NE(error.find(r.reason), std::string::npos) << r.text << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << r.text << ": one line";
    }
}

}  // namespace
