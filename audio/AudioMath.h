// Small numeric helpers of the audio input. Any thread.
#pragma once

// The base-2 logarithm of x: ln(x) times 1/ln 2, the factor computed on the
// first call.
double logBase2(double x);
