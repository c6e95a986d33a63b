#include "midi/MidiInbox.h"

MidiInbox::MidiInbox() = default;

bool MidiInbox::Put(const MidiEvent& event)
{
    if (event.slot < 0 || event.slot > MidiSlot::BankUp)
        return false;
    if (event.slot < MidiSlot::ValueSlotCount) {
        const std::uint64_t newest = newestEntry_[static_cast<std::size_t>(event.slot)];
        const std::uint64_t head = head_.load(std::memory_order_relaxed);
        // Still in the ring, no bank button since, and not yet taken.
        if (newest > newestBarrier_ && newest - 1 + Capacity > head) {
            Entry& entry = ring_[(newest - 1) % Capacity];
            int waiting = entry.value.load(std::memory_order_acquire);
            if (waiting != Taken && entry.value.compare_exchange_strong(waiting, event.value,
                                                                        std::memory_order_acq_rel))
                return false;
        }
        // Moves always fit: bank buttons fill at most half the ring, and
        // between two of them each control holds one entry.
        if (!Push(event, Capacity))
            return false;
        newestEntry_[static_cast<std::size_t>(event.slot)] = head_.load(std::memory_order_relaxed);
    } else {
        if (!Push(event, Capacity / 2))
            return false;
        newestBarrier_ = head_.load(std::memory_order_relaxed);
    }
    return !wakePending_.exchange(true, std::memory_order_seq_cst);
}

bool MidiInbox::Push(const MidiEvent& event, std::uint64_t limit)
{
    const std::uint64_t head = head_.load(std::memory_order_relaxed);
    if (head - tail_.load(std::memory_order_acquire) >= limit)
        return false;
    Entry& entry = ring_[head % Capacity];
    entry.slot.store(event.slot, std::memory_order_relaxed);
    entry.value.store(event.value, std::memory_order_relaxed);
    head_.store(head + 1, std::memory_order_seq_cst); // ordered before the wake flag
    return true;
}
