#pragma once
// Follows the turn in play and hands it to the journal when it leaves the
// search. Connected to the game's turn signals; what a turn's end brings comes
// with its notice, the settings in play are read from the game state when it
// starts, and nothing of the state is written. Thread: GUI only.

#include "journal/JournalTurn.h"

#include <QObject>
#include <cstdint>
#include <optional>

class JournalService;
struct GameState;

class TurnRecorder final : public QObject {
    Q_OBJECT
  public:
    TurnRecorder(const GameState& state, JournalService& journal, QObject* parent = nullptr);

    // The turn being played, if any.
    const std::optional<JournalTurn>& TurnInPlay() const { return turn_; }
    // The "Übungssatz" the turns from the next one on belong to; none outside one.
    void SetPracticeSet(std::optional<std::int64_t> setId) { setId_ = setId; }

  public slots:
    // The tone has started: band, frequency and settings of the turn.
    void TurnStarted();
    // The turn just started is a howl of a stage turn.
    void StageHowlStarted(double howlHz, double gainWonDb, double autoGainWonDb);
    // Another band's fader stopped the howl: `tried` ends with that band.
    void StageHowlMissed(const QList<int>& tried, int attempts);
    // A wrong fader was counted; the tried bands keep their order.
    void WrongAttemptCounted(int band);
    // The find of `band` after `findMs` and `attempts` tries.
    void TurnFound(int band, std::uint32_t findMs, int attempts);
    // The turn left the search without a find.
    void TurnAbandoned(int attempts);

  private:
    void Finish(TurnOutcome outcome, int attempts);

    const GameState& state_;
    JournalService& journal_;
    std::optional<JournalTurn> turn_;
    std::optional<std::int64_t> setId_;
};
