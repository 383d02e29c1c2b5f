// Audio input benchmarks, on a PulseAudio with a null sink (tools/bench.sh
// starts one; tests/lib/with-pulse.sh does the same for a single run):
//  1. One spectrum sample (sampleSpectrum: both rows of a playing channel)
//     against the 20 ms budget of the spectrum timer.
//  2. Sound to spectrum: a second sound system plays 1 kHz bursts into the
//     sink; live input records the sink's monitor. For each burst, the time
//     from playSound until the player's own channel shows the tone (the
//     baseline: what mixing and polling cost) and until spectrumData shows
//     it (the whole way through the sink, the record driver and the timer).
//     Latencies per minute show whether they drift.
// Usage: audio_bench [--minutes N] (default: a short run of 60 bursts; see
// --help).
#include <SDL.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "audio/AudioInput.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundSystem.h"
#include "audio/SpectrumData.h"
#include "audio/SpectrumSampling.h"
#include "base/StandardStreams.h"
#include "tools/DevOptions.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kToneBin = 93;          // 1 kHz
constexpr float kShown = 0.05f;       // a tenth of the 0.5 tone's steady magnitude
constexpr float kSilent = 0.01f;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string writeTone(const char* name, double seconds)
{
    const std::string path = "/tmp/" + std::string(name) + std::to_string(getpid()) + ".wav";
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> s(size_t(44100 * seconds));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = 0.5f * float(std::sin(2.0 * M_PI * 1000.0 * double(i) / 44100.0));
    sf_writef_float(file, s.data(), sf_count_t(s.size()));
    sf_close(file);
    return path;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

struct Player {
    Player()
    {
        createSoundSystem(&system);
        checkFmod(__LINE__, system->init(4, SOUND_INIT_NORMAL, nullptr));
    }
    ~Player() { system->release(); }
    SoundChannel* play(const std::string& file, unsigned mode)
    {
        if (sound)
            sound->release();
        SoundChannel* channel = nullptr;
        checkFmod(__LINE__, system->createSound(file.c_str(), mode, nullptr, &sound));
        checkFmod(__LINE__, system->playSound(SOUND_CHANNEL_FREE, sound, false, &channel));
        return channel;
    }
    SoundSystem* system = nullptr;
    Sound* sound = nullptr;
};

void benchSample(const std::string& tone)
{
    Player player;
    gAudioChannel = player.play(tone, SOUND_MODE_LOOP);
    openSpectrumSampling();
    SDL_Delay(200);
    std::vector<double> times;
    for (int i = 0; i < 2000; ++i) {
        const auto start = Clock::now();
        sampleSpectrum(20, nullptr);
        times.push_back(ms(Clock::now() - start));
    }
    closeSpectrumSampling();
    gAudioChannel = nullptr;
    const double median = percentile(times, 0.5), p99 = percentile(times, 0.99);
    printf("spectrum sample (2 rows, 2000 runs): median %.3f ms, p99 %.3f ms; budget 20 ms: %.2f %% (median)\n",
           median, p99, median / 20.0 * 100.0);
}

// The index of the driver named "pulse" (PortAudio's PulseAudio) among the
// playback or the record drivers; -1 when there is none.
int pulseDriver(SoundSystem* system, bool record)
{
    int count = 0;
    (record ? system->getRecordNumDrivers(&count) : system->getNumDrivers(&count));
    for (int i = 0; i < count; ++i) {
        char name[256];
        (record ? system->getRecordDriverName(i, name, 256) : system->getDriverName(i, name, 256));
        if (!strcmp(name, "pulse"))
            return i;
    }
    return -1;
}

// Waits until `shown` is true; the time it took, or -1 after 2 s.
template <typename Shown> double waitFor(Clock::time_point start, Shown shown)
{
    while (!shown()) {
        if (Clock::now() - start > std::chrono::seconds(2))
            return -1.0;
        usleep(500);
    }
    return ms(Clock::now() - start);
}

void benchLatency(const std::string& burst, double minutes)
{
    Player player;
    const int playback = pulseDriver(player.system, false), record = pulseDriver(player.system, true);
    if (playback < 0 || record < 0) {
        fprintf(stderr, "audio_bench: no PulseAudio driver (\"pulse\") to record from\n");
        exit(1);
    }
    gAudioInput = new AudioInput(playback, record);
    std::mt19937 random(1);
    float probe[kSpectrumBins];
    std::vector<double> all, base, minute;
    const auto begin = Clock::now();
    int lost = 0, bursts = 0;
    for (int n = 0;; ++n) {
        const double elapsed = ms(Clock::now() - begin) / 60000.0;
        if (minutes > 0 ? elapsed >= minutes : n >= 60)
            break;
        // A random gap, so bursts do not lock to the 20 ms sampling.
        usleep(useconds_t(std::uniform_int_distribution<int>(0, 20000)(random)));
        const auto start = Clock::now();
        SoundChannel* channel = player.play(burst, SOUND_MODE_SOFTWARE);
        const double played = waitFor(start, [&] {
            return channel->getSpectrum(probe, kSpectrumBins, 0, SPECTRUM_WINDOW_HANN) == SOUND_OK &&
                   probe[kToneBin] > kShown;
        });
        const double heard = waitFor(start, [] { return readSpectrum(0, kToneBin) > kShown; });
        ++bursts;
        if (played < 0 || heard < 0)
            ++lost;
        else {
            all.push_back(heard);
            base.push_back(played);
            minute.push_back(heard);
        }
        waitFor(Clock::now(), [] { return readSpectrum(0, kToneBin) < kSilent; });
        if (minutes > 0 && int(ms(Clock::now() - begin) / 60000.0) > int(elapsed) && !minute.empty()) {
            printf("  minute %d: %zu bursts, sound to spectrum median %.1f ms, p99 %.1f ms\n", int(elapsed) + 1,
                   minute.size(), percentile(minute, 0.5), percentile(minute, 0.99));
            fflush(stdout);
            minute.clear();
        }
    }
    delete gAudioInput;
    gAudioInput = nullptr;
    printf("\n");
    if (all.empty()) {
        printf("sound to spectrum: no burst was seen (%d lost)\n", lost);
        return;
    }
    printf("sound to spectrum over %d bursts (%d not seen): median %.1f ms, p99 %.1f ms\n", bursts, lost,
           percentile(all, 0.5), percentile(all, 0.99));
    printf("baseline, player's own channel: median %.1f ms, p99 %.1f ms; ratio of medians %.2f\n",
           percentile(base, 0.5), percentile(base, 0.99), percentile(all, 0.5) / percentile(base, 0.5));
}

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    double minutes = 0.0;
    CLI::App app{"Times one spectrum sample against the 20 ms period, and sound to spectrum through PulseAudio "
                 "against the player's own channel; run it on a PulseAudio with a null sink "
                 "(tests/lib/with-pulse.sh).",
                 "audio_bench"};
    app.add_option("--minutes", minutes, "run this long (default: 60 bursts, about 20 s)")
        ->check(finiteWithin(0.01, 1440.0));
    parseOptionsOrExit(app, "audio_bench", argc, argv);
    SDL_Init(SDL_INIT_TIMER);
    const std::string tone = writeTone("tone", 5.0), burst = writeTone("burst", 0.3);
    benchSample(tone);
    benchLatency(burst, minutes);
    unlink(tone.c_str());
    unlink(burst.c_str());
    SDL_Quit();
    return 0;
}
