// SoundSystem: the project's own sound layer on PortAudio (devices, playback
// and recording), libsndfile (sound files) and FFTW (spectra). It lists the
// playback and record drivers (PortAudio devices), mixes its channels into
// the chosen playback driver and records from the chosen record driver into
// a user sound. Every call returns a SoundResult.
//
// Threads: make, set up, play and release on one thread (the main thread).
// The audio callbacks run on PortAudio's threads; they neither allocate nor
// take a lock. Channels' volumes and spectra: SoundChannel.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/SoundResult.h"
#include "audio/SoundTypes.h"

class Sound;
class SoundChannel;
class SpectrumAnalyser;
struct PaStreamCallbackTimeInfo;

// The layer's version, 0xMMMMmmpp (major, minor, patch).
constexpr unsigned SOUND_LAYER_VERSION = 0x00050000;

// For tests: the version getVersion reports from now on, in place of
// SOUND_LAYER_VERSION.
void setReportedSoundVersion(unsigned version);

class SoundSystem {
public:
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    SoundResult getVersion(unsigned* version);

    // Drivers are numbered from 0 in PortAudio's order of its devices, each
    // kind on its own; a name is cut to fit length bytes with its zero.
    SoundResult getNumDrivers(int* count);
    SoundResult getRecordNumDrivers(int* count);
    SoundResult getDriverName(int index, char* name, int length);
    SoundResult getRecordDriverName(int index, char* name, int length);
    // Before init; without it the system's default device is used.
    SoundResult setDriver(int index);
    SoundResult setRecordDriver(int index);

    // The mixer's format, before init: rate 8000 to 192000, 16-bit, 1 or 2
    // output channels, no input channels, linear resampling.
    SoundResult setSoftwareFormat(int rate, SoundFormat format, int outputChannels, int inputChannels,
                                  SoundResampler resampler);

    // Opens and starts the playback driver with `channels` voices (1 to 256).
    SoundResult init(int channels, unsigned flags, void* driverData);

    // A file sound (name, mode without SOUND_MODE_USER, no info), streamed
    // from the file as it plays, or an empty user sound (no name,
    // SOUND_MODE_USER, info) at the mixer's rate. After init.
    SoundResult createSound(const char* name, unsigned mode, const SoundExInfo* info, Sound** sound);

    // Records from the record driver into a user sound from its start; with
    // loop, endlessly, wrapping at its end, else until it is full.
    SoundResult recordStart(Sound* sound, bool loop);
    SoundResult recordStop();

    // Plays sound on a free channel (channelIndex SOUND_CHANNEL_FREE), not
    // paused (starting paused is not offered). A file sound already played
    // stops where it plays and starts again from its beginning.
    SoundResult playSound(int channelIndex, Sound* sound, bool paused, SoundChannel** channel);

    // Stops recording and playback and frees every channel.
    SoundResult close();
    // Closes, frees every sound not yet released, and the system itself.
    SoundResult release();

private:
    friend class Sound;
    friend SoundResult createSoundSystem(SoundSystem** system);

    SoundSystem();
    ~SoundSystem();

    static int outputCallback(const void* input, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo* time, unsigned long flags, void* self);
    static int inputCallback(const void* input, void* output, unsigned long frames,
                             const PaStreamCallbackTimeInfo* time, unsigned long flags, void* self);
    void mix(int16_t* out, unsigned long frames);
    bool record(const int16_t* in, unsigned long frames);

    SoundResult openFile(const char* name, bool loop, Sound** sound);
    SoundResult renewStream(Sound* sound);
    void stopChannelsOf(const Sound* sound);
    void waitForMixPass();
    void forget(Sound* sound);

    std::vector<int> outputDevices_;  // playback driver index -> PortAudio device
    std::vector<int> inputDevices_;   // record driver index -> PortAudio device
    int driver_ = -1;                 // -1: the default device
    int recordDriver_ = -1;
    int rate_ = 44100;
    int outputChannels_ = 2;

    void* output_ = nullptr;  // PortAudio streams
    void* input_ = nullptr;
    Sound* recording_ = nullptr;  // constant while input_ runs
    bool recordLoop_ = true;
    int inputChannels_ = 0;       // of the open record stream

    std::unique_ptr<SpectrumAnalyser> analyser_;
    std::vector<std::unique_ptr<SoundChannel>> channels_;  // sized by init, then fixed
    std::vector<Sound*> sounds_;
    std::atomic<uint64_t> mixPasses_{0};
};

// Starts the back end and makes a system; *system is null on failure.
SoundResult createSoundSystem(SoundSystem** system);
