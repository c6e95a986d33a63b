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

void TurnRecorder::StageHowlMissed(const QList<int>& tried)
{
    if (!turn_)
        return;
    turn_->tried = tried;
    Finish(TurnOutcome::Missed);
}

void TurnRecorder::WrongAttemptCounted(int band)
{
    if (turn_)
        turn_->tried << band;
}

void TurnRecorder::TurnFound()
{
    if (!turn_)
        return;
    turn_->findMs = state_.LastFindTime;
    Finish(TurnOutcome::Found);
}

void TurnRecorder::TurnAbandoned()
{
    Finish(TurnOutcome::Abandoned);
}

void TurnRecorder::Finish(TurnOutcome outcome)
{
    if (!turn_)
        return;
    JournalTurn turn = std::move(*turn_);
    turn_.reset();
    turn.outcome = outcome;
    turn.attempts = state_.TurnAttempts;
    journal_.Record(turn);
}
