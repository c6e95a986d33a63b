#pragma once
// The stage as a kind of turn ("Bühne"): START draws a room and builds it
// away from the window, each howl is a search of its own, a cut judged by
// the loop analysis finds it or misses it, and the gain rises every 2 s
// until the next howl grows. Thread: GUI only.

#include "session/StageFlow.h"
#include "session/TurnKind.h"

#include <QObject>
#include <QTimer>

class Dialogs;
class FaderModel;
class MillisecondClock;
class RandomGenerator;
class ResultsCounters;
class StagePlayer;
struct GameState;

class StageTurnKind final : public QObject, public TurnKind {
    Q_OBJECT
  public:
    StageTurnKind(const GameState& state, FaderModel& faders, ResultsCounters& counters,
                  Dialogs& dialogs, RandomGenerator& random, MillisecondClock& clock,
                  StagePlayer& player);
    ~StageTurnKind() override;

    void Begin() override;
    // Cancels a build, or stops the sounding stage.
    void End() override;
    void Judge(int band) override;
    StatusLines Tick(TurnPhase phase) override;
    void BreakOff() override;

    // "Training" > "Bühne" unchecked: a stage still being built is not started.
    void SwitchedOff();
    // Ringing out: G rises.
    void gainTimerTimer();
    StageFlow& Flow() { return stage_; }
    const StageFlow& Flow() const { return stage_; }

    QTimer gainTimer; // ringing out: every 2 s

  signals:
    void stageHowlStarted(double howlHz, double gainWonDb, double autoGainWonDb);

  private:
    void Built(const QString& errorText);
    bool CancelBuild();
    void BeginHowl();
    void HowlStopped(const StageFlow::Verdict& verdict);
    void FollowNextHowl(int nextHowl);
    bool Sounding() const;

    FaderModel& faders_;
    ResultsCounters& counters_;
    Dialogs& dialogs_;
    RandomGenerator& random_;
    MillisecondClock& clock_;
    StageFlow stage_;
};
