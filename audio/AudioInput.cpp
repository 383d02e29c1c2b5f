#include "audio/AudioInput.h"

#include <cmath>
#include <cstdlib>

#include "audio/ConsoleKeys.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "audio/SoundSystem.h"
#include "audio/SpectrumData.h"
#include "audio/SpectrumSampling.h"

AudioInput* gAudioInput = nullptr;
SoundChannel* gAudioChannel = nullptr;

namespace {
constexpr int kRate = 44100;
constexpr int kVoices = 32;
constexpr int kNameLength = 256;
constexpr Uint32 kSamplePeriodMs = 20;
constexpr int kFromMenu = -1;  // a driver index still to be chosen in the menu
}  // namespace

AudioInput::AudioInput(const char* fileName)
{
    start(fileName, kFromMenu, kFromMenu);
}

AudioInput::AudioInput(int playbackDriver, int recordDriver)
{
    start(nullptr, playbackDriver, recordDriver);
}

void AudioInput::start(const char* fileName, int playbackDriver, int recordDriver)
{
    printInitializing();
    checkFmod(__LINE__, createSoundSystem(&system_));
    unsigned version = 0;
    checkFmod(__LINE__, system_->getVersion(&version));
    if (version < REQUIRED_FMOD_VERSION)
        failOldSoundVersion(version, REQUIRED_FMOD_VERSION);
    if (fileName)
        startFile(fileName);
    else
        startLive(playbackDriver, recordDriver);
    openSpectrumSampling();
    timer_ = SDL_AddTimer(kSamplePeriodMs, sampleSpectrum, nullptr);
    if (!timer_)
        failSpectrumTimer();
    printInitialized();
}

void AudioInput::startLive(int playbackDriver, int recordDriver)
{
    checkFmod(__LINE__, system_->setDriver(playbackDriver == kFromMenu ? choosePlaybackDriver() : playbackDriver));
    checkFmod(__LINE__, system_->setRecordDriver(recordDriver == kFromMenu ? chooseRecordDriver() : recordDriver));
    checkFmod(__LINE__, system_->setSoftwareFormat(kRate, SOUND_FORMAT_PCM16, 2, 0, SOUND_RESAMPLER_LINEAR));
    checkFmod(__LINE__, system_->init(kVoices, SOUND_INIT_NORMAL, nullptr));

    // 2048 stereo 16-bit frames, about 46 ms: the looping record buffer.
    SoundExInfo info{};
    info.structSize = sizeof info;
    info.lengthBytes = 2048 * 2 * 2;
    info.channels = 2;
    info.frequency = kRate;
    info.format = SOUND_FORMAT_PCM16;
    checkFmod(__LINE__, system_->createSound(nullptr, SOUND_MODE_2D | SOUND_MODE_SOFTWARE | SOUND_MODE_USER |
                                                          SOUND_MODE_LOOP,
                                             &info, &sound_));
    checkFmod(__LINE__, system_->recordStart(sound_, true));
    checkFmod(__LINE__, system_->playSound(SOUND_CHANNEL_FREE, sound_, false, &gAudioChannel));
    // Silent, so the input is not heard twice; its spectrum is still read.
    checkFmod(__LINE__, gAudioChannel->setVolume(0.0f));
    SDL_Delay(20);
}

void AudioInput::startFile(const char* fileName)
{
    checkFmod(__LINE__, system_->setSoftwareFormat(kRate, SOUND_FORMAT_PCM16, 2, 0, SOUND_RESAMPLER_LINEAR));
    checkFmod(__LINE__, system_->init(kVoices, SOUND_INIT_NORMAL, nullptr));
    checkFmod(__LINE__, system_->createSound(fileName, SOUND_MODE_SOFTWARE, nullptr, &sound_));
    checkFmod(__LINE__, system_->playSound(SOUND_CHANNEL_FREE, sound_, false, &gAudioChannel));
}

AudioInput::~AudioInput()
{
    printStopping();
    SDL_RemoveTimer(timer_);
    closeSpectrumSampling();
    gAudioChannel = nullptr;
    checkFmod(__LINE__, sound_->release());
    checkFmod(__LINE__, system_->close());
    checkFmod(__LINE__, system_->release());
    printStopped();
}

int AudioInput::choosePlaybackDriver()
{
    return chooseDriver(kPlaybackMenuTexts, &SoundSystem::getNumDrivers, &SoundSystem::getDriverName);
}

int AudioInput::chooseRecordDriver()
{
    return chooseDriver(kRecordMenuTexts, &SoundSystem::getRecordNumDrivers, &SoundSystem::getRecordDriverName);
}

int AudioInput::chooseDriver(const DriverMenuTexts& texts, DriverCount count, DriverName name)
{
    int drivers = 0;
    checkFmod(__LINE__, (system_->*count)(&drivers));
    printMenuHeading(texts);
    for (int i = 0; i < drivers; ++i) {
        char driverName[kNameLength];
        checkFmod(__LINE__, (system_->*name)(i, driverName, kNameLength));
        printDriverLine(i + 1, driverName);
    }
    printMenuPrompt(texts);
    // '1' is the first driver; the characters after '9' go on from the tenth.
    for (;;) {
        const int key = console::_getch();
        if (key == console::kEndOfInput)
            failMenuEndOfInput();
        if (key == console::kEscape)
            exit(2);
        const int index = key - '1';
        if (index >= 0 && index < drivers) {
            printMenuChosen(texts);
            return index;
        }
    }
}

float AudioInput::spectrumAt(int channel, float position)
{
    if (channel < 0 || channel >= kSpectrumRows || !std::isfinite(position) || position < 0.0f)
        return 0.0f;
    const float p = std::fmod(position, float(kSpectrumBins));
    const float f = std::fmod(p, 1.0f);
    const int i = int(p);
    return (1.0f - f) * readSpectrum(channel, i) + f * readSpectrum(channel, i + 1);
}

float AudioInput::spectrumLog(int channel, double x)
{
    return spectrumAt(channel, float(std::pow(2.0, 10.0 * x) * (1.0 / 1024.0) * kSpectrumBins));
}

float AudioInput::spectrumLinear(int channel, double x)
{
    return spectrumAt(channel, float(x * (kSpectrumBins - 1)));
}
