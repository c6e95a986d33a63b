#include "audio/BedLoop.h"

#include <algorithm>
#include <numbers>

std::shared_ptr<const BedLoop> MakeBedLoop(std::vector<float> signal)
{
    if (signal.size() < MinimumBedSamples)
        return nullptr;

    // The last `fade` samples fade out over the first `fade`, which fade in;
    // the loop then ends where the tail began, so its last sample runs on
    // into the first one as the original did. Equal power, because the two
    // ends of a programme are unrelated.
    const std::size_t fade = std::min(LoopCrossfadeSamples, signal.size() / 4);
    const std::size_t length = signal.size() - fade;
    for (std::size_t i = 0; i < fade; ++i) {
        const double angle = std::numbers::pi / 2 * (i + 0.5) / fade;
        signal[i] =
            static_cast<float>(signal[i] * std::sin(angle) + signal[length + i] * std::cos(angle));
    }
    signal.resize(length);

    double sumOfSquares = 0.0;
    double peak = 0.0;
    for (const float sample : signal) {
        sumOfSquares += static_cast<double>(sample) * sample;
        peak = std::max(peak, static_cast<double>(std::abs(sample)));
    }
    const double rms = std::sqrt(sumOfSquares / static_cast<double>(length));
    // Below the last bit of a 16-bit file: nothing to hear.
    if (!(rms > 1.0 / 65536.0))
        return nullptr;

    auto loop = std::make_shared<BedLoop>();
    const double toBedLevel = BedRms / rms;
    loop->gain = std::max(1.0, peak * toBedLevel / 32767.0);
    const double toSamples = toBedLevel / loop->gain;
    loop->samples.resize(length);
    int largest = 0;
    for (std::size_t i = 0; i < length; ++i) {
        loop->samples[i] = static_cast<std::int16_t>(std::nearbyint(signal[i] * toSamples));
        largest = std::max(largest, std::abs(static_cast<int>(loop->samples[i])));
    }
    loop->peak = largest * loop->gain;
    return loop;
}
