#pragma once
// Second-order sections (RBJ audio EQ cookbook) and a cascade of them, with
// their transfer function for the loop's analysis.

#include <complex>
#include <vector>

namespace stage {

struct BiquadCoefficients {
    // Normalised so that a0 = 1.
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;

    // H(z) for z^-1 = zInverse.
    std::complex<double> Response(std::complex<double> zInverse) const;
    // d ln H / ds at z = e^s, z^-1 = zInverse.
    std::complex<double> LogDerivative(std::complex<double> zInverse) const;
};

BiquadCoefficients PeakingSection(double frequencyHz, double q, double gainDb);
BiquadCoefficients HighPassSection(double frequencyHz, double q);
BiquadCoefficients LowPassSection(double frequencyHz, double q);
// Unity gain above the corner, gainDb below it (slope 1).
BiquadCoefficients LowShelfSection(double frequencyHz, double gainDb);
// Unity gain at the centre.
BiquadCoefficients BandPassSection(double frequencyHz, double q);

// A cascade processed in place, transposed direct form II in double.
class BiquadChain {
  public:
    explicit BiquadChain(const std::vector<BiquadCoefficients>& sections);

    // Thread: the thread that processes (audio or renderer); never allocates.
    void SetSection(int index, const BiquadCoefficients& coefficients);
    // Thread: the thread that processes; never allocates.
    void Process(float* samples, int frames);

  private:
    struct Section {
        BiquadCoefficients c;
        double s1 = 0, s2 = 0;
    };
    std::vector<Section> sections_;
};

} // namespace stage
