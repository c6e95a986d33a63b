#include "journal/TurnRecorder.h"

#include "journal/JournalService.h"
#include "model/GameState.h"

TurnRecorder::TurnRecorder(const GameState& state, JournalService& journal, QObject* parent)
    : QObject(parent), state_(state), journal_(journal)
{
}

void TurnRecorder::TurnStarted()
{
    JournalTurn turn;
    turn.startedAt = journal_.NowUtc();
    turn.ringingBand = state_.RingingBand;
    turn.frequencyHz = state_.ToneFrequency;
    turn.scoringMode = state_.ScoringMode;
    turn.lowCut = state_.LowCutBand;
    turn.highCut = state_.HighCutBand;
    turn.feedbackTime = state_.FeedbackTimeSetting;
    turn.randomStart = state_.RandomStartSeconds;
    turn.swell = state_.Training.Anschwellen;
    turn.bed = state_.Training.Hintergrund;
    turn.setId = setId_;
    turn_ = turn;
}

void TurnRecorder::StageHowlStarted(double howlHz, double gainWonDb, double autoGainWonDb)
{
    if (!turn_)
        return;
    turn_->stage = true;
    turn_->howlHz = howlHz;
    turn_->gainWonDb = gainWonDb;
    turn_->autoGainDb = autoGainWonDb;
}

void TurnRecorder::StageHowlMissed(const QList<int>& tried, int attempts)
{
    if (!turn_)
        return;
    turn_->tried = tried;
    Finish(TurnOutcome::Missed, attempts);
}

void TurnRecorder::WrongAttemptCounted(int band)
{
    if (turn_)
        turn_->tried << band;
}

void TurnRecorder::TurnFound(int band, std::uint32_t findMs, int attempts)
{
    if (!turn_)
        return;
    turn_->ringingBand = band;
    turn_->findMs = findMs;
    Finish(TurnOutcome::Found, attempts);
}

void TurnRecorder::TurnAbandoned(int attempts)
{
    Finish(TurnOutcome::Abandoned, attempts);
}

void TurnRecorder::Finish(TurnOutcome outcome, int attempts)
{
    if (!turn_)
        return;
    JournalTurn turn = std::move(*turn_);
    turn_.reset();
    turn.outcome = outcome;
    turn.attempts = attempts;
    journal_.Record(turn);
}
