#pragma once
// A triple buffer: one writer publishes whole values, one reader always gets
// the newest whole value, and neither ever waits for the other. Atomics only,
// so the audio callback may read it.

#include <array>
#include <atomic>
#include <type_traits>

namespace stage {

template <typename T> class SnapshotExchange {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    // Thread: the one writer (GUI).
    void Publish(const T& value)
    {
        slots_[back_] = value;
        back_ = middle_.exchange(back_ | FreshBit, std::memory_order_acq_rel) & IndexMask;
    }

    // The newest value published, or the last one read when nothing new
    // came. Thread: the one reader (audio); wait-free.
    const T& Latest()
    {
        if (middle_.load(std::memory_order_relaxed) & FreshBit)
            front_ = middle_.exchange(front_, std::memory_order_acq_rel) & IndexMask;
        return slots_[front_];
    }

  private:
    static constexpr unsigned IndexMask = 3;
    static constexpr unsigned FreshBit = 4;

    std::array<T, 3> slots_{};
    std::atomic<unsigned> middle_{1};
    unsigned back_ = 0;  // the writer's own slot
    unsigned front_ = 2; // the reader's own slot
};

} // namespace stage
