#pragma once
// Moves and bank buttons from the MIDI input thread (RtMidi's or JACK's) to the GUI thread. An
// ordered ring with one producer and one consumer; a control that is still
// waiting only has its value replaced, so a burst leaves one entry per
// control and a flood cannot outgrow the ring. A bank button keeps its place
// between the moves: a move after it gets an entry of its own. No locks, no
// allocation on the producer's side.

#include "midi/MidiMapping.h"

#include <array>
#include <atomic>
#include <cstdint>

class MidiInbox {
  public:
    static constexpr std::uint64_t Capacity = 8192;

    MidiInbox();

    // Thread: the input thread (the one producer). True when the consumer
    // has to be woken: nothing else is already on its way to it.
    bool Put(const MidiEvent& event);

    // Thread: GUI (the one consumer). Hands up to `most` waiting entries to
    // `take`, oldest first; returns whether more are waiting.
    template <typename Take> bool Drain(std::uint64_t most, Take&& take)
    {
        const std::uint64_t head = head_.load(std::memory_order_seq_cst);
        std::uint64_t tail = tail_.load(std::memory_order_relaxed);
        const std::uint64_t end = std::min(head, tail + most);
        for (; tail < end; ++tail) {
            Entry& entry = ring_[tail % Capacity];
            const int slot = entry.slot.load(std::memory_order_relaxed);
            const int value = entry.value.exchange(Taken, std::memory_order_acq_rel);
            tail_.store(tail + 1, std::memory_order_release);
            take(MidiEvent{slot, value});
        }
        if (end < head)
            return true;
        // Going idle: from here on a Put wakes the consumer again, and one
        // that came in meanwhile is reported as waiting.
        wakePending_.store(false, std::memory_order_seq_cst);
        return head_.load(std::memory_order_seq_cst) != end;
    }

  private:
    static constexpr int Taken = -1;
    struct Entry {
        std::atomic<int> slot{-1};
        std::atomic<int> value{Taken};
    };

    bool Push(const MidiEvent& event, std::uint64_t limit);

    std::array<Entry, Capacity> ring_;
    std::atomic<std::uint64_t> head_{0}; // written by the producer
    std::atomic<std::uint64_t> tail_{0}; // written by the consumer
    std::atomic<bool> wakePending_{false};
    // The producer's own: entry index + 1 of each control's newest entry,
    // and of the newest bank button.
    std::array<std::uint64_t, MidiSlot::ValueSlotCount> newestEntry_{};
    std::uint64_t newestBarrier_ = 0;
};
