#include "audio/AudioMath.h"

#include <cmath>

double logBase2(double x)
{
    static const double kInverseLn2 = 1.0 / std::log(2.0);
    return std::log(x) * kInverseLn2;
}
