#include "audiotool/AudioTool.h"

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "audio/AudioInput.h"
#include "audio/ConsoleKeys.h"
#include "audio/SpectrumData.h"
#include "audiotool/AudioToolText.h"
#include "audiotool/LevelFrame.h"
#include "audiotool/SpectrumMeter.h"
#include "base/StopSignals.h"
#include "levels/SpectrumLevel.h"

namespace {

constexpr Uint32 kFrameMs = 20;
constexpr Uint32 kOnceDelayMs = 1000;
// A bin at most this strong is silence: a sine one 16-bit step high.
constexpr float kSilence = 1.0f / 32768.0f;

// Waits until `deadline` (SDL ticks) for keys; true when Escape came.
bool escapeBefore(Uint32 deadline, bool& keysEnded)
{
    for (;;) {
        const int left = int(deadline - SDL_GetTicks());
        if (left <= 0 || stopSignalled())
            return false;
        if (keysEnded) {
            SDL_Delay(Uint32(left));
            return false;
        }
        const int key = console::waitKey(left);
        if (key == console::kEscape)
            return true;
        if (key == console::kEndOfInput)
            keysEnded = true;  // piped keys are over: only a signal stops now
    }
}

// The levels on their way to the show: the performer's mapping and the socket.
struct LevelSending {
    LevelSending(std::vector<LevelMappingRule> rules, OscInputSender::Destination destination)
        : mapping(std::move(rules)), sender(std::move(destination))
    {
    }
    LevelMapping mapping;
    OscInputSender sender;
    Uint32 lastUpdate = SDL_GetTicks() - kFrameMs;
};

void sendLevels(LevelSending& sending, SpectrumMeter& meter)
{
    const Uint32 now = SDL_GetTicks();
    sending.mapping.update(spectrumLevel, double(now - sending.lastUpdate));
    sending.lastUpdate = now;
    std::vector<std::pair<int, int>> values;
    for (int i = 0; i < sending.mapping.size(); ++i)
        values.emplace_back(sending.mapping.rule(i).id, sending.mapping.value(i));
    if (sending.sender.sendFrame(values, now))
        meter.startOver();  // the failure line stands below the last meter
}

// The sound file is standard input (say /dev/stdin, a pipe): its bytes are
// sound, not keys.
bool isStandardInput(const std::string& file)
{
    struct stat named, input;
    return stat(file.c_str(), &named) == 0 && fstat(STDIN_FILENO, &input) == 0 && named.st_dev == input.st_dev &&
           named.st_ino == input.st_ino;
}

void showMeter(LevelSending* sending, bool readKeys)
{
    SpectrumMeter meter(stdout);
    console::KeyMode keys;
    bool keysEnded = !readKeys;
    Uint32 next = SDL_GetTicks();
    while (!stopSignalled()) {
        // One frame of levels every 20 ms; all that uses the levels starts here.
        const LevelFrame frame = takeLevelFrame();
        if (sending) {
            sendLevels(*sending, meter);
            meter.draw(frame, &sending->mapping, sending->sender.destinationName());
        } else {
            meter.draw(frame);
        }
        next += kFrameMs;
        if (int(SDL_GetTicks() - next) > int(kFrameMs))
            next = SDL_GetTicks() + kFrameMs;  // fell behind: a full period from now, no burst
        if (escapeBefore(next, keysEnded))
            return;
    }
}

void printPeakAfterOneSecond()
{
    const Uint32 start = SDL_GetTicks();
    while (!stopSignalled() && SDL_GetTicks() - start < kOnceDelayMs)
        SDL_Delay(10);
    int peak = 0;
    for (int bin = 1; bin < kSpectrumBins; ++bin)
        if (readSpectrum(0, bin) > readSpectrum(0, peak))
            peak = bin;
    if (readSpectrum(0, peak) > kSilence)
        printPeak(peak);
    else
        printNoPeak();
}

}  // namespace

int runAudioTool(const AudioToolOptions& options)
{
    if (SDL_Init(SDL_INIT_TIMER) < 0) {
        reportSdlNotStarted();
        return 1;
    }
    gAudioInput = new AudioInput(options.fromFile ? options.file.c_str() : nullptr);
    catchStopSignals();
    const bool readKeys = !(options.fromFile && isStandardInput(options.file));
    if (options.once) {
        printPeakAfterOneSecond();
    } else if (options.send) {
        LevelSending sending(options.mappings.empty() ? defaultLevelMappings() : options.mappings,
                             options.destination);
        showMeter(&sending, readKeys);
    } else {
        showMeter(nullptr, readKeys);
    }
    delete gAudioInput;
    gAudioInput = nullptr;
    printf("\n");
    SDL_Quit();
    return 0;
}
