#pragma once
// Pink noise: white noise through Paul Kellet's refined filter (six one-pole
// sections and a direct path), which falls 3 dB per octave to within a tenth
// of a dB from 10 Hz to 20 kHz at 48 kHz. The white source is a small
// xorshift generator, so the same seed gives the same noise on every build.
// Thread: whichever thread owns the object.

#include <cstdint>
#include <vector>

class PinkNoise {
  public:
    explicit PinkNoise(std::uint32_t seed);

    // The next sample, roughly within -1..1 (RMS about 0.3). Thread: owner.
    float Next();

  private:
    float White();

    std::uint64_t state_;
    float b0_ = 0, b1_ = 0, b2_ = 0, b3_ = 0, b4_ = 0, b5_ = 0, b6_ = 0;
};

// `count` samples of pink noise from `seed`. Thread: any.
std::vector<float> RenderPinkNoise(std::uint32_t seed, std::size_t count);
