#include "audio/SpectrumAnalyser.h"

#include <cmath>

#include "audio/SampleRing.h"

static_assert(SpectrumAnalyser::kWindowSize <= SampleRing::kMaxWindow, "ring too short");

SpectrumAnalyser::Scratch::Scratch()
    : samples_(fftwf_alloc_real(kWindowSize)), bins_(fftwf_alloc_complex(kWindowSize / 2 + 1))
{
}

SpectrumAnalyser::Scratch::~Scratch()
{
    fftwf_free(samples_);
    fftwf_free(bins_);
}

SpectrumAnalyser::SpectrumAnalyser(Planning planning)
{
    // Planned on arrays of its own; analyse executes the plan on each
    // Scratch's arrays, which fftwf_alloc aligns alike.
    Scratch probe;
    plan_ = fftwf_plan_dft_r2c_1d(kWindowSize, probe.samples_, probe.bins_,
                                 planning == Planning::Measured ? FFTW_MEASURE : FFTW_ESTIMATE);
    double sum = 0.0;
    for (int n = 0; n < kWindowSize; ++n) {
        window_[n] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * n / (kWindowSize - 1)));
        sum += window_[n];
    }
    scale_ = float(2.0 / sum);
}

SpectrumAnalyser::~SpectrumAnalyser()
{
    fftwf_destroy_plan(plan_);
}

void SpectrumAnalyser::analyse(const SampleRing& ring, Scratch& scratch, float* out) const
{
    ring.latest(scratch.samples_, kWindowSize);
    for (int n = 0; n < kWindowSize; ++n)
        scratch.samples_[n] *= window_[n];
    fftwf_execute_dft_r2c(plan_, scratch.samples_, scratch.bins_);
    for (int k = 0; k < kBins; ++k)
        out[k] = std::hypot(scratch.bins_[k][0], scratch.bins_[k][1]) * scale_;
}
