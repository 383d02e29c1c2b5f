// SpectrumAnalyser: magnitudes of the latest 4096 samples of a signal, with
// a Hann window, by FFTW. The plan is made once, up front, on the thread that
// builds the analyser (the main thread); analyse runs on any thread, one call
// per Scratch at a time, and never allocates.
//
// Scale and frequency: bin k of the 2048 magnitudes stands for
// k * rate / 4096 Hz (k * 44100 / 4096, about 10.77 Hz per bin, at the
// mixer's 44100 Hz), and a full-scale sine (amplitude 1.0) gives about 1.0 in
// its bin: the magnitude is |X(k)| * 2 / (sum of the window), a little less
// for a sine between two bins.
#pragma once

#include <fftw3.h>

class SampleRing;

class SpectrumAnalyser {
public:
    static constexpr int kWindowSize = 4096;
    static constexpr int kBins = 2048;

    // The arrays one analysis works in; one per reader.
    class Scratch {
    public:
        Scratch();
        ~Scratch();
        Scratch(const Scratch&) = delete;
        Scratch& operator=(const Scratch&) = delete;

    private:
        friend class SpectrumAnalyser;
        float* samples_;
        fftwf_complex* bins_;
    };

    // Measured: FFTW times a few ways and keeps the fastest, for live input.
    // Estimated: a plan chosen without timing, so that an offline analysis
    // gives the same bits on every run; the values agree to rounding.
    enum class Planning { Measured, Estimated };

    explicit SpectrumAnalyser(Planning planning = Planning::Measured);
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // Writes kBins magnitudes of ring's latest kWindowSize samples into out.
    void analyse(const SampleRing& ring, Scratch& scratch, float* out) const;

private:
    fftwf_plan plan_;
    float window_[kWindowSize];
    float scale_;  // 2 / sum of the window
};
