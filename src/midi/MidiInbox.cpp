#include "midi/MidiInbox.h"

MidiInbox::MidiInbox() = default;

bool MidiInbox::Put(const MidiEvent& event)
{
    if (event.slot < 0 || event.slot > MidiSlot::BankUp)
        return false;
    if (event.slot < MidiSlot::ValueSlotCount) {
        const std::uint64_t newest = newestEntry_[static_cast<std::size_t>(event.slot)];
        // Still in the ring, no bank button since, and not yet taken.
        if (newest > newestBarrier_ && newest - 1 + Capacity > ring_.Published()) {
            Entry& entry = ring_.At(newest - 1);
            int waiting = entry.value.load(std::memory_order_acquire);
            if (waiting != Taken && entry.value.compare_exchange_strong(waiting, event.value,
                                                                        std::memory_order_acq_rel))
                return false;
        }
        // Moves always fit: bank buttons fill at most half the ring, and
        // between two of them each control holds one entry.
        if (!Push(event, Capacity))
            return false;
        newestEntry_[static_cast<std::size_t>(event.slot)] = ring_.Published();
    } else {
        if (!Push(event, Capacity / 2))
            return false;
        newestBarrier_ = ring_.Published();
    }
    return !wakePending_.exchange(true, std::memory_order_seq_cst);
}

bool MidiInbox::Push(const MidiEvent& event, std::uint64_t limit)
{
    Entry* entry = ring_.Claim(limit);
    if (!entry)
        return false;
    entry->slot.store(event.slot, std::memory_order_relaxed);
    entry->value.store(event.value, std::memory_order_relaxed);
    ring_.Publish(); // ordered before the wake flag
    return true;
}
