#pragma once
// The per-band and per-game counters: a wrong attempt, a find, the turn clock
// and the results part of a game reset. Thread: GUI only.

#include "model/GameState.h"

#include <functional>

class MillisecondClock;
class ResultsFile;

class ResultsCounters {
  public:
    // setSaveAsEnabled switches the "Speichern unter" menu item; may be empty.
    ResultsCounters(GameState& state, const MillisecondClock& clock, ResultsFile& resultsFile,
                    std::function<void(bool)> setSaveAsEnabled = {});

    // At the start of a turn, after the tone output has started.
    void StartTurnClock();
    // A wrong in-play band fader: one more attempt, and it counts no more this turn.
    void CountWrongAttempt(int fader);
    // The find of RingingBand; takes the find time from the clock, so call it
    // after the tone has been stopped.
    void RecordFind();
    // NEUES SPIEL or the generator switched off: the current game goes.
    void ClearCurrentResults();

  private:
    GameState& state_;
    const MillisecondClock& clock_;
    ResultsFile& resultsFile_;
    std::function<void(bool)> setSaveAsEnabled_;
};
