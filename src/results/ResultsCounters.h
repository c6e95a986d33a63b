#pragma once
// The per-band and per-game counters: a wrong attempt, a find, the turn clock
// and the results part of a game reset. The one writer of the CounterSlice and
// of the counters inside BandTable. Thread: GUI only.

#include "model/GameState.h"

#include <functional>

class MillisecondClock;
class ResultsFile;

class ResultsCounters {
  public:
    // Writes only the CounterSlice of `state` and its band counters.
    // setSaveAsEnabled switches the "Speichern unter" menu item; may be empty.
    ResultsCounters(GameState& state, const MillisecondClock& clock, ResultsFile& resultsFile,
                    std::function<void(bool)> setSaveAsEnabled = {});

    // At the start of a turn, after the tone output has started.
    void StartTurnClock();
    // START with a random delay: no turn time runs until its tone starts.
    void StopTurnClock() { counters_.TurnClockRunning = 0; }
    // A wrong in-play band fader: one more attempt (the game locks it).
    void CountWrongAttempt(int fader);
    // The find of RingingBand; takes the find time from the clock, so call it
    // after the tone has been stopped, or `foundMsAgo` ms after the find.
    void RecordFind(std::uint32_t foundMsAgo = 0);
    // NEUES SPIEL or the generator switched off: the current game's counters go.
    void ClearCurrentResults();

  private:
    CounterSlice& counters_;
    BandArray& bandTable_; // only Finds, Attempts and FindTime are ours
    const GameState& state_;
    const MillisecondClock& clock_;
    ResultsFile& resultsFile_;
    std::function<void(bool)> setSaveAsEnabled_;
};
