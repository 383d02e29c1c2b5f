#include "audio/SpectrumData.h"

std::atomic<float> spectrumData[kSpectrumRows * kSpectrumRowLength];
