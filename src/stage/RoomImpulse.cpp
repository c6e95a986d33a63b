#include "stage/RoomImpulse.h"

#include "stage/Biquad.h"
#include "stage/SeededNumbers.h"
#include "stage/StageConstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace stage {

namespace {

constexpr double DecayDb = 60.0;

} // namespace

std::array<double, RoomImpulse::OctaveCount> DrawRt60(SeededNumbers& numbers, double midSeconds)
{
    // Longer in the bass, shorter in the treble, as absorbers behave.
    constexpr std::array<double, RoomImpulse::OctaveCount> profile = {1.3,  1.2, 1.1,  1.0, 1.0,
                                                                      0.92, 0.8, 0.65, 0.5};
    std::array<double, RoomImpulse::OctaveCount> rt60{};
    for (int octave = 0; octave < RoomImpulse::OctaveCount; ++octave)
        rt60[octave] =
            std::clamp(midSeconds * profile[octave] * numbers.Between(0.95, 1.05),
                       RoomImpulse::ShortestRt60Seconds, RoomImpulse::LongestRt60Seconds);
    return rt60;
}

int DiffuseTailFrames(const std::array<double, RoomImpulse::OctaveCount>& rt60Seconds)
{
    return static_cast<int>(
        std::ceil(*std::max_element(rt60Seconds.begin(), rt60Seconds.end()) * SampleRateHz));
}

void AddDiffuseTail(std::vector<float>& taps,
                    const std::array<double, RoomImpulse::OctaveCount>& rt60Seconds,
                    SeededNumbers& numbers, int startFrame, double level)
{
    const int length = DiffuseTailFrames(rt60Seconds);
    std::vector<float> noise(length);
    for (float& sample : noise)
        sample = static_cast<float>(numbers.Gaussian());
    if (taps.size() < std::size_t(startFrame) + std::size_t(length))
        taps.resize(std::size_t(startFrame) + std::size_t(length), 0.0f);
    const int onsetFrames = SampleRateHz / 200; // 5 ms fade-in of the tail
    for (int octave = 0; octave < RoomImpulse::OctaveCount; ++octave) {
        std::vector<float> band = noise;
        // Two band-pass sections of an octave's width: neighbouring bands
        // overlap and together cover the spectrum without a gap.
        const BiquadCoefficients bandPass =
            BandPassSection(OctaveCentreHz(octave), std::numbers::sqrt2);
        BiquadChain filter({bandPass, bandPass});
        filter.Process(band.data(), static_cast<int>(band.size()));
        // Per-frame decay for 60 dB in RT60; `level` is the direct sound's
        // amplitude at the critical distance, where the tail's energy equals it.
        const double decay =
            DecayDb / 20.0 * std::numbers::ln10 / (rt60Seconds[octave] * SampleRateHz);
        const double scale = std::sqrt(2 * decay) * level;
        const double stepGain = std::exp(-decay);
        double envelope = scale;
        for (std::size_t n = 0; n < band.size(); ++n) {
            const double onset = std::min(1.0, double(n) / onsetFrames);
            taps[startFrame + n] += static_cast<float>(band[n] * envelope * onset);
            envelope *= stepGain;
        }
    }
}

double OctaveCentreHz(int octave)
{
    return 62.5 * std::pow(2.0, octave);
}

double RoomImpulse::DirectDelayMs() const
{
    return 1000.0 * directDelayFrames / SampleRateHz;
}

double RoomImpulse::Rt60Seconds(double frequencyHz) const
{
    if (!HasRoom())
        return 0.0;
    const double position =
        std::clamp(std::log2(frequencyHz / OctaveCentreHz(0)), 0.0, OctaveCount - 1.0);
    const int below = std::min(static_cast<int>(position), OctaveCount - 2);
    const double fraction = position - below;
    return rt60Seconds[below] * (1 - fraction) + rt60Seconds[below + 1] * fraction;
}

} // namespace stage
