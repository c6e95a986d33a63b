#pragma once
// The band table and the fader model: which faders are in play, locking and
// opening them, the cut range. Thread: GUI only.

#include "model/GameState.h"

#include <functional>

class RandomGenerator;

enum FaderKindValue : std::int32_t {
    FaderInPlay = 0,
    FaderBelowCut = 1,
    FaderAboveCut = 2,
    FaderVolume = 3,
};

enum class CutEdge { Low, High };

// Label and nominal frequency of the 28 bands, index 0 = 25 Hz.
struct BandDefinition {
    const char* label;
    double frequencyHz;
};
extern const std::array<BandDefinition, BandCount> BandDefinitions;

// Classifies a fader index against the cut range; -1 (no fader) is below it.
FaderKindValue FaderKind(const GameState& state, int fader);

class FaderModel {
  public:
    FaderModel(GameState& state, std::function<void()> repaint);

    // Seeds the generator, then sets labels and frequencies and clears levels
    // and counters; Locked and Reserved are left alone.
    void InitBandTable(RandomGenerator& random);
    void LockAllFaders();
    void OpenCutRange();
    void ResetLevels();
    // A cut-range menu choice; ignored while a turn is running.
    void ChangeCutRange(CutEdge edge, int band);

    FaderKindValue FaderKind(int fader) const { return ::FaderKind(state_, fader); }

  private:
    GameState& state_;
    std::function<void()> repaint_;
};
