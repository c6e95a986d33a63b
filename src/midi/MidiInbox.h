#pragma once
// Moves and bank buttons from the MIDI input thread (RtMidi's or JACK's) to
// the GUI thread, through an SpscRing; a control that is still
// waiting only has its value replaced, so a burst leaves one entry per
// control and a flood cannot outgrow the ring. A bank button keeps its place
// between the moves: a move after it gets an entry of its own. No locks, no
// allocation on the producer's side.

#include "midi/MidiMapping.h"
#include "midi/SpscRing.h"

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
        const bool more = ring_.Drain(most, [&take](Entry& entry) {
            const int slot = entry.slot.load(std::memory_order_relaxed);
            const int value = entry.value.exchange(Taken, std::memory_order_acq_rel);
            take(MidiEvent{slot, value});
            return true;
        });
        if (more)
            return true;
        // Going idle: from here on a Put wakes the consumer again, and one
        // that came in meanwhile is reported as waiting.
        wakePending_.store(false, std::memory_order_seq_cst);
        return ring_.Waiting();
    }

  private:
    static constexpr int Taken = -1;
    struct Entry {
        std::atomic<int> slot{-1};
        std::atomic<int> value{Taken};
    };

    bool Push(const MidiEvent& event, std::uint64_t limit);

    SpscRing<Entry, Capacity> ring_;
    std::atomic<bool> wakePending_{false};
    // The producer's own: entry index + 1 of each control's newest entry,
    // and of the newest bank button.
    std::array<std::uint64_t, MidiSlot::ValueSlotCount> newestEntry_{};
    std::uint64_t newestBarrier_ = 0;
};
