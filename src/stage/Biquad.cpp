#include "stage/Biquad.h"

#include "stage/StageConstants.h"

#include <numbers>

namespace stage {

namespace {

struct Angle {
    double cosine, alpha;
};

Angle SectionAngle(double frequencyHz, double q)
{
    const double w0 = 2 * std::numbers::pi * frequencyHz / SampleRateHz;
    return {std::cos(w0), std::sin(w0) / (2 * q)};
}

BiquadCoefficients Normalised(double b0, double b1, double b2, double a0, double a1, double a2)
{
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

} // namespace

std::complex<double> BiquadCoefficients::Response(std::complex<double> zInverse) const
{
    const std::complex<double> z2 = zInverse * zInverse;
    return (b0 + b1 * zInverse + b2 * z2) / (1.0 + a1 * zInverse + a2 * z2);
}

std::complex<double> BiquadCoefficients::LogDerivative(std::complex<double> zInverse) const
{
    // d z^-k / ds = -k z^-k.
    const std::complex<double> z2 = zInverse * zInverse;
    const std::complex<double> numerator = b0 + b1 * zInverse + b2 * z2;
    const std::complex<double> denominator = 1.0 + a1 * zInverse + a2 * z2;
    return (-b1 * zInverse - 2.0 * b2 * z2) / numerator -
           (-a1 * zInverse - 2.0 * a2 * z2) / denominator;
}

BiquadCoefficients PeakingSection(double frequencyHz, double q, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const Angle w = SectionAngle(frequencyHz, q);
    return Normalised(1 + w.alpha * a, -2 * w.cosine, 1 - w.alpha * a, 1 + w.alpha / a,
                      -2 * w.cosine, 1 - w.alpha / a);
}

BiquadCoefficients LowShelfSection(double frequencyHz, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const Angle w = SectionAngle(frequencyHz, std::numbers::sqrt2 / 2);
    const double root = 2 * std::sqrt(a) * w.alpha;
    return Normalised(
        a * ((a + 1) - (a - 1) * w.cosine + root), 2 * a * ((a - 1) - (a + 1) * w.cosine),
        a * ((a + 1) - (a - 1) * w.cosine - root), (a + 1) + (a - 1) * w.cosine + root,
        -2 * ((a - 1) + (a + 1) * w.cosine), (a + 1) + (a - 1) * w.cosine - root);
}

BiquadCoefficients HighPassSection(double frequencyHz, double q)
{
    const Angle w = SectionAngle(frequencyHz, q);
    return Normalised((1 + w.cosine) / 2, -(1 + w.cosine), (1 + w.cosine) / 2, 1 + w.alpha,
                      -2 * w.cosine, 1 - w.alpha);
}

BiquadCoefficients LowPassSection(double frequencyHz, double q)
{
    const Angle w = SectionAngle(frequencyHz, q);
    return Normalised((1 - w.cosine) / 2, 1 - w.cosine, (1 - w.cosine) / 2, 1 + w.alpha,
                      -2 * w.cosine, 1 - w.alpha);
}

BiquadCoefficients BandPassSection(double frequencyHz, double q)
{
    const Angle w = SectionAngle(frequencyHz, q);
    return Normalised(w.alpha, 0, -w.alpha, 1 + w.alpha, -2 * w.cosine, 1 - w.alpha);
}

BiquadChain::BiquadChain(const std::vector<BiquadCoefficients>& sections)
{
    sections_.reserve(sections.size());
    for (const BiquadCoefficients& c : sections)
        sections_.push_back({c});
}

void BiquadChain::SetSection(int index, const BiquadCoefficients& coefficients)
{
    // The state carries on: a fader move is heard as a move, not a click.
    sections_[index].c = coefficients;
}

void BiquadChain::Process(float* samples, int frames)
{
    for (Section& s : sections_) {
        const BiquadCoefficients c = s.c;
        double s1 = s.s1;
        double s2 = s.s2;
        for (int n = 0; n < frames; ++n) {
            const double x = samples[n];
            const double y = c.b0 * x + s1;
            s1 = c.b1 * x - c.a1 * y + s2;
            s2 = c.b2 * x - c.a2 * y;
            samples[n] = static_cast<float>(y);
        }
        s.s1 = s1;
        s.s2 = s2;
    }
}

} // namespace stage
