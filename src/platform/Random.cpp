#include "platform/Random.h"

#include <chrono>

void StdRandomGenerator::SeedFromClock()
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::mt19937::result_type>(ticks));
}

std::int32_t StdRandomGenerator::Below(std::int32_t bound)
{
    if (bound <= 1)
        return 0;
    std::uniform_int_distribution<std::int32_t> pick(0, bound - 1);
    return pick(engine_);
}

double StdRandomGenerator::Fraction()
{
    // 53 random bits, so the result is never rounded up to 1 (which
    // std::generate_canonical can do).
    const std::uint64_t high = engine_() >> 5; // 27 bits
    const std::uint64_t low = engine_() >> 6;  // 26 bits
    return static_cast<double>((high << 26) | low) * 0x1.0p-53;
}
