// AudioInput: the show's sound input. Built without a file name it asks on
// the console for a playback and a record driver, records the record driver
// endlessly into a looping sound and plays that at zero volume; built with a
// file name it plays the file once, aloud. Either way its spectrum is then
// sampled every 20 ms into spectrumData (audio/SpectrumSampling.h) until it
// is deleted. Build and delete it on the main thread, after SDL's timer
// subsystem is initialised; the queries may run on any thread.
#pragma once

#include <SDL.h>

#include "audio/AudioConsole.h"

class Sound;
class SoundChannel;
class SoundSystem;

// The lowest sound layer version accepted.
constexpr unsigned REQUIRED_FMOD_VERSION = 0x00040612;

class AudioInput {
public:
    // fileName null: live input with the driver menus; else a sound file.
    // Set-up failures end the process (audio/AudioConsole.h).
    explicit AudioInput(const char* fileName);
    // Live input from drivers chosen beforehand (0-based indexes of the
    // menus' lists), without the menus: for programs that pick them
    // themselves. Set-up failures end the process as above.
    AudioInput(int playbackDriver, int recordDriver);
    // Stops the timer, waits for a sample under way, frees the sound objects.
    virtual ~AudioInput();
    AudioInput(const AudioInput&) = delete;
    AudioInput& operator=(const AudioInput&) = delete;

    // The console menus: list the drivers, wait for a key ('1' is driver 0),
    // return the chosen 0-based index. Escape ends the process with code 2,
    // as does the end of standard input.
    int choosePlaybackDriver();
    int chooseRecordDriver();

    // The spectrum queries read only spectrumData, so they are static; callers
    // reach them through gAudioInput. Any thread.
    // The value of spectrumData row `channel` at a fractional bin position,
    // linearly interpolated; positions of 2048 and more wrap round. Channels
    // other than 0 and 1, and negative or non-finite positions, give 0.
    static float spectrumAt(int channel, float position);
    // spectrumAt at bin 2^(10x + 1): x from 0 to 1 covers bins 2 to 2048,
    // one octave per 0.1.
    static float spectrumLog(int channel, double x);
    // spectrumAt at bin 2047x.
    static float spectrumLinear(int channel, double x);

private:
    void start(const char* fileName, int playbackDriver, int recordDriver);
    void startLive(int playbackDriver, int recordDriver);
    void startFile(const char* fileName);
    using DriverCount = SoundResult (SoundSystem::*)(int*);
    using DriverName = SoundResult (SoundSystem::*)(int, char*, int);
    int chooseDriver(const DriverMenuTexts& texts, DriverCount count, DriverName name);

    SDL_TimerID timer_ = nullptr;
    SoundSystem* system_ = nullptr;
    Sound* sound_ = nullptr;
};

// The show's one audio input; null at start, and the show leaves it so.
extern AudioInput* gAudioInput;
// The channel on which the input's sound plays; set by its constructor.
extern SoundChannel* gAudioChannel;
