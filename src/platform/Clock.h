#pragma once
// The 32-bit millisecond clock. Differences are taken in unsigned 32-bit
// arithmetic, so a wrap after 49.7 days does no harm.

#include <cstdint>

class MillisecondClock {
  public:
    virtual ~MillisecondClock() = default;
    virtual std::uint32_t timeGetTime() const = 0;
};

class SteadyMillisecondClock final : public MillisecondClock {
  public:
    std::uint32_t timeGetTime() const override;
};
