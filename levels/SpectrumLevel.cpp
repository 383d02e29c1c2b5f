#include "levels/SpectrumLevel.h"

#include <cmath>

#include "audio/AudioInput.h"

double spectrumLevel(int channel, float x)
{
    if (!gAudioInput)
        return 0.0;
    return spectrumTableLevel(channel, x);
}

double spectrumTableLevel(int channel, float x)
{
    const double v = AudioInput::spectrumLog(channel, x);
    return std::isfinite(v) && v > 0.0 ? std::pow(v, 0.25) : 0.0;
}

double spectrumLevelFrequency(float x)
{
    return std::exp2(10.0 * x + 1.0) * 44100.0 / 4096.0;
}
