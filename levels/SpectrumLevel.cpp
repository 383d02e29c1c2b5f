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
    return std::pow(double(AudioInput::spectrumLog(channel, x)), 0.25);
}

double spectrumLevelFrequency(float x)
{
    return std::exp2(10.0 * x + 1.0) * 44100.0 / 4096.0;
}
