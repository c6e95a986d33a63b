#pragma once
// Keeps a runaway howl at -6 dBFS and never lets a sample past it: linear up
// to a peak of -7 dBFS, then a soft knee that approaches the ceiling. The
// peak follower attacks at once and releases over 50 ms.

namespace stage {

class SoftLimiter {
  public:
    SoftLimiter();
    // Thread: the thread that processes; never allocates.
    void Process(float* samples, int frames);

    static double CeilingAmplitude();

  private:
    double envelope_ = 0;
    double release_;
};

} // namespace stage
