#pragma once
// The microphone and the wedge as small filter cascades.

#include "stage/Biquad.h"

#include <vector>

namespace stage {

// A cardioid vocal microphone: low cut, presence rise near 5 kHz, air roll-off.
std::vector<BiquadCoefficients> MicrophoneSections();
// A stage wedge: bass roll-off, the low-mid lift of the floor it stands on,
// the upper-mid presence peak, treble roll-off.
std::vector<BiquadCoefficients> SpeakerSections();

} // namespace stage
