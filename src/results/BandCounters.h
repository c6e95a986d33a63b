#pragma once
// The three result counters of a band and the 32-bit arithmetic on them.
// Counters stop at the limits of the 32-bit fields they are stored in: a
// wrapped sum would be negative, and a file record whose Attempts is not
// positive loses that band's history at the next save. Thread: any (pure).

#include "model/BandSlot.h"

#include <algorithm>
#include <cstdint>
#include <limits>

inline std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b)
{
    const std::int64_t sum = std::int64_t{a} + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

inline std::int32_t SaturatingSubtract(std::int32_t a, std::int32_t b)
{
    const std::int64_t difference = std::int64_t{a} - b;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(difference, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

// A time in ms as the signed 32-bit FindTime field can hold it. The unsigned
// game time stops at the same limit, so the game's total stays the sum of its
// bands' times and never shows more than a results file can keep.
inline std::int32_t StorableTime(std::uint32_t timeMs)
{
    return static_cast<std::int32_t>(
        std::min<std::uint32_t>(timeMs, std::numeric_limits<std::int32_t>::max()));
}

struct BandCounters {
    std::int32_t Finds = 0;
    std::int32_t Attempts = 0;
    std::int32_t FindTime = 0; // ms

    static BandCounters Of(const BandSlot& slot)
    {
        return {slot.Finds, slot.Attempts, slot.FindTime};
    }
    bool IsZero() const { return Finds == 0 && Attempts == 0 && FindTime == 0; }
    bool operator==(const BandCounters&) const = default;

    void AddTo(BandSlot& slot) const
    {
        slot.Finds = SaturatingAdd(slot.Finds, Finds);
        slot.Attempts = SaturatingAdd(slot.Attempts, Attempts);
        slot.FindTime = SaturatingAdd(slot.FindTime, FindTime);
    }
    void SubtractFrom(BandSlot& slot) const
    {
        slot.Finds = SaturatingSubtract(slot.Finds, Finds);
        slot.Attempts = SaturatingSubtract(slot.Attempts, Attempts);
        slot.FindTime = SaturatingSubtract(slot.FindTime, FindTime);
    }
    void StoreIn(BandSlot& slot) const
    {
        slot.Finds = Finds;
        slot.Attempts = Attempts;
        slot.FindTime = FindTime;
    }
};

// What a stored record adds when results are saved: a record whose Attempts
// is 0 or less adds nothing (such records only come from foreign files).
inline BandCounters SavedPart(const BandSlot& stored)
{
    return stored.Attempts > 0 ? BandCounters::Of(stored) : BandCounters{};
}
