#include "stage/Transducers.h"

namespace stage {

std::vector<BiquadCoefficients> MicrophoneSections()
{
    return {HighPassSection(70, 0.7), PeakingSection(5000, 1.2, 3.0), LowPassSection(15000, 0.7)};
}

std::vector<BiquadCoefficients> SpeakerSections()
{
    return {HighPassSection(90, 0.8), PeakingSection(250, 0.8, 3.0), PeakingSection(2500, 1.0, 3.0),
            LowPassSection(12000, 0.7)};
}

} // namespace stage
