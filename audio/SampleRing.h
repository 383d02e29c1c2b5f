// SampleRing: the latest samples of one signal, kept for spectrum read-outs.
// One thread writes (an audio callback: no allocation, no lock, no wait);
// any thread may copy out the latest window meanwhile. Every sample is an
// atomic float, so a reader never sees a torn value; a copy that the writer
// overran while it was made is taken again (a few times at most).
#pragma once

#include <atomic>
#include <cstdint>

class SampleRing {
public:
    static constexpr int kCapacity = 8192;  // power of two
    static constexpr int kMaxWindow = 4096; // the longest window a reader takes

    // All samples to 0, nothing written. Only while no writer runs.
    void clear();

    // Appends count samples, taken from samples[0], samples[stride], ...
    // Writer thread only.
    void push(const float* samples, int count, int stride);

    // Copies the latest count samples (count <= kMaxWindow), oldest first.
    // Before that many were written the missing older ones read 0.
    void latest(float* out, int count) const;

private:
    std::atomic<float> samples_[kCapacity] = {};
    std::atomic<uint64_t> written_{0};  // samples whose writing has ended
    std::atomic<uint64_t> claimed_{0};  // samples whose writing has begun
};
