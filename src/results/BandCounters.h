#pragma once
// The three result counters of a band and the 32-bit arithmetic on them.
// Counters wrap like the 32-bit fields they are stored in instead of
// overflowing into undefined behaviour. Thread: any (pure).

#include "model/BandSlot.h"

#include <cstdint>

inline std::int32_t WrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t WrappingSubtract(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
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
        slot.Finds = WrappingAdd(slot.Finds, Finds);
        slot.Attempts = WrappingAdd(slot.Attempts, Attempts);
        slot.FindTime = WrappingAdd(slot.FindTime, FindTime);
    }
    void SubtractFrom(BandSlot& slot) const
    {
        slot.Finds = WrappingSubtract(slot.Finds, Finds);
        slot.Attempts = WrappingSubtract(slot.Attempts, Attempts);
        slot.FindTime = WrappingSubtract(slot.FindTime, FindTime);
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
