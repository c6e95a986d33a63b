#include "stage/RoomImpulse.h"

#include "stage/Biquad.h"
#include "stage/StageConstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace stage {

namespace {

constexpr double SpeedOfSoundMPerS = 343.0;
constexpr double CriticalDistanceM = 2.5;
constexpr int EarlyReflectionCount = 5;
constexpr double DecayDb = 60.0;

// Uniform in [0, 1) from the generator's raw output: the same on every
// standard library, unlike the distributions.
class SeededNumbers {
  public:
    explicit SeededNumbers(std::uint32_t seed) : engine_(seed) {}
    double Uniform() { return engine_() / 4294967296.0; }
    double Between(double low, double high) { return low + (high - low) * Uniform(); }
    double Gaussian()
    {
        const double u1 = 1.0 - Uniform();
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }

  private:
    std::mt19937 engine_;
};

std::array<double, RoomImpulse::OctaveCount> DrawRt60(SeededNumbers& numbers)
{
    // Longer in the bass, shorter in the treble, as absorbers behave.
    constexpr std::array<double, RoomImpulse::OctaveCount> profile = {1.3,  1.2, 1.1,  1.0, 1.0,
                                                                      0.92, 0.8, 0.65, 0.5};
    const double midSeconds = numbers.Between(0.6, 1.0);
    std::array<double, RoomImpulse::OctaveCount> rt60{};
    for (int octave = 0; octave < RoomImpulse::OctaveCount; ++octave)
        rt60[octave] =
            std::clamp(midSeconds * profile[octave] * numbers.Between(0.95, 1.05),
                       RoomImpulse::ShortestRt60Seconds, RoomImpulse::LongestRt60Seconds);
    return rt60;
}

void AddDiffuseTail(RoomImpulse& room, SeededNumbers& numbers, int startFrame)
{
    const double longest = *std::max_element(room.rt60Seconds.begin(), room.rt60Seconds.end());
    const int length = startFrame + static_cast<int>(std::ceil(longest * SampleRateHz));
    std::vector<float> noise(length - startFrame);
    for (float& sample : noise)
        sample = static_cast<float>(numbers.Gaussian());
    room.taps.resize(length, 0.0f);
    const int onsetFrames = SampleRateHz / 200; // 5 ms fade-in of the tail
    for (int octave = 0; octave < RoomImpulse::OctaveCount; ++octave) {
        std::vector<float> band = noise;
        // Two band-pass sections of an octave's width: neighbouring bands
        // overlap and together cover the spectrum without a gap.
        const BiquadCoefficients bandPass =
            BandPassSection(OctaveCentreHz(octave), std::numbers::sqrt2);
        BiquadChain filter({bandPass, bandPass});
        filter.Process(band.data(), static_cast<int>(band.size()));
        // Per-frame decay for 60 dB in RT60; the tail's energy is that of the
        // direct sound at the critical distance.
        const double decay =
            DecayDb / 20.0 * std::numbers::ln10 / (room.rt60Seconds[octave] * SampleRateHz);
        const double level = std::sqrt(2 * decay) / CriticalDistanceM;
        for (std::size_t n = 0; n < band.size(); ++n) {
            const double onset = std::min(1.0, double(n) / onsetFrames);
            room.taps[startFrame + n] +=
                static_cast<float>(band[n] * level * onset * std::exp(-decay * double(n)));
        }
    }
}

} // namespace

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

RoomImpulse SynthesiseRoom(std::uint32_t seed, bool withRoom)
{
    SeededNumbers numbers(seed);
    RoomImpulse room;
    const double directMs = numbers.Between(5.0, 25.0);
    room.directDelayFrames =
        std::clamp(static_cast<int>(std::lround(directMs * SampleRateHz / 1000.0)),
                   SampleRateHz / 200, SampleRateHz / 40);
    const double distanceM = SpeedOfSoundMPerS * room.directDelayFrames / SampleRateHz;
    room.taps = {static_cast<float>(1.0 / distanceM)};
    if (!withRoom)
        return room;

    room.rt60Seconds = DrawRt60(numbers);
    int lastReflection = 0;
    for (int i = 0; i < EarlyReflectionCount; ++i) {
        // Walls, floor and ceiling: longer paths, partly absorbed.
        const int extraFrames = static_cast<int>(numbers.Between(1.0, 15.0) * SampleRateHz / 1000);
        const double pathM =
            SpeedOfSoundMPerS * (room.directDelayFrames + extraFrames) / SampleRateHz;
        const double gain = numbers.Between(0.5, 0.8) / pathM;
        if (room.taps.size() <= std::size_t(extraFrames))
            room.taps.resize(extraFrames + 1, 0.0f);
        room.taps[extraFrames] += static_cast<float>(gain);
        lastReflection = std::max(lastReflection, extraFrames);
    }
    AddDiffuseTail(room, numbers, lastReflection / 2);
    return room;
}

} // namespace stage
