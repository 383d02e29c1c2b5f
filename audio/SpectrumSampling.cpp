#include "audio/SpectrumSampling.h"

#include <atomic>

#include "audio/AudioConsole.h"
#include "audio/AudioInput.h"
#include "audio/SoundChannel.h"
#include "audio/SpectrumData.h"

namespace {
// Closing waits for samplesUnderWay to be 0 after setting open to false;
// a sample counts itself before it looks at open. With sequentially
// consistent order one of the two always sees the other.
std::atomic<bool> sOpen{false};
std::atomic<int> sSamplesUnderWay{0};
std::atomic<unsigned long> sSampleCount{0};

void sampleRows()
{
    float row[kSpectrumBins];
    for (int r = 0; r < kSpectrumRows; ++r) {
        checkFmod(__LINE__, gAudioChannel->getSpectrum(row, kSpectrumBins, r, SPECTRUM_WINDOW_HANN));
        for (int bin = 0; bin < kSpectrumBins; ++bin)
            spectrumData[r * kSpectrumRowLength + bin].store(row[bin], std::memory_order_relaxed);
    }
    sSampleCount.fetch_add(1, std::memory_order_release);
}
}  // namespace

Uint32 sampleSpectrum(Uint32 interval, void*)
{
    sSamplesUnderWay.fetch_add(1);
    if (sOpen.load())
        sampleRows();
    sSamplesUnderWay.fetch_sub(1);
    return interval;
}

void openSpectrumSampling()
{
    sOpen.store(true);
}

void closeSpectrumSampling()
{
    sOpen.store(false);
    while (sSamplesUnderWay.load() > 0)
        SDL_Delay(1);
}

unsigned long spectrumSampleCount()
{
    return sSampleCount.load(std::memory_order_acquire);
}
