#include "stage/HowlMeter.h"

#include "stage/StageConstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace stage {

void HowlMeter::SetFrequencyHz(double frequencyHz)
{
    const double omega = 2 * std::numbers::pi * frequencyHz / SampleRateHz;
    cosine_ = std::cos(omega);
    sine_ = std::sin(omega);
    coefficient_ = 2 * cosine_;
    s1_ = s2_ = 0;
    counted_ = 0;
}

void HowlMeter::Process(const float* samples, int frames)
{
    for (int n = 0; n < frames; ++n) {
        const double s0 = samples[n] + coefficient_ * s1_ - s2_;
        s2_ = s1_;
        s1_ = s0;
        if (++counted_ < WindowFrames)
            continue;
        const double real = s1_ - s2_ * cosine_;
        const double imaginary = s2_ * sine_;
        const double amplitude = 2 * std::sqrt(real * real + imaginary * imaginary) / WindowFrames;
        levelDbfs_ = std::max(-200.0, AmplitudeToDb(amplitude + 1e-12));
        s1_ = s2_ = 0;
        counted_ = 0;
    }
}

} // namespace stage
