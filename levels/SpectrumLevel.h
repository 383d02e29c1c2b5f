// The level of the sound at a point of a logarithmic frequency scale, read
// from spectrumData: live through the show's audio input, or from a table
// that an offline analysis filled. Any thread (it only reads spectrumData).
#pragma once

// The fourth root of gAudioInput's spectrumLog(channel, x): x from 0 to 1
// spans bins 2 to 2048, one octave per 0.1; a full-scale sine in the band
// reads about 1. 0 while there is no audio input, for what spectrumLog
// refuses (a channel other than 0 and 1, a non-finite x), and where the
// spectrum holds no finite, positive value.
double spectrumLevel(int channel, float x);

// The same level read from spectrumData whether or not an audio input
// exists, for a table that an offline analysis filled.
double spectrumTableLevel(int channel, float x);

// The frequency in Hz that x stands for on that scale (bin 2^(10x + 1)).
double spectrumLevelFrequency(float x);
