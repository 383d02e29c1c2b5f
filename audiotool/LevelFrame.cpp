#include "audiotool/LevelFrame.h"

#include "audio/SpectrumSampling.h"
#include "levels/SpectrumLevel.h"

float levelBandPosition(int band)
{
    return float(band + 1) / 10.0f;
}

double levelBandFrequency(int band)
{
    return spectrumLevelFrequency(levelBandPosition(band));
}

LevelFrame takeLevelFrame()
{
    LevelFrame frame{};
    frame.sample = spectrumSampleCount();
    for (int channel = 0; channel < 2; ++channel)
        for (int band = 0; band < kLevelBands; ++band)
            frame.level[channel][band] = spectrumLevel(channel, levelBandPosition(band));
    return frame;
}
