#pragma once
// The feedback tone's sine samples. Plain computation, no device. Thread: GUI only.

#include <cmath>
#include <cstdint>

constexpr std::int32_t SampleRate = 48000;
constexpr std::int32_t BlockSamples = 24000;
constexpr std::uint32_t BlockBytes = BlockSamples * sizeof(std::int16_t);
constexpr double ToneAmplitude = 16384.0;
// 2 pi to the precision of an 80-bit extended number; the phase arithmetic is
// done at that precision so every build renders the same samples.
constexpr long double TwoPi = 6.283185307179586477L;

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
