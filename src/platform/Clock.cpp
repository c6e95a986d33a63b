#include "platform/Clock.h"

#include <chrono>

std::uint32_t SteadyMillisecondClock::timeGetTime() const
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(ms);
}
