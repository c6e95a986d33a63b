#pragma once
// The level of a turn's howl as it builds up: it starts 40 dB below the
// tone's level and rises 20 dB per second, a little in every sample, until it
// reaches the full level after two seconds and stays there. Plain
// computation, no state shared between threads: any thread may call it.

#include "audio/ToneSynthesis.h"

#include <cstdint>

constexpr double SwellStartDb = -40.0;
constexpr double SwellRiseDbPerSecond = 20.0;
// Samples from the first one to the one that plays at the full level.
constexpr std::int64_t SwellSamples = 2 * SampleRate;

// Amplitude factor (0.01 .. 1) of the sample `sampleIndex` samples after the
// tone's first one. Thread: any.
double SwellGainAt(std::int64_t sampleIndex);

// Walks the gain sample by sample with one multiplication each; every block
// starts again from the exact value, so rounding cannot pile up across blocks.
class SwellEnvelope {
  public:
    // Back to the first sample of a tone. Thread: GUI (the tone's owner).
    void Restart() { sampleIndex_ = 0; }
    // Call before each block. Thread: GUI.
    void StartBlock();
    // The gain of the next sample, then advances. Thread: GUI.
    double NextGain()
    {
        if (sampleIndex_ >= SwellSamples)
            return 1.0;
        const double gain = gain_;
        gain_ *= StepFactor;
        ++sampleIndex_;
        return gain;
    }

  private:
    // 10^(rise per sample / 20)
    static const double StepFactor;
    std::int64_t sampleIndex_ = 0;
    double gain_ = 0.0;
};
