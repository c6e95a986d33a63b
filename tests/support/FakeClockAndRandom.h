#pragma once
// A clock the test sets and a random generator that plays back a script.

#include "platform/Clock.h"
#include "platform/Random.h"

#include <QList>

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
    QList<std::int32_t> values;
    QList<std::int32_t> bounds; // what was asked, in order
};
