#pragma once
// The band table and the fader model: which faders are in play, locking and
// opening them, the cut range, levels, selection and volume. The one writer of
// the FaderSlice. Thread: GUI only.

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
FaderKindValue FaderKind(const FaderSlice& faders, int fader);

class FaderModel {
  public:
    // Writes only the FaderSlice of `state`; reads the mode.
    FaderModel(GameState& state, std::function<void()> repaint);

    // Seeds the generator, then sets labels and frequencies and clears levels
    // and counters; Locked and Reserved are left alone.
    void InitBandTable(RandomGenerator& random);
    void LockAllFaders();
    void OpenCutRange();
    void ResetLevels();
    // A cut-range menu choice; ignored while a turn is running.
    void ChangeCutRange(CutEdge edge, int band);

    // The operations of fader input and game flow; none repaints.
    void SelectFader(int fader) { faders_.SelectedFader = fader; }
    void SetLevel(int band, int level) { faders_.BandTable[band].Level = level; }
    void SetLocked(int band, bool locked) { faders_.BandTable[band].Locked = locked ? 1 : 0; }
    void SetMasterVolume(int level) { faders_.MasterVolume = level; }

    FaderKindValue FaderKind(int fader) const { return ::FaderKind(faders_, fader); }

  private:
    FaderSlice& faders_;
    const GameState& state_;
    std::function<void()> repaint_;
};
