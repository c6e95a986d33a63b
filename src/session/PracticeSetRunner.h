#pragma once
// Plays an "Übungssatz" ("Training" > "Übungssatz starten"): ten turns back
// to back, each next one pressed 2 s after a find or a give-up whatever
// "Automatischer Neustart" says (the setting stays as it is). NEUES SPIEL, a
// chart, the generator or quitting break it off. The set's row goes into the
// journal when it starts and is finished when it ends; a set played to the end shows its points,
// the best set and the last five in one box. Thread: GUI only.

#include "journal/JournalTurn.h"
#include "model/PracticeSet.h"

#include <QObject>
#include <QTimer>
#include <optional>

class Dialogs;
class GameFlow;
class JournalService;
class TurnRecorder;
struct GameState;

class PracticeSetRunner final : public QObject {
    Q_OBJECT
  public:
    PracticeSetRunner(const GameState& state, GameFlow& game, JournalService& journal,
                      TurnRecorder& recorder, Dialogs& dialogs, QObject* parent = nullptr);

    // Starts a new set (breaking off one in play); a turn still ringing is
    // given up first and does not count.
    void Start();
    // Breaks the set off, if one is in play: the window closes.
    void BreakOff();
    bool Running() const { return running_; }
    int TurnsPlayed() const { return set_.TurnsPlayed(); }

    // The pause before the next turn, PracticeSet::NextTurnDelayMs.
    QTimer nextTurn;

  private:
    void TurnStarted();
    void WrongAttemptCounted(int band);
    void TurnFound(int band, std::uint32_t findMs, int attempts);
    void TurnAbandoned();
    void PhaseChanged();
    void TurnEnded(std::optional<double> findSeconds);
    void PressStart();
    void Finish(bool completed);
    void ShowScore(const PracticeSet& set,
                   const std::optional<std::vector<PracticeSetRecord>>& sets);

    const GameState& state_;
    GameFlow& game_;
    JournalService& journal_;
    TurnRecorder& recorder_;
    Dialogs& dialogs_;
    bool running_ = false;
    int generation_ = 0;     // which Start a journal answer belongs to
    bool turnInSet_ = false; // a turn of the set is in the search
    PracticeSet set_;
    PracticeSetRecord record_;
    std::optional<int> firstWrongBand_;
};
