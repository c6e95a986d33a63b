#pragma once
// A clock the test sets and a random generator that plays back a script.

#include "platform/Clock.h"
#include "platform/Random.h"

#include <QList>
#include <random>

class FakeClock final : public MillisecondClock {
  public:
    std::uint32_t timeGetTime() const override { return nowMs; }
    void Advance(std::uint32_t ms) { nowMs += ms; }
    std::uint32_t nowMs = 1'000'000;
};

class ScriptedRandom final : public RandomGenerator {
  public:
    void SeedFromClock() override {}
    // The next scripted value (0 when the script is used up), reduced below bound.
    std::int32_t Below(std::int32_t bound) override
    {
        bounds << bound;
        const std::int32_t value = values.isEmpty() ? 0 : values.takeFirst();
        return bound > 0 ? value % bound : 0;
    }
    // The next scripted fraction (0 when the script is used up).
    double Fraction() override
    {
        ++fractionsAsked;
        return fractions.isEmpty() ? 0.0 : fractions.takeFirst();
    }
    QList<std::int32_t> values;
    QList<std::int32_t> bounds; // what was asked, in order
    QList<double> fractions;
    int fractionsAsked = 0;
};

// The real generator's algorithm with a fixed seed: long random sequences
// that are the same in every run, for statistical checks.
class SeededRandom final : public RandomGenerator {
  public:
    explicit SeededRandom(std::uint32_t seed) : engine_(seed) {}
    void SeedFromClock() override {}
    std::int32_t Below(std::int32_t bound) override
    {
        return bound > 1 ? std::uniform_int_distribution<std::int32_t>(0, bound - 1)(engine_) : 0;
    }
    double Fraction() override
    {
        const std::uint64_t high = engine_() >> 5;
        const std::uint64_t low = engine_() >> 6;
        return static_cast<double>((high << 26) | low) * 0x1.0p-53;
    }

  private:
    std::mt19937 engine_;
};
