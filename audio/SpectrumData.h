// spectrumData: the audio side of the process-wide control state (the values
// that OSC input sets are in control/ControlState.h). The spectrum timer of a
// running AudioInput writes it every 20 ms on SDL's timer thread; anyone
// reads it. Like the control values, every entry is a relaxed atomic float:
// a reader sees each value whole, but a row may be part one sample and part
// the next.
//
// Two rows of 2050 entries, row-major (row * 2050 + bin): row 0 is the
// sound's first (left) channel, row 1 its second (right). Entries 0 to 2047
// are the magnitudes of a sample, lowest frequency first: bin k stands for
// k * 44100 / 4096 Hz, and a full-scale sine gives about 1.0 in its bin
// (audio/SpectrumAnalyser.h). Entries 2048 and 2049 are never written and
// stay 0, so that interpolation above bin 2047 falls to 0. All are 0 until
// the first sample; the last sample stays after the input stops.
#pragma once

#include <atomic>

constexpr int kSpectrumRows = 2;
constexpr int kSpectrumBins = 2048;
constexpr int kSpectrumRowLength = 2050;

extern std::atomic<float> spectrumData[kSpectrumRows * kSpectrumRowLength];

// One entry (relaxed).
inline float readSpectrum(int row, int bin)
{
    return spectrumData[row * kSpectrumRowLength + bin].load(std::memory_order_relaxed);
}
