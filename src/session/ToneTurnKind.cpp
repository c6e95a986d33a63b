#include "session/ToneTurnKind.h"

#include "audio/ToneOutput.h"
#include "model/FaderModel.h"
#include "model/TurnDraw.h"
#include "platform/Random.h"
#include "results/ResultsCounters.h"

ToneTurnKind::ToneTurnKind(const GameState& state, FaderModel& faders, ToneOutput& tone,
                           ResultsCounters& counters, RandomGenerator& random)
    : state_(state), faders_(faders), tone_(tone), counters_(counters), random_(random)
{
}

void ToneTurnKind::Begin()
{
    if (state_.RandomStartSeconds <= 0) {
        StartNow();
        return;
    }
    counters_.StopTurnClock();
    Host().PrepareTurn();
    const int delayMs = random_.Below(TimerIntervalMs(state_.RandomStartSeconds));
    // A drawn delay of 0 ms starts at once; a zero-interval one-shot timer
    // would otherwise leave the turn prepared and silent.
    if (delayMs == 0) {
        StartNow();
        return;
    }
    Host().ArmStartDelay(delayMs);
}

void ToneTurnKind::StartNow()
{
    if (Host().Phase() == TurnPhase::GeneratorPlaying)
        tone_.StopTone();
    Host().CloseSearchAbandoned(); // only a silent output can leave one behind here
    if (!tone_.SoundIdle()) {
        // A replay still rings when the automatic next turn fires.
        tone_.StopTone();
        Host().Fire(TurnEvent::NextTurnOverTone);
        Host().StopPendingStarts();
        return;
    }
    Host().PrepareTurn();
    const std::optional<BandWeights> weights =
        bandWeights_ ? bandWeights_() : std::optional<BandWeights>();
    const std::optional<BandMask> only = drawBands_ ? drawBands_() : std::optional<BandMask>();
    const TurnFrequency drawn =
        PickTurnFrequency(state_, random_, weights ? &*weights : nullptr, only ? &*only : nullptr);
    Host().SetRinging(drawn.band, drawn.frequencyHz);
    Host().Fire(TurnEvent::TurnToneStarted);
    tone_.PrepareTone(state_.ToneFrequency, ToneKind::Turn);
    tone_.StartToneOutput();
    faders_.OpenCutRange();
    Host().BeginSearch();
}

void ToneTurnKind::End()
{
    tone_.StopTone();
    Host().ShowAnswerHint();
    Host().Fire(TurnEvent::GivenUp);
    if (Host().SearchOpen())
        emit toneTurnEnded(false);
    Host().StopPendingStarts();
    Host().CloseSearchAbandoned(); // recorded once the tone is quiet
}

void ToneTurnKind::Judge(int band)
{
    const BandSlot& slot = state_.BandTable[band];
    // Scoring modes other than 0 only come from an edited settings file; they
    // are read as "Anwahl und Absenkung", so a turn can always be won.
    const bool counts = state_.ScoringMode == 0 || slot.Level <= PulledDownLevel;
    if (slot.Locked != 0 || !counts)
        return;
    if (band == state_.RingingBand)
        RunFindSequence();
    else
        Host().CountWrongTry(band, true); // a wrong band counts once per turn
}

void ToneTurnKind::RunFindSequence()
{
    Host().ShowAnswerHint();
    Host().Fire(TurnEvent::Found);
    faders_.LockAllFaders();
    tone_.StopTone();
    Host().RecordFind();
    // Before the signals: an "Übungssatz" listening to them sets its own pace.
    if (state_.AutoRestartSeconds > 0)
        Host().ArmNextTurn();
    if (Host().SearchOpen())
        emit toneTurnEnded(state_.TurnAttempts == 1);
    Host().CloseSearchFound();
    Host().ShowLinesNow(); // the find's figures at once, not 70 ms later
}

StatusLines ToneTurnKind::Tick(TurnPhase)
{
    return Host().BankLines();
}
