#pragma once
// A bed under the turn's tone (pink noise or the player's music), ready to
// loop: 16-bit samples at 48 kHz whose end runs into their start through a
// crossfade, normalised over the whole loop so its RMS lies 20 dB below the
// tone's full RMS. Built on any thread, then only read.

#include "audio/ToneSynthesis.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

// The tone's full RMS (a sine of peak 16384) less 20 dB.
inline const double BedRms = ToneAmplitude / std::sqrt(2.0) / 10.0;
// Length of the crossfade that hides the seam of the loop.
constexpr std::size_t LoopCrossfadeSamples = SampleRate / 4;
// Shorter signals make no bed: the loop would be a buzz, not a programme.
constexpr std::size_t MinimumBedSamples = SampleRate;

struct BedLoop {
    // Held at the bed's level; only a signal whose peaks exceed 16 bits there
    // is held smaller, and `gain` (then above 1) brings it back.
    std::vector<std::int16_t> samples;
    double gain = 1.0;
    // Largest magnitude at the bed's level (samples times gain).
    double peak = 0.0;
};

// Crossfades the end of `signal` into its start, normalises and quantises.
// Null when the signal is shorter than MinimumBedSamples or silent.
// Thread: any.
std::shared_ptr<const BedLoop> MakeBedLoop(std::vector<float> signal);
