#pragma once
// A kind of turn (the tone, the stage; a new kind plugs in the same way).
// GameFlow keeps the bank, the phase table and the turn's record, and hands
// the kind chosen at START what differs between kinds; the kind moves the
// table on and keeps the record through its TurnHost. Which phase allows
// what is the table's (TurnMachine.h), never the kind's. Thread: GUI only.

#include "model/TurnMachine.h"
#include "results/StatusLines.h"

#include <QList>
#include <algorithm>
#include <cstdint>
#include <limits>

// Seconds from the settings as a timer interval: computed in 64 bits, so an
// edited value keeps its meaning up to the longest interval a timer holds.
inline int TimerIntervalMs(std::int32_t seconds)
{
    return static_cast<int>(
        std::min<std::int64_t>(std::int64_t(seconds) * 1000, std::numeric_limits<int>::max()));
}

// What GameFlow offers the kind whose turn runs.
class TurnHost {
  public:
    virtual TurnPhase Phase() const = 0;
    // Moves the table on; an event no row lists is refused and logged.
    virtual void Fire(TurnEvent event) = 0;
    // A new turn: the NEUES SPIEL button shows, the table is told, the band
    // faders go to 0 and nothing is selected.
    virtual void PrepareTurn() = 0;
    virtual void ShowNewGameButton() = 0;
    virtual void SetRinging(int band, double frequencyHz) = 0;

    // The turn's record: opens with BeginSearch (its clock starts,
    // turnStarted) and closes exactly once.
    virtual void BeginSearch() = 0;
    virtual bool SearchOpen() const = 0;
    // A wrong band counted; `markOnBank`: locked and marked for the rest of the turn.
    virtual void CountWrongTry(int band, bool markOnBank) = 0;
    // The find, `foundMsAgo` before now, into the counters.
    virtual void RecordFind(std::uint32_t foundMsAgo = 0) = 0;
    virtual void CloseSearchFound() = 0;
    // Another band's move ended it: nothing counted, the tried bands kept.
    virtual void CloseSearchMissed(const QList<int>& triedBands) = 0;
    virtual void CloseSearchAbandoned() = 0;

    // With "Hinweise" on, the bank shows the ringing band.
    virtual void ShowAnswerHint() = 0;
    // The status lines now, after letting waiting input and paints run.
    virtual void ShowLinesNow() = 0;
    // The bank's own status lines (figures of the game's results).
    virtual StatusLines BankLines() const = 0;
    // The random start delay and the automatic next turn.
    virtual void ArmStartDelay(int delayMs) = 0;
    virtual void ArmNextTurn() = 0;
    virtual void StopPendingStarts() = 0;

  protected:
    ~TurnHost() = default;
};

class TurnKind {
  public:
    virtual ~TurnKind() = default;
    // The flow that takes the kind hands it the host it plays through.
    void Attach(TurnHost& host) { host_ = &host; }
    // START with this kind chosen, in a phase where START begins a turn.
    virtual void Begin() = 0;
    // START during its turn, in a phase where START ends it.
    virtual void End() = 0;
    // A band fader in play was selected or moved in a phase that judges moves.
    virtual void Judge(int band) = 0;
    // Every 70 ms while its turn is on screen: what it listens for, and the lines.
    virtual StatusLines Tick(TurnPhase phase) = 0;
    // The random start delay or the automatic next turn ran out.
    virtual void StartNow() {}
    // NEUES SPIEL, a chart, the generator or quitting: its sound stops, and
    // nothing it has pending goes on. The record is the host's to close.
    virtual void BreakOff() {}

  protected:
    TurnHost& Host() const { return *host_; }

  private:
    TurnHost* host_ = nullptr;
};
