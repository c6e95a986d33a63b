#include "audio/SwellEnvelope.h"

#include <cmath>

const double SwellEnvelope::StepFactor = std::pow(10.0, SwellRiseDbPerSecond / SampleRate / 20.0);

double SwellGainAt(std::int64_t sampleIndex)
{
    if (sampleIndex >= SwellSamples)
        return 1.0;
    const double db =
        SwellStartDb + SwellRiseDbPerSecond * static_cast<double>(sampleIndex) / SampleRate;
    return std::pow(10.0, db / 20.0);
}

void SwellEnvelope::StartBlock()
{
    gain_ = SwellGainAt(sampleIndex_);
}
