// SoundChannel: one voice of the mixer, playing one Sound. SoundSystem's
// playSound starts it on the main thread; the audio callbacks feed it; its
// volume may be set from any thread; its spectrum may be read on any one
// thread at a time (the spectrum timer's).
//
// What it plays is kept, before its volume, as two sides (left and right:
// a mono sound plays on both), the latest samples of each in a ring; so a
// silent channel is still analysed. A file channel plays what the output
// callback mixes, taken from the file's stream; a channel that plays a user
// sound being recorded plays the recording as it comes in, and is heard (at
// its volume) trailing the record position by half the sound's buffer. A
// file that has ended plays silence, and so does one whose stream has fallen
// behind, until it catches up (nothing is skipped).
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/SampleRing.h"
#include "audio/SoundResult.h"
#include "audio/SoundTypes.h"
#include "audio/SpectrumAnalyser.h"

class Sound;
class SoundStream;

class SoundChannel {
public:
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // How loud it is heard, 0 to 1 (1 to begin with).
    SoundResult setVolume(float volume);

    // The spectrum of side channelOffset (0 left, 1 right) of what the
    // channel plays: count must be SpectrumAnalyser::kBins, the window
    // SPECTRUM_WINDOW_HANN. Scale and bin frequency: SpectrumAnalyser.h.
    // SOUND_ERR_FILE_READ once the file it plays could not be read to its end.
    SoundResult getSpectrum(float* values, int count, int channelOffset, SpectrumWindow window);

private:
    friend class SoundSystem;

    explicit SoundChannel(const SpectrumAnalyser& analyser);

    // Main thread, on a free channel that no callback touches.
    void start(Sound* sound);

    // Output callback: count frames of what the channel plays, as stereo
    // floats, before its volume.
    void renderFile(const Sound& sound, float* stereo, int count, int outputRate);
    void renderRecorded(const Sound& sound, float* stereo, int count);
    // Output callback: moves the pair of file frames on until the play
    // position lies between them; false when there is nothing to play.
    bool catchUp(SoundStream& stream);
    bool takeFrame(SoundStream& stream, float* side);

    const SpectrumAnalyser& analyser_;
    std::atomic<Sound*> sound_{nullptr};  // null: the channel is free
    std::atomic<float> volume_{1.0f};
    std::atomic<bool> fileFailed_{false};
    SampleRing sides_[2];
    SpectrumAnalyser::Scratch scratch_;

    // Play state, owned by the output callback while the channel plays. A
    // file plays at `phase_` between the frames `from_` and `to_` (as left,
    // right); after its last frame it falls to silence over one frame.
    float from_[2] = {}, to_[2] = {};
    double phase_ = 0.0;
    bool fileDraining_ = false;
    bool fileEnded_ = false;
    uint64_t playedFrame_ = 0;   // in a user sound's recorded frames
    bool following_ = false;     // playedFrame_ trails the record position
};
