#pragma once
// The level of one frequency in the loop's output, as an ear picks a howl
// out of the band's bleed: a Goertzel filter over windows of 50 ms (20 Hz
// wide), the sine's peak amplitude in dBFS at the end of each window.

namespace stage {

class HowlMeter {
  public:
    static constexpr int WindowFrames = 2400;

    // Thread: the thread that processes; starts a new window.
    void SetFrequencyHz(double frequencyHz);
    // Thread: the thread that processes; never allocates.
    void Process(const float* samples, int frames);
    // The last whole window's level; -200 before the first.
    double LevelDbfs() const { return levelDbfs_; }

  private:
    double coefficient_ = 0, cosine_ = 1, sine_ = 0;
    double s1_ = 0, s2_ = 0;
    int counted_ = 0;
    double levelDbfs_ = -200;
};

} // namespace stage
