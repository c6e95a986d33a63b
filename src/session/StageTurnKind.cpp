#include "session/StageTurnKind.h"

#include "model/FaderModel.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "results/ResultsCounters.h"
#include "session/StageTurn.h"

StageTurnKind::StageTurnKind(const GameState& state, FaderModel& faders, ResultsCounters& counters,
                             Dialogs& dialogs, RandomGenerator& random, MillisecondClock& clock,
                             StagePlayer& player)
    : faders_(faders), counters_(counters), dialogs_(dialogs), random_(random), clock_(clock),
      stage_(state, player)
{
    connect(&stage_, &StageFlow::built, this, &StageTurnKind::Built);
    connect(&stage_, &StageFlow::howlStopped, this, &StageTurnKind::HowlStopped);
    connect(&stage_, &StageFlow::nextHowl, this, &StageTurnKind::FollowNextHowl);
    gainTimer.setInterval(StageTurn::GainRiseIntervalMs);
    connect(&gainTimer, &QTimer::timeout, this, &StageTurnKind::gainTimerTimer);
}

StageTurnKind::~StageTurnKind()
{
    BreakOff();
}

bool StageTurnKind::Sounding() const
{
    const TurnPhase phase = Host().Phase();
    return phase == TurnPhase::StageRunning || phase == TurnPhase::StageRingingOut;
}

void StageTurnKind::Begin()
{
    BreakOff();
    Host().StopPendingStarts();
    Host().CloseSearchAbandoned();
    Host().Fire(TurnEvent::StageRequested);
    stage_.Build(StageTurn::DrawSeed(random_));
    Host().ShowLinesNow(); // says at once that the stage is being built
}

void StageTurnKind::End()
{
    if (CancelBuild())
        return;
    BreakOff();
    Host().Fire(TurnEvent::StageEnded);
}

void StageTurnKind::Built(const QString& errorText)
{
    if (!errorText.isEmpty()) {
        Host().Fire(TurnEvent::StageCancelled);
        MessageBoxRequest box;
        box.caption = tr("Bühne");
        box.text = errorText;
        box.icon = DialogIcon::Error;
        dialogs_.MessageBox(box);
        return;
    }
    Host().ShowNewGameButton();
    faders_.ResetLevels();
    faders_.OpenCutRange();
    stage_.Begin();
    BeginHowl();
    Host().Fire(TurnEvent::StageStarted);
}

bool StageTurnKind::CancelBuild()
{
    if (Host().Phase() != TurnPhase::StageBuilding)
        return false;
    stage_.CancelBuild();
    Host().Fire(TurnEvent::StageCancelled);
    return true;
}

void StageTurnKind::SwitchedOff()
{
    CancelBuild();
}

void StageTurnKind::BeginHowl()
{
    const StageTurn& stage = *stage_.Turn();
    Host().SetRinging(stage.HowlBand(), stage.HowlHz());
    Host().BeginSearch();
    emit stageHowlStarted(stage.HowlHz(), stage.GainWonDb(), stage.AutoGainWonDb());
}

void StageTurnKind::Judge(int band)
{
    if (stage_.HowlReachedFindLevel())
        counters_.StartTurnClock();
    stage_.MoveFader(band, clock_.timeGetTime());
}

StatusLines StageTurnKind::Tick(TurnPhase phase)
{
    if (Sounding()) {
        // The find time of a howl starts when the player can hear it well.
        if (stage_.HowlReachedFindLevel())
            counters_.StartTurnClock();
        stage_.ListenForStop();
    }
    return stage_.Lines(phase);
}

void StageTurnKind::HowlStopped(const StageFlow::Verdict& verdict)
{
    if (!Sounding())
        return;
    // Stopped before it could be heard well: found at once.
    if (verdict.beforeFindLevel)
        counters_.StartTurnClock();
    if (verdict.found) {
        for (int tried : verdict.triedBands)
            Host().CountWrongTry(tried, false);
        // Found when the fader moved, not when the analysis said so.
        Host().RecordFind(verdict.beforeFindLevel ? 0 : clock_.timeGetTime() - verdict.movedAtMs);
        Host().CloseSearchFound();
    } else {
        // Another band's cut stopped it: no find, and no counter moves, as
        // for a turn given up; the journal keeps which faders did it.
        QList<int> tried(verdict.triedBands.begin(), verdict.triedBands.end());
        tried << verdict.stopper;
        Host().CloseSearchMissed(tried);
    }
    if (stage_.Turn()->HowlCount() >= StageTurn::MostHowls) {
        BreakOff();
        Host().Fire(TurnEvent::StageEnded);
        return;
    }
    Host().Fire(TurnEvent::HowlStopped);
    // Another pole may already grow without any more gain.
    stage_.LookForHowl();
}

void StageTurnKind::FollowNextHowl(int nextHowl)
{
    using Next = StageTurn::NextHowl;
    if (Next(nextHowl) == Next::InPlay) {
        gainTimer.stop();
        BeginHowl();
        Host().Fire(TurnEvent::HowlGrew);
    } else if (Next(nextHowl) == Next::OutOfPlay) {
        gainTimer.stop();
        stage_.StopOutOfPlay();
        Host().Fire(TurnEvent::StageEnded);
    } else if (Host().Phase() == TurnPhase::StageRingingOut && !gainTimer.isActive()) {
        gainTimer.start();
    }
}

void StageTurnKind::gainTimerTimer()
{
    if (Host().Phase() != TurnPhase::StageRingingOut) {
        gainTimer.stop();
        return;
    }
    stage_.RiseGain();
}

void StageTurnKind::BreakOff()
{
    gainTimer.stop();
    stage_.Stop();
}
