#include "audio/PinkNoise.h"

PinkNoise::PinkNoise(std::uint32_t seed)
    // splitmix64 spreads small or similar seeds; xorshift must never start at 0.
    : state_(0x9E3779B97F4A7C15ull * (static_cast<std::uint64_t>(seed) + 1) | 1)
{
    // Let the slowest section settle, so the noise starts at its level.
    for (int i = 0; i < 4096; ++i)
        Next();
}

float PinkNoise::White()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    // Top 24 bits to -1..1.
    return static_cast<float>(static_cast<std::int32_t>(state_ >> 40) - (1 << 23)) /
           static_cast<float>(1 << 23);
}

float PinkNoise::Next()
{
    const float white = White();
    b0_ = 0.99886f * b0_ + white * 0.0555179f;
    b1_ = 0.99332f * b1_ + white * 0.0750759f;
    b2_ = 0.96900f * b2_ + white * 0.1538520f;
    b3_ = 0.86650f * b3_ + white * 0.3104856f;
    b4_ = 0.55000f * b4_ + white * 0.5329522f;
    b5_ = -0.7616f * b5_ - white * 0.0168980f;
    const float pink = b0_ + b1_ + b2_ + b3_ + b4_ + b5_ + b6_ + white * 0.5362f;
    b6_ = white * 0.115926f;
    return pink * 0.11f;
}

std::vector<float> RenderPinkNoise(std::uint32_t seed, std::size_t count)
{
    PinkNoise noise(seed);
    std::vector<float> samples(count);
    for (float& sample : samples)
        sample = noise.Next();
    return samples;
}
