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
