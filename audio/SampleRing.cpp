#include "audio/SampleRing.h"

#include <algorithm>

namespace {
constexpr uint64_t kMask = SampleRing::kCapacity - 1;
// A push publishes at most this many samples at once, so that a reader's
// window and the writer's next piece never overlap unseen.
constexpr int kPiece = SampleRing::kCapacity - SampleRing::kMaxWindow;
constexpr int kCopyAttempts = 4;
}  // namespace

void SampleRing::clear()
{
    for (auto& s : samples_)
        s.store(0.0f, std::memory_order_relaxed);
    written_.store(0, std::memory_order_release);
    claimed_.store(0, std::memory_order_release);
}

void SampleRing::push(const float* samples, int count, int stride)
{
    while (count > 0) {
        const int n = std::min(count, kPiece);
        const uint64_t start = written_.load(std::memory_order_relaxed);
        claimed_.store(start + n, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        for (int i = 0; i < n; ++i)
            samples_[(start + i) & kMask].store(samples[i * stride], std::memory_order_relaxed);
        written_.store(start + n, std::memory_order_release);
        samples += n * stride;
        count -= n;
    }
}

void SampleRing::latest(float* out, int count) const
{
    for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
        const uint64_t end = written_.load(std::memory_order_acquire);
        const int missing = end < uint64_t(count) ? int(count - end) : 0;
        std::fill(out, out + missing, 0.0f);
        const uint64_t first = end - uint64_t(count - missing);
        for (uint64_t i = first; i < end; ++i)
            out[missing + (i - first)] = samples_[i & kMask].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        // The copy is whole unless the writer has begun overwriting its oldest slot.
        if (claimed_.load(std::memory_order_relaxed) - end <= uint64_t(kCapacity - count))
            return;
    }
}
