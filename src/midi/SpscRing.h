#pragma once
// A ring of Capacity entries between one producer thread and one consumer
// thread: neither waits, locks or allocates, so either may be a real-time
// thread. Entries are numbered from 0 in the order they are published; the
// producer may still reach an entry it published (MidiInbox updates one that
// waits), which is why entries are handed out rather than copied in.

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

template <typename Entry, std::uint64_t Capacity> class SpscRing {
    static_assert(std::has_single_bit(Capacity), "a power of two, so the numbers wrap cleanly");

  public:
    // The entry the next Publish hands over, or null while `limit` entries
    // (at most Capacity) wait already. Thread: the producer.
    Entry* Claim(std::uint64_t limit = Capacity)
    {
        const std::uint64_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) >= std::min(limit, Capacity))
            return nullptr;
        return &entries_[head % Capacity];
    }
    // Hands the claimed entry over. Sequentially consistent, so a flag the
    // producer sets afterwards is never seen before the entry. Thread: the
    // producer.
    void Publish() { head_.store(head_.load(std::memory_order_relaxed) + 1); }
    // How many entries were published; the next one's number. Thread: the producer.
    std::uint64_t Published() const { return head_.load(std::memory_order_relaxed); }
    // Entry `number`, which the producer may touch only while it waits (not
    // yet taken, tracked by the entry itself). Thread: the producer.
    Entry& At(std::uint64_t number) { return entries_[number % Capacity]; }

    // Hands up to `most` waiting entries to `take`, oldest first; `take`
    // returns false to leave its entry waiting and stop. Returns whether
    // entries still wait. Thread: the consumer.
    template <typename Take> bool Drain(std::uint64_t most, Take&& take)
    {
        const std::uint64_t head = head_.load();
        std::uint64_t tail = tail_.load(std::memory_order_relaxed);
        const std::uint64_t end = std::min(head, tail + most);
        // The entry is read before the producer may reuse it.
        for (; tail < end && take(entries_[tail % Capacity]); ++tail)
            tail_.store(tail + 1, std::memory_order_release);
        return tail < head;
    }
    // Whether entries wait, as the producer last published. Thread: the consumer.
    bool Waiting() const { return head_.load() != tail_.load(std::memory_order_relaxed); }

  private:
    std::array<Entry, Capacity> entries_{};
    std::atomic<std::uint64_t> head_{0}; // written by the producer
    std::atomic<std::uint64_t> tail_{0}; // written by the consumer
};
