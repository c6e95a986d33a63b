#include "results/ResultsCounters.h"

#include "platform/Clock.h"
#include "results/BandCounters.h"
#include "results/ResultsFile.h"

ResultsCounters::ResultsCounters(GameState& state, const MillisecondClock& clock,
                                 ResultsFile& resultsFile,
                                 std::function<void(bool)> setSaveAsEnabled)
    : state_(state), clock_(clock), resultsFile_(resultsFile),
      setSaveAsEnabled_(std::move(setSaveAsEnabled))
{
}

void ResultsCounters::StartTurnClock()
{
    state_.TurnAttempts = 0;
    state_.TurnStartTime = clock_.timeGetTime();
    state_.TurnClockRunning = 1;
}

void ResultsCounters::CountWrongAttempt(int fader)
{
    if (fader < 0 || fader >= BandCount)
        return;
    state_.TurnAttempts = WrappingAdd(state_.TurnAttempts, 1);
    state_.BandTable[fader].Locked = 1;
}

void ResultsCounters::RecordFind()
{
    const int band = state_.RingingBand;
    if (band < 0 || band >= BandCount)
        return;
    BandSlot& slot = state_.BandTable[band];
    state_.TurnAttempts = WrappingAdd(state_.TurnAttempts, 1);
    slot.Finds = WrappingAdd(slot.Finds, 1);
    slot.Attempts = WrappingAdd(slot.Attempts, state_.TurnAttempts);
    // Unsigned difference: a clock wrap during the turn still gives the right time.
    state_.LastFindTime = clock_.timeGetTime() - state_.TurnStartTime;
    slot.FindTime = WrappingAdd(slot.FindTime, static_cast<std::int32_t>(state_.LastFindTime));
    state_.GameTime += state_.LastFindTime;
    state_.GameAttempts = WrappingAdd(state_.GameAttempts, state_.TurnAttempts);
    if (setSaveAsEnabled_)
        setSaveAsEnabled_(true);
    state_.GameFinds = WrappingAdd(state_.GameFinds, 1);
}

void ResultsCounters::ClearCurrentResults()
{
    // The part of this game that is already in a file must survive the reset.
    resultsFile_.KeepSavedGame();
    for (BandSlot& slot : state_.BandTable) {
        slot.Level = 0;
        slot.Finds = 0;
        slot.Attempts = 0;
        slot.FindTime = 0;
    }
    if (setSaveAsEnabled_)
        setSaveAsEnabled_(false);
    state_.TurnAttempts = 0;
    state_.GameAttempts = 0;
    state_.LastFindTime = 0;
    state_.GameTime = 0;
    state_.GameFinds = 0;
}
