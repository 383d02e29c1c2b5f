#include "audio/SoundStream.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <system_error>
#include <vector>

#include "audio/SoundFile.h"

namespace {
constexpr long kRingFrames = 65536;  // about 1.5 s at 44100 Hz
constexpr long kReadFrames = 4096;   // one read of the decoder
constexpr auto kRefillWait = std::chrono::milliseconds(20);
constexpr auto kStopWait = std::chrono::milliseconds(500);
}  // namespace

// What the decoder thread and the stream share: the file (the decoder's
// alone once it runs), the ring (single writer, single reader: floats plain,
// positions atomic), and the stop request.
struct SoundStream::Shared {
    SoundFile file;
    bool loop = false;
    std::vector<float> ring;
    std::atomic<uint64_t> written{0};  // frames, ever
    std::atomic<uint64_t> taken{0};
    std::atomic<bool> fileEnded{false};
    std::atomic<bool> fileFailed{false};

    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool decoderDone = false;

    // Reads one piece of the file into the ring when there is room; false
    // once the file has ended.
    bool fill();
    void decode();
};

bool SoundStream::Shared::fill()
{
    const int channels = file.channels();
    const uint64_t w = written.load(std::memory_order_relaxed);
    const long room = kRingFrames - long(w - taken.load(std::memory_order_acquire));
    if (room < kReadFrames)
        return true;
    float piece[kReadFrames * 2];
    long got = file.read(piece, kReadFrames);
    if (got == 0 && loop && !file.failed() && w > 0 && file.rewind())
        got = file.read(piece, kReadFrames);
    for (long f = 0; f < got; ++f) {
        const size_t at = size_t((w + uint64_t(f)) % kRingFrames) * size_t(channels);
        std::copy(piece + f * channels, piece + (f + 1) * channels, ring.begin() + long(at));
    }
    written.store(w + uint64_t(got), std::memory_order_release);
    if (got > 0)
        return true;
    fileFailed.store(file.failed(), std::memory_order_relaxed);
    fileEnded.store(true, std::memory_order_release);
    return false;
}

void SoundStream::Shared::decode()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stop) {
        lock.unlock();
        const bool more = fill();
        const bool full = kRingFrames - long(written.load() - taken.load()) < kReadFrames;
        lock.lock();
        if (!more)
            break;
        if (full)
            changed.wait_for(lock, kRefillWait, [this] { return stop; });
    }
    decoderDone = true;
    changed.notify_all();
}

SoundResult SoundStream::open(const char* name, bool loop, std::unique_ptr<SoundStream>& out)
{
    out.reset();
    std::shared_ptr<Shared> shared;
    try {
        shared = std::make_shared<Shared>();
        const SoundResult opened = shared->file.open(name);
        if (opened != SOUND_OK)
            return opened;
        shared->loop = loop;
        shared->ring.resize(size_t(kRingFrames) * size_t(shared->file.channels()));
        shared->fill();
        out.reset(new SoundStream(shared));
    } catch (const std::bad_alloc&) {
        return SOUND_ERR_MEMORY;
    } catch (const std::system_error&) {  // no thread could be started
        return SOUND_ERR_MEMORY;
    }
    return SOUND_OK;
}

SoundStream::SoundStream(std::shared_ptr<Shared> shared)
    : shared_(std::move(shared)), decoder_([s = shared_] { s->decode(); })
{
}

SoundStream::~SoundStream()
{
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    const bool done = shared_->changed.wait_for(lock, kStopWait, [this] { return shared_->decoderDone; });
    lock.unlock();
    if (done)
        decoder_.join();
    else
        decoder_.detach();
}

int SoundStream::channels() const
{
    return shared_->file.channels();
}

int SoundStream::frequency() const
{
    return shared_->file.frequency();
}

bool SoundStream::take(float* frame)
{
    Shared& s = *shared_;
    const uint64_t t = s.taken.load(std::memory_order_relaxed);
    if (t == s.written.load(std::memory_order_acquire))
        return false;
    const int channels = s.file.channels();
    const float* at = s.ring.data() + size_t(t % kRingFrames) * size_t(channels);
    std::copy(at, at + channels, frame);
    s.taken.store(t + 1, std::memory_order_release);
    return true;
}

bool SoundStream::ended() const
{
    const Shared& s = *shared_;
    return s.fileEnded.load(std::memory_order_acquire) &&
           s.taken.load(std::memory_order_relaxed) == s.written.load(std::memory_order_acquire);
}

bool SoundStream::failed() const
{
    return shared_->fileFailed.load(std::memory_order_relaxed);
}
