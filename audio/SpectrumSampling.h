// The spectrum timer: every 20 ms, on SDL's timer thread, sampleSpectrum reads
// both rows of the spectrum of gAudioChannel into spectrumData. AudioInput
// opens sampling before it adds the timer and closes it after removing it;
// anything may read the sample count.
#pragma once

#include <SDL.h>

// The SDL timer callback (param unused); returns interval, so that the timer
// keeps its period. Samples nothing while sampling is closed.
Uint32 sampleSpectrum(Uint32 interval, void* param);

// Main thread: before the timer is added, once gAudioChannel is set.
void openSpectrumSampling();
// Main thread, after the timer is removed: returns once no sample is under
// way (SDL may have started one just before the removal); no later call of
// sampleSpectrum reads the channel.
void closeSpectrumSampling();

// The number of samples taken since the program started; a reader that
// waits for it to change sees each new sample once.
unsigned long spectrumSampleCount();
