#pragma once
// The 28-band graphic EQ: one constant-Q third-octave peaking section per
// band, overlapping as on a real graphic EQ; a band's gain in dB is its
// fader level.

#include "stage/Biquad.h"
#include "stage/StageConstants.h"

#include <array>

namespace stage {

using BandCentres = std::array<double, BandCount>;
using BandLevels = std::array<double, BandCount>; // dB, one per fader step

// Q of a third-octave band: sqrt(2^(1/3)) / (2^(1/3) - 1).
constexpr double ThirdOctaveQ = 4.3185;

BiquadCoefficients BandSection(double centreHz, double levelDb);

class BandEq {
  public:
    explicit BandEq(const BandCentres& centresHz);

    // Thread: the thread that processes; recomputes only the bands that
    // changed, never allocates.
    void SetLevels(const BandLevels& levelsDb);
    // Thread: the thread that processes; never allocates.
    void Process(float* samples, int frames) { chain_.Process(samples, frames); }

  private:
    BandCentres centresHz_;
    BandLevels levelsDb_{};
    BiquadChain chain_;
};

} // namespace stage
