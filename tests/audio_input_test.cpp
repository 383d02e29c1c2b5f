// The audio input on a real PulseAudio (CTest runs it through
// tests/lib/with-pulse.sh): the version check, and a sound file's spectrum
// sampled every 20 ms on SDL's timer thread while this thread reads it, until
// stopping the input ends the sampling before the sound objects go. A file
// streamed beyond what is read ahead, and played again.
#include <gtest/gtest.h>

#include <SDL.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/AudioInput.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundSystem.h"
#include "audio/SpectrumData.h"
#include "audio/SpectrumSampling.h"
#include "levels/SpectrumLevel.h"

namespace {

// A full-scale (amplitude 1) sine of `hz`, mono, 44100 Hz, as a float WAV.
std::string writeSine(double hz, double seconds)
{
    const std::string path = testing::TempDir() + "sine" + std::to_string(getpid()) + ".wav";
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> samples(size_t(44100 * seconds));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(std::sin(2.0 * M_PI * hz * double(i) / 44100.0));
    sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return path;
}

int peakBin(int row)
{
    int peak = 0;
    for (int bin = 1; bin < kSpectrumBins; ++bin)
        if (readSpectrum(row, bin) > readSpectrum(row, peak))
            peak = bin;
    return peak;
}

// Waits (5 s at most) for `count` more samples and then for the tone to fill
// the analysed window (the output may start late), reading the table
// meanwhile as a scene would.
bool waitForFullTone(unsigned long count)
{
    const unsigned long goal = spectrumSampleCount() + count;
    for (Uint32 start = SDL_GetTicks(); SDL_GetTicks() - start < 5000; SDL_Delay(1))
        if (spectrumSampleCount() >= goal && readSpectrum(0, peakBin(0)) > 0.95f)
            return true;
    return false;
}

// Puts the menu keys of the drivers named "pulse" (PortAudio's way to
// PulseAudio) on standard input, as if typed; returns the old standard input.
int typePulseKeys(SoundSystem* system)
{
    std::string keys;
    for (int kind = 0, count = 0; kind < 2; ++kind) {
        (kind ? system->getRecordNumDrivers(&count) : system->getNumDrivers(&count));
        for (int i = 0; i < count; ++i) {
            char name[256];
            (kind ? system->getRecordDriverName(i, name, 256) : system->getDriverName(i, name, 256));
            keys += std::string(name) == "pulse" ? std::string(1, char('1' + i)) : "";
        }
    }
    int fds[2], saved = dup(STDIN_FILENO);
    EXPECT_TRUE(pipe(fds) == 0 && write(fds[1], keys.data(), keys.size()) == ssize_t(keys.size()));
    close(fds[1]);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    return saved;
}

// spectrumLog's x for a fractional bin position.
double logX(double bin) { return (std::log2(bin) - 1.0) / 10.0; }

struct AudioInputTest : ::testing::Test {
    static void SetUpTestSuite()
    {
        SDL_Init(SDL_INIT_TIMER);
        tone = writeSine(1000.0, 30.0);
    }
    static void TearDownTestSuite()
    {
        unlink(tone.c_str());
        SDL_Quit();
    }
    static std::string tone;
};
std::string AudioInputTest::tone;

TEST_F(AudioInputTest, TheRequiredVersionIsAcceptedAndAnOlderOneRefused)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        unsigned version;
        int exitCode;
        const char* standardError;
    } cases[] = {
        {0x00040612, 0, "^$"},
        {0x00040611, 2, "^Error!  You are using an old version of FMOD 00040611\\.  This program requires 00040612\n$"},
    };
    for (const auto& c : cases)
        EXPECT_EXIT(
            {
                setReportedSoundVersion(c.version);
                AudioInput input(tone.c_str());
                exit(0);
            },
            ::testing::ExitedWithCode(c.exitCode), c.standardError);
}

TEST_F(AudioInputTest, AFileIsSampledEveryTwentyMillisecondsUntilTheInputStops)
{
    // Several rounds: a sample under way must never meet released objects.
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        gAudioInput = new AudioInput(tone.c_str());
        ASSERT_TRUE(waitForFullTone(10));
        for (int row = 0; row < kSpectrumRows; ++row) {  // a mono file plays on both sides
            EXPECT_EQ(peakBin(row), 93);
            EXPECT_NEAR(readSpectrum(row, 93), 1.0, 0.05);
        }
        // The level is the fourth root: on the window's side lobe, 3 bins off
        // the tone, a small magnitude gives a clearly larger level.
        const double x = logX(96.0);
        EXPECT_LT(AudioInput::spectrumLog(0, x), 0.1f);
        EXPECT_NEAR(spectrumLevel(0, float(x)), std::pow(AudioInput::spectrumLog(0, x), 0.25), 0.02);

        delete gAudioInput;
        gAudioInput = nullptr;
        EXPECT_EQ(gAudioChannel, nullptr);
        const unsigned long last = spectrumSampleCount();
        SDL_Delay(100);
        EXPECT_EQ(spectrumSampleCount(), last) << "the timer still samples";
        EXPECT_EQ(peakBin(0), 93) << "the last sample stays";
    }
}

TEST_F(AudioInputTest, AFileStreamsPastWhatItReadsAheadAndStartsAnewWhenPlayedAgain)
{
    const std::string link = tone + ".again.wav";
    ASSERT_EQ(::link(tone.c_str(), link.c_str()), 0);
    SoundSystem* system = nullptr;
    Sound* sound = nullptr;
    SoundChannel* channel = nullptr;
    ASSERT_EQ(createSoundSystem(&system), SOUND_OK);
    ASSERT_EQ(system->init(1, SOUND_INIT_NORMAL, nullptr), SOUND_OK);
    ASSERT_EQ(system->createSound(link.c_str(), SOUND_MODE_SOFTWARE, nullptr, &sound), SOUND_OK);
    ASSERT_EQ(system->playSound(SOUND_CHANNEL_FREE, sound, false, &channel), SOUND_OK);
    // The stream reads about 1.5 s ahead: later sound comes from the decoder.
    SDL_Delay(2500);
    float spectrum[kSpectrumBins];
    ASSERT_EQ(channel->getSpectrum(spectrum, kSpectrumBins, 0, SPECTRUM_WINDOW_HANN), SOUND_OK);
    EXPECT_GT(spectrum[93], 0.9f) << "the tone still plays";
    EXPECT_EQ(system->playSound(SOUND_CHANNEL_FREE, sound, false, &channel), SOUND_OK) << "one voice: it starts anew";
    unlink(link.c_str());
    EXPECT_EQ(system->playSound(SOUND_CHANNEL_FREE, sound, false, &channel), SOUND_ERR_FILE_NOT_FOUND);
    system->release();
}

TEST_F(AudioInputTest, LiveInputRecordsWhatThePlaybackDriverPlays)
{
    // A second sound system plays the tone into PulseAudio's null sink; the
    // input records the sink's monitor, PulseAudio's default source.
    SoundSystem* player = nullptr;
    Sound* sound = nullptr;
    SoundChannel* channel = nullptr;
    ASSERT_EQ(createSoundSystem(&player), SOUND_OK);
    ASSERT_EQ(player->init(1, SOUND_INIT_NORMAL, nullptr), SOUND_OK);
    ASSERT_EQ(player->createSound(tone.c_str(), SOUND_MODE_LOOP, nullptr, &sound), SOUND_OK);
    ASSERT_EQ(player->playSound(SOUND_CHANNEL_FREE, sound, false, &channel), SOUND_OK);
    const int savedInput = typePulseKeys(player);
    gAudioInput = new AudioInput(nullptr);
    dup2(savedInput, STDIN_FILENO);
    close(savedInput);
    EXPECT_TRUE(waitForFullTone(10));
    EXPECT_EQ(peakBin(0), 93);
    EXPECT_EQ(peakBin(1), 93);
    delete gAudioInput;
    gAudioInput = nullptr;
    player->release();
}

}  // namespace
