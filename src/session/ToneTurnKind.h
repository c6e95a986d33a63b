#pragma once
// The game's own turn: a band's sine rings after a random start delay, a
// band fader pulled (or selected) is the answer, START gives it up. The
// draw keeps to the weights and the bands its sources name. Thread: GUI only.

#include "model/BandWeights.h"
#include "session/TurnKind.h"

#include <QObject>
#include <functional>
#include <optional>

class FaderModel;
class RandomGenerator;
class ResultsCounters;
class ToneOutput;
struct GameState;

class ToneTurnKind final : public QObject, public TurnKind {
    Q_OBJECT
  public:
    ToneTurnKind(const GameState& state, FaderModel& faders, ToneOutput& tone,
                 ResultsCounters& counters, RandomGenerator& random);

    using BandWeightsSource = std::function<std::optional<BandWeights>()>;
    using BandMaskSource = std::function<std::optional<BandMask>()>;
    void SetBandWeightsSource(BandWeightsSource source) { bandWeights_ = std::move(source); }
    void SetDrawBandsSource(BandMaskSource source) { drawBands_ = std::move(source); }

    void Begin() override;
    void End() override;
    void Judge(int band) override;
    StatusLines Tick(TurnPhase phase) override;
    // Starts the turn's tone now; a replay still ringing only ends.
    void StartNow() override;

  signals:
    // Found (at the first try or not), or given up with START.
    void toneTurnEnded(bool firstTry);

  private:
    void RunFindSequence();

    const GameState& state_;
    FaderModel& faders_;
    ToneOutput& tone_;
    ResultsCounters& counters_;
    RandomGenerator& random_;
    BandWeightsSource bandWeights_;
    BandMaskSource drawBands_;
};
