// LevelFrame: the levels of the sound in a few bands, both channels, as the
// audio tool reads them once per 20 ms spectrum sample. Main thread.
#pragma once

constexpr int kLevelBands = 9;

struct LevelFrame {
    unsigned long sample;          // the spectrum sample it was read from
    double level[2][kLevelBands];  // [channel][band], spectrumLevel: 0 to about 1
};

// Band b lies at x = (b + 1) / 10 on spectrumLevel's scale, that is bin
// 2^(b + 2): from about 43 Hz to about 11 kHz, an octave apart.
float levelBandPosition(int band);
double levelBandFrequency(int band);  // Hz

// Reads the bands of the latest sample through spectrumLevel.
LevelFrame takeLevelFrame();
