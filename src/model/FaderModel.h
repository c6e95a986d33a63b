#pragma once
// The band table and the fader model: which faders are in play, locking and
// opening them, the cut range, levels, selection and volume. The one writer of
// the FaderSlice; it announces every change, and the view repaints what it
// shows of it. Thread: GUI only.

#include "model/GameState.h"

#include <QObject>

class RandomGenerator;

enum FaderKindValue : std::int32_t {
    FaderInPlay = 0,
    FaderBelowCut = 1,
    FaderAboveCut = 2,
    FaderVolume = 3,
};

enum class CutEdge { Low, High };

// A band fader counts as pulled down at -6 or lower (a try under "Anwahl und
// Absenkung", a replay or generator tone stopped) and as raised at +6 or higher.
constexpr int PulledDownLevel = -6;
constexpr int RaisedLevel = 6;

// Label and nominal frequency of the 28 bands, index 0 = 25 Hz.
struct BandDefinition {
    const char* label;
    double frequencyHz;
};
extern const std::array<BandDefinition, BandCount> BandDefinitions;

// Classifies a fader index against the cut range; -1 (no fader) is below it.
FaderKindValue FaderKind(const FaderSlice& faders, int fader);

class FaderModel final : public QObject {
    Q_OBJECT
  public:
    // Writes only the FaderSlice of `state`; reads the mode.
    explicit FaderModel(GameState& state, QObject* parent = nullptr);

    // Seeds the generator, then sets labels and frequencies and clears levels
    // and counters; Locked and Reserved are left alone.
    void InitBandTable(RandomGenerator& random);
    void LockAllFaders();
    void OpenCutRange();
    void ResetLevels();
    // A cut-range menu choice; ignored while a turn is running.
    void ChangeCutRange(CutEdge edge, int band);

    // The operations of fader input and game flow.
    void SelectFader(int fader);
    void SetLevel(int band, int level);
    void SetLocked(int band, bool locked);
    void SetMasterVolume(int level);

    FaderKindValue FaderKind(int fader) const { return ::FaderKind(faders_, fader); }

  signals:
    // After every operation above that wrote the slice.
    void changed();

  private:
    FaderSlice& faders_;
    const GameState& state_;
};
