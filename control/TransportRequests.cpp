#include "control/TransportRequests.h"

#include <atomic>

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

std::atomic<uint32_t> sVersion{0};
std::atomic<uint32_t> sSeeks{0};
std::atomic<float> sSeekTo{0.0f};
std::atomic<uint32_t> sLoops{0};
std::atomic<float> sLoopStart{0.0f};
std::atomic<float> sLoopEnd{0.0f};

// One writer: the version is odd from the first store of a request to the
// last.
template <class Stores>
void write(Stores stores)
{
    const uint32_t v = sVersion.load(kRelaxed);
    sVersion.store(v + 1, kRelaxed);
    std::atomic_thread_fence(std::memory_order_release);
    stores();
    sVersion.store(v + 2, std::memory_order_release);
}

}  // namespace

void requestSeek(float to)
{
    write([&] {
        sSeekTo.store(to, kRelaxed);
        sSeeks.store(sSeeks.load(kRelaxed) + 1, kRelaxed);
    });
}

void requestLoop(float start, float end)
{
    write([&] {
        sLoopStart.store(start, kRelaxed);
        sLoopEnd.store(end, kRelaxed);
        sLoops.store(sLoops.load(kRelaxed) + 1, kRelaxed);
    });
}

bool readTransportRequests(TransportRequests& out)
{
    const uint32_t before = sVersion.load(std::memory_order_acquire);
    if (before & 1u)
        return false;
    TransportRequests r;
    r.seeks = sSeeks.load(kRelaxed);
    r.seekTo = sSeekTo.load(kRelaxed);
    r.loops = sLoops.load(kRelaxed);
    r.loopStart = sLoopStart.load(kRelaxed);
    r.loopEnd = sLoopEnd.load(kRelaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (sVersion.load(kRelaxed) != before)
        return false;
    out = r;
    return true;
}
