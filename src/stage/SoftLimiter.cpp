#include "stage/SoftLimiter.h"

#include "stage/StageConstants.h"

#include <algorithm>
#include <cmath>

namespace stage {

namespace {

constexpr double ReleaseSeconds = 0.05;
constexpr double KneeDb = 1.0;

} // namespace

SoftLimiter::SoftLimiter() : release_(std::exp(-1.0 / (ReleaseSeconds * SampleRateHz))) {}

double SoftLimiter::CeilingAmplitude()
{
    return DbToAmplitude(LimitDbfs);
}

void SoftLimiter::Process(float* samples, int frames)
{
    const double ceiling = CeilingAmplitude();
    const double knee = DbToAmplitude(LimitDbfs - KneeDb);
    const double span = ceiling - knee;
    for (int n = 0; n < frames; ++n) {
        const double magnitude = std::abs(double(samples[n]));
        envelope_ = std::max(magnitude, envelope_ * release_);
        if (envelope_ <= knee)
            continue;
        // |x| <= envelope and the curve stays below the ceiling, so the
        // output does too, with no look-ahead.
        const double limited = knee + span * std::tanh((envelope_ - knee) / span);
        samples[n] = static_cast<float>(samples[n] * (limited / envelope_));
    }
}

} // namespace stage
