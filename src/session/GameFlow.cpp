#include "session/GameFlow.h"

#include "audio/ToneOutput.h"
#include "model/FaderModel.h"
#include "model/TurnDraw.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "results/ResultsCounters.h"
#include "session/StagePlayer.h"
#include "session/StageTurn.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace {

// A fader counts as pulled down at -6 or lower and as raised at +6 or higher.
constexpr int PulledDownLevel = -6;
constexpr int RaisedLevel = 6;

// Seconds from the settings as a timer interval: computed in 64 bits, so an
// edited value keeps its meaning up to the longest interval a timer holds.
int TimerIntervalMs(std::int32_t seconds)
{
    return static_cast<int>(
        std::min<std::int64_t>(std::int64_t(seconds) * 1000, std::numeric_limits<int>::max()));
}

} // namespace

GameFlow::GameFlow(GameState& state, FaderModel& faders, ToneOutput& tone,
                   ResultsCounters& counters, Dialogs& dialogs, RandomGenerator& random,
                   MillisecondClock& clock, StagePlayer& stagePlayer, QObject* parent)
    : QObject(parent), turn_(state), state_(state), faders_(faders), tone_(tone),
      counters_(counters), dialogs_(dialogs), random_(random), clock_(clock),
      stage_(state, stagePlayer)
{
    connect(&stage_, &StageFlow::built, this, &GameFlow::StageBuilt);
    connect(&stage_, &StageFlow::howlStopped, this, &GameFlow::StageHowlStopped);
    connect(&stage_, &StageFlow::nextHowl, this, &GameFlow::FollowNextHowl);
    // A generator tone that stops, for whatever reason, leaves the generator silent.
    connect(&tone_, &ToneOutput::toneStopped, this, [this] { Fire(TurnEvent::ToneEnded); });
    Timer1.setInterval(70);
    startTimer.setSingleShot(true);
    reStart.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &GameFlow::Timer1Timer);
    connect(&startTimer, &QTimer::timeout, this, &GameFlow::startTimerTimer);
    connect(&reStart, &QTimer::timeout, this, &GameFlow::reStartTimer);
    gainTimer.setInterval(StageTurn::GainRiseIntervalMs);
    connect(&gainTimer, &QTimer::timeout, this, &GameFlow::gainTimerTimer);
    Timer1.start();
}

GameFlow::~GameFlow()
{
    StopStage();
}

void GameFlow::pNeuClick()
{
    if (CancelStageBuild())
        return;
    if (machine_.StageSounding()) {
        StopStage();
        Fire(TurnEvent::StageEnded);
        return;
    }
    if (!tone_.SoundIdle()) {
        // Giving up the turn; also ends a generator tone or a replay.
        const bool givingUpSearch = machine_.Phase() == TurnPhase::Searching;
        tone_.StopTone();
        if (givingUpSearch)
            ShowAnswerHint();
        Fire(TurnEvent::GivenUp);
        if (givingUpSearch && turnInSearch_)
            emit toneTurnEnded(false);
        reStart.stop();
        startTimer.stop();
        EndTurnInSearch(); // recorded once the tone is quiet
        return;
    }
    // Without a device a turn would only bring one failure box per device
    // call and a search for a tone nobody hears.
    if (ReportMissingSoundDevice())
        return;
    if (state_.Training.Buehne != 0) {
        StartStage();
        return;
    }
    if (state_.RandomStartSeconds <= 0) {
        aStartItExecute();
        return;
    }
    counters_.StopTurnClock();
    PrepareTurn();
    const int delayMs = random_.Below(TimerIntervalMs(state_.RandomStartSeconds));
    // A drawn delay of 0 ms starts at once; a zero-interval one-shot timer
    // would otherwise leave the turn prepared and silent.
    if (delayMs == 0) {
        aStartItExecute();
        return;
    }
    startTimer.setInterval(delayMs);
    startTimer.start();
}

void GameFlow::startTimerTimer()
{
    startTimer.stop();
    aStartItExecute();
}

void GameFlow::reStartTimer()
{
    reStart.stop();
    aStartItExecute();
}

void GameFlow::PrepareTurn()
{
    emit newGameButtonShown();
    Fire(TurnEvent::TurnPrepared);
    faders_.ResetLevels();
    faders_.SelectFader(NoFader);
}

void GameFlow::aStartItExecute()
{
    if (machine_.Phase() == TurnPhase::GeneratorPlaying)
        tone_.StopTone();
    EndTurnInSearch(); // only a silent output can leave one behind here
    if (tone_.SoundIdle()) {
        PrepareTurn();
        const std::optional<BandWeights> weights =
            bandWeights_ ? bandWeights_() : std::optional<BandWeights>();
        const std::optional<BandMask> only = drawBands_ ? drawBands_() : std::optional<BandMask>();
        const TurnFrequency drawn = PickTurnFrequency(
            state_, random_, weights ? &*weights : nullptr, only ? &*only : nullptr);
        turn_.RingingBand = drawn.band;
        turn_.ToneFrequency = drawn.frequencyHz;
        Fire(TurnEvent::TurnToneStarted);
        tone_.PrepareTone(state_.ToneFrequency, ToneKind::Turn);
        tone_.StartToneOutput();
        faders_.OpenCutRange();
        counters_.StartTurnClock();
        turnInSearch_ = true;
        emit turnStarted();
        return;
    }
    // A replay still rings when the automatic next turn fires.
    tone_.StopTone();
    Fire(TurnEvent::NextTurnOverTone);
    reStart.stop();
    startTimer.stop();
}

void GameFlow::EvaluateFader()
{
    const int s = state_.SelectedFader;
    if (FaderKind(state_, s) != FaderInPlay)
        return;
    if (machine_.StagePhase()) {
        // On stage a fader is an EQ band, not an answer.
        if (machine_.StageSounding())
            JudgeStageMove(s);
        return;
    }
    const BandSlot& slot = state_.BandTable[s];
    const bool pulledDown = slot.Level <= PulledDownLevel;
    // Scoring modes other than 0 only come from an edited settings file; they
    // are read as "Anwahl und Absenkung", so a turn can always be won.
    const bool counts = state_.ScoringMode == 0 || pulledDown;

    if (machine_.JudgesTries() && slot.Locked == 0) {
        if (!counts)
            return;
        if (s == state_.RingingBand) {
            RunFindSequence();
        } else {
            counters_.CountWrongAttempt(s);
            turn_.WrongTry[s] = 1;
            if (state_.Training.Hinweise != 0)
                turn_.WrongTryHint[s] = 1; // shown with the lock below
            faders_.SetLocked(s, true);    // a wrong band counts once per turn
            emit wrongAttemptCounted(s);
        }
        return;
    }

    const bool replay = machine_.AfterTurn() && s == state_.RingingBand;
    if (!machine_.GeneratorPhase() && !replay)
        return;
    if (slot.Level >= RaisedLevel && slot.Locked == 0) {
        faders_.SetLocked(s, true);
        StartGeneratorTone();
    }
    if (pulledDown && slot.Locked == 1) {
        faders_.SetLocked(s, false);
        tone_.StopTone();
    }
}

void GameFlow::PressFader(int fader)
{
    if (fader == state_.SelectedFader)
        return;
    const int previous = state_.SelectedFader;
    if (machine_.AfterTurn() && FaderKind(state_, fader) == FaderInPlay &&
        FaderKind(state_, previous) == FaderInPlay) {
        // Leaving a replayed band ends its tone.
        faders_.SetLevel(previous, 0);
        tone_.StopTone();
        faders_.SetLocked(previous, false);
    }
    faders_.SelectFader(fader);
    EvaluateFader();
}

void GameFlow::DragSelectedTo(int level)
{
    const int s = state_.SelectedFader;
    const FaderKindValue kind = FaderKind(state_, s);
    if (kind == FaderInPlay && machine_.BandFaderMovable(s == state_.RingingBand) &&
        level != state_.BandTable[s].Level) {
        faders_.SetLevel(s, level);
        EvaluateFader();
    }
    if (kind == FaderVolume && level != state_.MasterVolume)
        ChangeVolume(level);
}

void GameFlow::SecondButton()
{
    if (machine_.AfterTurn())
        pNeuClick();
}

void GameFlow::ChangeVolume(int newVolume)
{
    faders_.SetMasterVolume(newVolume);
    tone_.ApplyVolume();
    stage_.ApplyVolume();
}

void GameFlow::ResetGeneratorFaderBeforeLeaving()
{
    const int s = state_.SelectedFader;
    if (machine_.Phase() != TurnPhase::GeneratorPlaying || FaderKind(state_, s) != FaderInPlay)
        return;
    faders_.SetLevel(s, 0);
    faders_.SetLocked(s, false);
    tone_.StopTone();
}

void GameFlow::StepSelection(int direction)
{
    ResetGeneratorFaderBeforeLeaving();
    const int next = state_.SelectedFader + direction;
    // Past either end of the cut range the selection wraps, through the
    // volume fader when going right.
    switch (FaderKind(state_, next)) {
    case FaderBelowCut:
        faders_.SelectFader(state_.HighCutBand);
        break;
    case FaderAboveCut:
        faders_.SelectFader(direction > 0 ? VolumeFader : state_.LowCutBand);
        break;
    case FaderVolume:
        faders_.SelectFader(direction > 0 ? state_.LowCutBand : next);
        break;
    case FaderInPlay:
        faders_.SelectFader(next);
        break;
    }
}

void GameFlow::SelectVolumeFader()
{
    faders_.SelectFader(VolumeFader);
}

void GameFlow::PressLevelKey(LevelKey key)
{
    // The keys move a band fader in play in every phase; what a level means
    // is left to the evaluation, as for a drag.
    const int s = state_.SelectedFader;
    const FaderKindValue kind = FaderKind(state_, s);
    // On stage Space does nothing, and the keys move what a drag moves.
    const bool band = kind == FaderInPlay && (!machine_.StagePhase() ||
                                              (machine_.StageSounding() && key != LevelKey::Zero));
    const int level = band ? state_.BandTable[s].Level : 0;
    switch (key) {
    case LevelKey::Up:
        if (band && level < MaxLevel)
            faders_.SetLevel(s, level + 1);
        else if (kind == FaderVolume && state_.MasterVolume < MaxLevel)
            ChangeVolume(state_.MasterVolume + 1);
        // Evaluated even at the top: under "Anwahl" this is how a key finds.
        EvaluateFader();
        break;
    case LevelKey::Down:
        if (band && level > MinLevel) {
            faders_.SetLevel(s, level - 1);
            EvaluateFader();
        } else if (kind == FaderVolume && state_.MasterVolume > MinLevel) {
            ChangeVolume(state_.MasterVolume - 1);
        }
        break;
    case LevelKey::Zero:
        if (band && level != 0)
            faders_.SetLevel(s, 0);
        break;
    case LevelKey::Top:
    case LevelKey::Bottom: {
        const int target = key == LevelKey::Top ? MaxLevel : MinLevel;
        if (band && level != target) {
            faders_.SetLevel(s, target);
            EvaluateFader();
        }
        break;
    }
    }
}

void GameFlow::ConfirmKey()
{
    if (machine_.StagePhase())
        return;
    faders_.ResetLevels();
    if (machine_.AfterTurn())
        pNeuClick();
}

void GameFlow::RunFindSequence()
{
    Timer1.stop();
    ShowAnswerHint();
    Fire(TurnEvent::Found);
    faders_.LockAllFaders();
    tone_.StopTone();
    counters_.RecordFind();
    // Before the signal: an "Übungssatz" listening to it sets its own pace.
    if (state_.AutoRestartSeconds > 0) {
        reStart.setInterval(TimerIntervalMs(state_.AutoRestartSeconds));
        reStart.start();
    }
    if (turnInSearch_) {
        turnInSearch_ = false;
        emit toneTurnEnded(state_.TurnAttempts == 1);
        emit turnFound(state_.RingingBand, state_.LastFindTime, state_.TurnAttempts);
    }
    // Nested loop, kept: the found frequency reaches the screen, and input
    // that waited behind the find runs, before the status lines go on.
    QCoreApplication::processEvents();
    Timer1.start();
    Timer1Timer(); // the find's figures at once, not 70 ms later
}

void GameFlow::EndTurnInSearch()
{
    if (!turnInSearch_)
        return;
    turnInSearch_ = false;
    emit turnAbandoned(state_.TurnAttempts);
}

void GameFlow::StartGeneratorTone()
{
    if (ReportMissingSoundDevice())
        return;
    tone_.StopTone();
    turn_.RingingBand = state_.SelectedFader;
    // The generator plays the raised band; a replay keeps the turn's tone.
    if (machine_.Phase() == TurnPhase::GeneratorSilent)
        turn_.ToneFrequency = state_.BandTable[state_.RingingBand].Frequency;
    Fire(TurnEvent::PlainToneStarted);
    tone_.PrepareTone(state_.ToneFrequency, ToneKind::Plain);
    tone_.StartToneOutput();
}

bool GameFlow::ReportMissingSoundDevice()
{
    if (tone_.Device().DeviceCount() > 0)
        return false;
    MessageBoxRequest noDevice;
    noDevice.caption = QStringLiteral("Keine Soundkarte gefunden");
    noDevice.text = QStringLiteral("Dieses Programm benötigt eine Soundkarte.");
    noDevice.icon = DialogIcon::Error;
    dialogs_.MessageBox(noDevice);
    return true;
}

void GameFlow::Neustart()
{
    MessageBoxRequest question;
    question.caption = QStringLiteral("Neues Spiel starten?");
    question.text =
        QStringLiteral("Alle Ergebnisse gehen verloren. Trotzdem neues Spiel beginnen?");
    question.icon = DialogIcon::Question;
    question.buttons = DialogButtons::YesNo;
    // A stray Enter must not throw the game's results away.
    question.defaultButton = DialogResult::No;
    if (dialogs_.MessageBox(question) == DialogResult::Yes)
        ResetGame();
}

void GameFlow::ResetGame()
{
    StopStage();
    EndTurnInSearch();
    Fire(TurnEvent::NewGame);
    counters_.ClearCurrentResults();
    emit turnChanged(); // a chart shows the cleared results
    faders_.ResetLevels();
    faders_.SelectFader(NoFader);
    tone_.SoundStop().stop();
}

void GameFlow::aFeedbackGeneratorExecute()
{
    if (machine_.GeneratorSwitchedOn()) {
        if (machine_.Phase() == TurnPhase::GeneratorPlaying)
            tone_.StopTone();
        Fire(TurnEvent::GeneratorSwitchedOff);
        emit feedbackGeneratorChecked(false);
        emit panelsEnabled();
        ResetGame();
    } else {
        emit feedbackGeneratorChecked(true);
        StopStage();
        if (!tone_.SoundIdle())
            tone_.StopTone();
        EndTurnInSearch();
        Fire(TurnEvent::GeneratorSwitchedOn);
        emit panelsEnabled();
    }
    faders_.ResetLevels();
    faders_.OpenCutRange();
}

void GameFlow::ShowChart(GameModeValue chartMode)
{
    StopStage();
    EndTurnInSearch(); // a turn stops counting under a chart
    Fire(TurnEvent::ChartChosen, chartMode);
}

void GameFlow::Fire(TurnEvent event, GameModeValue chart)
{
    if (!machine_.Fire(event, chart))
        return;
    turn_.GameMode = machine_.Mode();
    // The hints belong to one turn: the wrong tries to its search, the answer
    // to the time after it.
    if (event == TurnEvent::TurnToneStarted || !machine_.JudgesTries()) {
        turn_.WrongTryHint.fill(0);
        turn_.WrongTry.fill(0);
    }
    if (!machine_.AfterTurn())
        turn_.AnswerHintBand = NoFader;
    emit turnChanged();
}

void GameFlow::ShowAnswerHint()
{
    if (state_.Training.Hinweise != 0)
        turn_.AnswerHintBand = state_.RingingBand;
}

void GameFlow::ClearHints()
{
    turn_.WrongTryHint.fill(0);
    turn_.AnswerHintBand = NoFader;
    emit turnChanged();
}

void GameFlow::Timer1Timer()
{
    if (machine_.StagePhase()) {
        // The find time of a howl starts when the player can hear it well.
        if (machine_.StageSounding() && stage_.HowlReachedFindLevel())
            counters_.StartTurnClock();
        if (machine_.StageSounding())
            stage_.ListenForStop();
        emit statusLinesChanged(stage_.Lines(machine_.Phase()));
        return;
    }
    emit statusLinesChanged(ComposeStatusLines(state_, clock_.timeGetTime(), locale_));
}

void GameFlow::StartStage()
{
    StopStage();
    startTimer.stop();
    reStart.stop();
    EndTurnInSearch();
    Fire(TurnEvent::StageRequested);
    stage_.Build(StageTurn::DrawSeed(random_));
    Timer1Timer(); // says at once that the stage is being built
}

void GameFlow::StageBuilt(const QString& errorText)
{
    if (!errorText.isEmpty()) {
        Fire(TurnEvent::StageCancelled);
        MessageBoxRequest box;
        box.caption = QStringLiteral("Bühne");
        box.text = errorText;
        box.icon = DialogIcon::Error;
        dialogs_.MessageBox(box);
        return;
    }
    emit newGameButtonShown();
    faders_.ResetLevels();
    faders_.OpenCutRange();
    stage_.Begin();
    BeginHowl();
    Fire(TurnEvent::StageStarted);
}

bool GameFlow::CancelStageBuild()
{
    if (machine_.Phase() != TurnPhase::StageBuilding)
        return false;
    stage_.CancelBuild();
    Fire(TurnEvent::StageCancelled);
    return true;
}

void GameFlow::StageSwitchedOff()
{
    CancelStageBuild();
}

void GameFlow::BeginHowl()
{
    const StageTurn& stage = *stage_.Turn();
    turn_.RingingBand = stage.HowlBand();
    turn_.ToneFrequency = stage.HowlHz();
    counters_.StartTurnClock();
    turnInSearch_ = true;
    emit turnStarted();
    emit stageHowlStarted(stage.HowlHz(), stage.GainWonDb(), stage.AutoGainWonDb());
}

void GameFlow::JudgeStageMove(int band)
{
    if (stage_.HowlReachedFindLevel())
        counters_.StartTurnClock();
    stage_.MoveFader(band, clock_.timeGetTime());
}

void GameFlow::StageHowlStopped(const StageFlow::Verdict& verdict)
{
    if (!machine_.StageSounding())
        return;
    // Stopped before it could be heard well: found at once.
    if (verdict.beforeFindLevel)
        counters_.StartTurnClock();
    if (verdict.found) {
        for (int tried : verdict.triedBands) {
            counters_.CountWrongAttempt(tried);
            emit wrongAttemptCounted(tried);
        }
        // Found when the fader moved, not when the analysis said so.
        counters_.RecordFind(verdict.beforeFindLevel ? 0
                                                     : clock_.timeGetTime() - verdict.movedAtMs);
        if (turnInSearch_) {
            turnInSearch_ = false;
            emit turnFound(state_.RingingBand, state_.LastFindTime, state_.TurnAttempts);
        }
    } else if (turnInSearch_) {
        // Another band's cut stopped it: no find, and no counter moves, as
        // for a turn given up; the journal keeps which faders did it.
        turnInSearch_ = false;
        QList<int> tried(verdict.triedBands.begin(), verdict.triedBands.end());
        tried << verdict.stopper;
        emit stageHowlMissed(tried, state_.TurnAttempts);
    }
    if (stage_.Turn()->HowlCount() >= StageTurn::MostHowls) {
        StopStage();
        Fire(TurnEvent::StageEnded);
        return;
    }
    Fire(TurnEvent::HowlStopped);
    // Another pole may already grow without any more gain.
    stage_.LookForHowl();
}

void GameFlow::FollowNextHowl(int nextHowl)
{
    using Next = StageTurn::NextHowl;
    if (Next(nextHowl) == Next::InPlay) {
        gainTimer.stop();
        BeginHowl();
        Fire(TurnEvent::HowlGrew);
    } else if (Next(nextHowl) == Next::OutOfPlay) {
        gainTimer.stop();
        stage_.StopOutOfPlay();
        Fire(TurnEvent::StageEnded);
    } else if (machine_.Phase() == TurnPhase::StageRingingOut && !gainTimer.isActive()) {
        gainTimer.start();
    }
}

void GameFlow::gainTimerTimer()
{
    if (machine_.Phase() != TurnPhase::StageRingingOut) {
        gainTimer.stop();
        return;
    }
    stage_.RiseGain();
}

void GameFlow::StopStage()
{
    gainTimer.stop();
    stage_.Stop();
}
