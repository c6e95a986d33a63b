#pragma once
// The game's one random generator, replaceable in tests.

#include <cstdint>
#include <random>

class RandomGenerator {
  public:
    virtual ~RandomGenerator() = default;
    virtual void SeedFromClock() = 0;
    // A uniformly drawn integer r with 0 <= r < bound (bound > 0).
    virtual std::int32_t Below(std::int32_t bound) = 0;
    // A uniformly drawn real u with 0 <= u < 1. Only the optional weighted
    // band draw asks for one; this fallback serves generators that only script
    // integers, with 2^30 steps.
    virtual double Fraction() { return Below(1 << 30) / double(1 << 30); }
};

class StdRandomGenerator final : public RandomGenerator {
  public:
    void SeedFromClock() override;
    std::int32_t Below(std::int32_t bound) override;
    double Fraction() override;

  private:
    std::mt19937 engine_;
};
