// Sound: a sound of the sound layer, made by SoundSystem::createSound. Either
// a file decoded whole into memory, or an empty buffer in memory (a user
// sound) that a recording fills endlessly, wrapping at its end. Made and
// released on the main thread; the audio callbacks read it (and a recording
// writes a user sound's buffer) while it plays.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/SoundResult.h"

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

    // A file sound: its frames, interleaved, as floats from -1 to 1.
    std::vector<float> frames_;

    // A user sound: the ring buffer of 16-bit frames that a recording writes
    // (one sample per element and channel, interleaved), and how many frames
    // were recorded into it so far.
    std::unique_ptr<std::atomic<int16_t>[]> buffer_;
    int bufferFrames_ = 0;
    std::atomic<uint64_t> recordedFrames_{0};

    bool isUserSound() const { return bufferFrames_ > 0; }
    long fileFrames() const { return long(frames_.size()) / channels_; }
};
