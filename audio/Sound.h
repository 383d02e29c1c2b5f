// Sound: a sound of the sound layer, made by SoundSystem::createSound. Either
// a file streamed from disk as it plays (a file sound plays on one channel
// at a time: playing it again starts it anew there), or an empty buffer in
// memory (a user sound) that a recording fills endlessly, wrapping at its
// end. Made and released on the main thread; the audio callbacks read it
// (and a recording writes a user sound's buffer) while it plays.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/SoundResult.h"
#include "audio/SoundStream.h"

class SoundSystem;

class Sound {
public:
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Stops its recording and every channel that plays it, then frees it.
    SoundResult release();

private:
    friend class SoundSystem;
    friend class SoundChannel;

    Sound(SoundSystem* system, int channels, int frequency, bool loop);
    ~Sound() = default;

    SoundSystem* system_;
    const int channels_;   // 1 or 2
    const int frequency_;  // frames per second
    const bool loop_;

    // A file sound: its name, and the stream that plays it (renewed when
    // the sound is played again), which a channel has taken or not yet.
    std::string fileName_;
    std::unique_ptr<SoundStream> stream_;
    bool streamTaken_ = false;

    // A user sound: the ring buffer of 16-bit frames that a recording writes
    // (one sample per element and channel, interleaved), and how many frames
    // were recorded into it so far.
    std::unique_ptr<std::atomic<int16_t>[]> buffer_;
    int bufferFrames_ = 0;
    std::atomic<uint64_t> recordedFrames_{0};

    bool isUserSound() const { return bufferFrames_ > 0; }
};
