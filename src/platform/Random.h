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
};

class StdRandomGenerator final : public RandomGenerator {
  public:
    void SeedFromClock() override;
    std::int32_t Below(std::int32_t bound) override;

  private:
    std::mt19937 engine_;
};
