#pragma once
// The stage's sound without a sound card: the test takes the loop's blocks
// itself, as the callback would, and keeps what was played.

#include "session/StagePlayer.h"

#include <vector>

class OfflineStagePlayer final : public StagePlayer {
  public:
    bool Play(stage::StageStream& stream, std::string* errorText) override;
    void Stop(stage::StageStream& stream) override;

    bool Playing() const { return stream_ != nullptr; }
    // Renders `seconds` of the loop (whole 5 ms blocks); false when nothing plays.
    bool Run(double seconds);
    // The loudest sample of the last `seconds` played, dBFS.
    double PeakDbfs(double seconds) const;

    std::vector<float> played;
    std::string failure; // when set, Play fails with it

  private:
    stage::StageStream* stream_ = nullptr;
};
