#pragma once
// Where the stage loop's blocks go. The program plays them on the sound card
// through the stream's own callback; a test takes them itself, block by
// block, without a sound card.

#include <string>

struct GameState;
class WaveOut;

namespace stage {
class StageStream;
}

class StagePlayer {
  public:
    virtual ~StagePlayer() = default;
    // Starts taking blocks from `stream`; false with a German reason.
    // Thread: GUI.
    virtual bool Play(stage::StageStream& stream, std::string* errorText) = 0;
    // Takes no more blocks; the stream may go afterwards. Thread: GUI.
    virtual void Stop(stage::StageStream& stream) = 0;
};

// The sound card the game's tone uses ("Soundkarte"), or the system's
// default output for the first one.
class DeviceStagePlayer final : public StagePlayer {
  public:
    DeviceStagePlayer(WaveOut& waveOut, const GameState& state) : waveOut_(waveOut), state_(state)
    {
    }
    // Thread: GUI.
    bool Play(stage::StageStream& stream, std::string* errorText) override;
    // Thread: GUI.
    void Stop(stage::StageStream& stream) override;

  private:
    WaveOut& waveOut_;
    const GameState& state_;
};
