#pragma once
// The feedback tone: which band rings in a turn, the exact frequency inside
// it, and the sine samples. Plain computation, no device. Thread: GUI only.

#include "model/BandWeights.h"
#include "model/GameState.h"

#include <cmath>
#include <cstdint>

class RandomGenerator;

constexpr std::int32_t SampleRate = 48000;
constexpr std::int32_t BlockSamples = 24000;
constexpr std::uint32_t BlockBytes = BlockSamples * sizeof(std::int16_t);
constexpr double ToneAmplitude = 16384.0;
// 2 pi to the precision of an 80-bit extended number; the phase arithmetic is
// done at that precision so every build renders the same samples.
constexpr long double TwoPi = 6.283185307179586477L;

// Geometric means with the neighbouring bands; g must be 1..BandCount-2.
double BandLowerEdge(const BandArray& bands, int g);
double BandUpperEdge(const BandArray& bands, int g);

// The band that rings in a turn and the tone's exact frequency inside it.
struct TurnFrequency {
    std::int32_t band = NoFader;
    double frequencyHz = 0.0;
};

// Draws the band (first) from LowCutBand + 1 .. HighCutBand, then the
// frequency (division point 5..95 of 100) from `random`. The settings reader
// and the menus keep the cut range where both neighbours of every band exist.
// Without `weights` every band is equally likely, from one Below() call; with
// them (the "Schwache Bänder üben" option) band b is drawn with probability
// weights[b] / (sum over those bands) from one Fraction() call. The frequency
// inside the band is drawn the same way in both cases.
TurnFrequency PickTurnFrequency(const GameState& state, RandomGenerator& random,
                                const BandWeights* weights = nullptr);
// The band a weighted draw gives for the fraction u (0 <= u < 1): the first
// candidate whose cumulative weight exceeds u times the total. Weights that
// are not positive numbers count as 0; -1 when no candidate has weight.
int WeightedBand(const BandWeights& weights, int firstBand, int lastBand, double u);

class ToneSynthesis {
  public:
    // Restarts the phase at 0 for a tone of `frequencyHz`.
    void StartTone(double frequencyHz);
    // Writes the next BlockSamples samples of the running tone; allocates nothing.
    void FillToneBlock(std::int16_t* block);
    // The phase walk of FillToneBlock with the sample left to `shape`, which
    // turns sin(phase) into the 16-bit sample: shaped tones keep exactly the
    // plain tone's phase. Thread: GUI.
    template <typename Shape> void RenderTone(std::int16_t* block, Shape&& shape)
    {
        double phase = TonePhase;
        for (int i = 0; i < BlockSamples; ++i) {
            // Reduce before the sample; a phase of exactly 2 pi stays.
            if (phase > TwoPi)
                phase = static_cast<double>(phase - TwoPi);
            block[i] = shape(std::sin(phase));
            phase = static_cast<double>(static_cast<long double>(phase) + PhaseStep);
        }
        TonePhase = phase;
    }

    double TonePhase = 0.0; // radians at the next sample
    double PhaseStep = 0.0; // radians per sample
};
