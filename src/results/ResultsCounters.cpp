#include "results/ResultsCounters.h"

#include "platform/Clock.h"
#include "results/BandCounters.h"
#include "results/ResultsFile.h"

#include <algorithm>

ResultsCounters::ResultsCounters(GameState& state, const MillisecondClock& clock,
                                 ResultsFile& resultsFile,
                                 std::function<void(bool)> setSaveAsEnabled)
    : counters_(state), bandTable_(state.BandTable), state_(state), clock_(clock),
      resultsFile_(resultsFile), setSaveAsEnabled_(std::move(setSaveAsEnabled))
{
}

void ResultsCounters::StartTurnClock()
{
    counters_.TurnAttempts = 0;
    counters_.TurnStartTime = clock_.timeGetTime();
    counters_.TurnClockRunning = 1;
}

void ResultsCounters::CountWrongAttempt(int fader)
{
    if (fader < 0 || fader >= BandCount)
        return;
    counters_.TurnAttempts = SaturatingAdd(counters_.TurnAttempts, 1);
}

void ResultsCounters::RecordFind(std::uint32_t foundMsAgo)
{
    const int band = state_.RingingBand;
    if (band < 0 || band >= BandCount)
        return;
    BandSlot& slot = bandTable_[band];
    counters_.TurnAttempts = SaturatingAdd(counters_.TurnAttempts, 1);
    slot.Finds = SaturatingAdd(slot.Finds, 1);
    slot.Attempts = SaturatingAdd(slot.Attempts, counters_.TurnAttempts);
    // Unsigned difference: a clock wrap during the turn still gives the right time.
    const std::uint32_t sinceStartMs = clock_.timeGetTime() - counters_.TurnStartTime;
    counters_.LastFindTime = sinceStartMs - std::min(foundMsAgo, sinceStartMs);
    slot.FindTime = SaturatingAdd(slot.FindTime, StorableTime(counters_.LastFindTime));
    counters_.GameTime = static_cast<std::uint32_t>(
        SaturatingAdd(StorableTime(counters_.GameTime), StorableTime(counters_.LastFindTime)));
    counters_.GameAttempts = SaturatingAdd(counters_.GameAttempts, counters_.TurnAttempts);
    if (setSaveAsEnabled_)
        setSaveAsEnabled_(true);
    counters_.GameFinds = SaturatingAdd(counters_.GameFinds, 1);
}

void ResultsCounters::ClearCurrentResults()
{
    // The part of this game that is already in a file must survive the reset.
    resultsFile_.KeepSavedGame();
    for (BandSlot& slot : bandTable_) {
        slot.Finds = 0;
        slot.Attempts = 0;
        slot.FindTime = 0;
    }
    if (setSaveAsEnabled_)
        setSaveAsEnabled_(false);
    counters_.TurnAttempts = 0;
    counters_.GameAttempts = 0;
    counters_.LastFindTime = 0;
    counters_.GameTime = 0;
    counters_.GameFinds = 0;
}
