#include "session/GameFlow.h"

#include "audio/ToneOutput.h"
#include "model/FaderModel.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "results/ResultsCounters.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(turnLog, "heulmeister.turn")

} // namespace

GameFlow::GameFlow(GameState& state, FaderModel& faders, ToneOutput& tone,
                   ResultsCounters& counters, Dialogs& dialogs, RandomGenerator& random,
                   MillisecondClock& clock, StagePlayer& stagePlayer, QObject* parent)
    : QObject(parent), turn_(state), state_(state), faders_(faders), tone_(tone),
      counters_(counters), dialogs_(dialogs), clock_(clock),
      toneKind_(state, faders, tone, counters, random),
      stageKind_(state, faders, counters, dialogs, random, clock, stagePlayer)
{
    toneKind_.Attach(*this);
    connect(&toneKind_, &ToneTurnKind::toneTurnEnded, this, &GameFlow::toneTurnEnded);
    connect(&stageKind_, &StageTurnKind::stageHowlStarted, this, &GameFlow::stageHowlStarted);
    AddKind(stageKind_, [this] { return state_.Training.Buehne != 0; });
    // A generator tone that stops, for whatever reason, leaves the generator silent.
    connect(&tone_, &ToneOutput::toneStopped, this, [this] { Fire(TurnEvent::ToneEnded); });
    Timer1.setInterval(70);
    startTimer.setSingleShot(true);
    reStart.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &GameFlow::Timer1Timer);
    connect(&startTimer, &QTimer::timeout, this, &GameFlow::startTimerTimer);
    connect(&reStart, &QTimer::timeout, this, &GameFlow::reStartTimer);
    Timer1.start();
}

GameFlow::~GameFlow()
{
    stageKind_.BreakOff(); // its worker stops before the flow's state goes
}

void GameFlow::AddKind(TurnKind& kind, std::function<bool()> chosen)
{
    kind.Attach(*this);
    kinds_.push_back({&kind, std::move(chosen)});
}

TurnKind& GameFlow::ChosenKind()
{
    for (auto it = kinds_.rbegin(); it != kinds_.rend(); ++it)
        if (it->chosen())
            return *it->kind;
    return toneKind_;
}

void GameFlow::pNeuClick()
{
    switch (machine_.Rules().start) {
    case StartPress::EndsTurn:
        active_->End();
        return;
    case StartPress::StopsTone:
        tone_.StopTone();
        Fire(TurnEvent::GivenUp);
        StopPendingStarts();
        CloseSearchAbandoned(); // recorded once the tone is quiet
        return;
    case StartPress::BeginsTurn:
        break;
    }
    // Without a device a turn would only bring one failure box per device
    // call and a search for a tone nobody hears.
    if (ReportMissingSoundDevice())
        return;
    active_ = &ChosenKind();
    active_->Begin();
}

void GameFlow::startTimerTimer()
{
    startTimer.stop();
    active_->StartNow();
}

void GameFlow::reStartTimer()
{
    reStart.stop();
    active_->StartNow();
}

void GameFlow::aStartItExecute()
{
    active_ = &toneKind_;
    toneKind_.StartNow();
}

void GameFlow::PrepareTurn()
{
    emit newGameButtonShown();
    Fire(TurnEvent::TurnPrepared);
    faders_.ResetLevels();
    faders_.SelectFader(NoFader);
}

void GameFlow::SetRinging(int band, double frequencyHz)
{
    turn_.RingingBand = band;
    turn_.ToneFrequency = frequencyHz;
}

void GameFlow::BeginSearch()
{
    counters_.StartTurnClock();
    turnInSearch_ = true;
    emit turnStarted();
}

void GameFlow::CountWrongTry(int band, bool markOnBank)
{
    counters_.CountWrongAttempt(band);
    if (markOnBank) {
        turn_.WrongTry[band] = 1;
        if (state_.Training.Hinweise != 0)
            turn_.WrongTryHint[band] = 1; // shown with the lock below
        faders_.SetLocked(band, true);
    }
    emit wrongAttemptCounted(band);
}

void GameFlow::RecordFind(std::uint32_t foundMsAgo)
{
    counters_.RecordFind(foundMsAgo);
}

void GameFlow::CloseSearchFound()
{
    if (!turnInSearch_)
        return;
    turnInSearch_ = false;
    emit turnFound(state_.RingingBand, state_.LastFindTime, state_.TurnAttempts);
}

void GameFlow::CloseSearchMissed(const QList<int>& triedBands)
{
    if (!turnInSearch_)
        return;
    turnInSearch_ = false;
    emit stageHowlMissed(triedBands, state_.TurnAttempts);
}

void GameFlow::CloseSearchAbandoned()
{
    if (!turnInSearch_)
        return;
    turnInSearch_ = false;
    emit turnAbandoned(state_.TurnAttempts);
}

void GameFlow::ArmStartDelay(int delayMs)
{
    startTimer.setInterval(delayMs);
    startTimer.start();
}

void GameFlow::ArmNextTurn()
{
    reStart.setInterval(TimerIntervalMs(state_.AutoRestartSeconds));
    reStart.start();
}

void GameFlow::StopPendingStarts()
{
    reStart.stop();
    startTimer.stop();
}

void GameFlow::ShowLinesNow()
{
    // Nested loop, kept: the found frequency reaches the screen, and input
    // that waited behind the find runs, before the status lines go on.
    Timer1.stop();
    QCoreApplication::processEvents();
    Timer1.start();
    Timer1Timer();
}

StatusLines GameFlow::BankLines() const
{
    return ComposeStatusLines(state_, clock_.timeGetTime(), locale_);
}

void GameFlow::EvaluateFader()
{
    const int s = state_.SelectedFader;
    if (FaderKind(state_, s) != FaderInPlay)
        return;
    const PhaseRules& rules = machine_.Rules();
    if (rules.judgesMoves) {
        active_->Judge(s);
        return;
    }
    if (rules.plainTone == RaisedBandTone::None ||
        (rules.plainTone == RaisedBandTone::RingingBand && s != state_.RingingBand))
        return;
    const BandSlot& slot = state_.BandTable[s];
    if (slot.Level >= RaisedLevel && slot.Locked == 0) {
        faders_.SetLocked(s, true);
        StartGeneratorTone();
    }
    if (slot.Level <= PulledDownLevel && slot.Locked == 1) {
        faders_.SetLocked(s, false);
        tone_.StopTone();
    }
}

void GameFlow::PressFader(int fader)
{
    if (fader == state_.SelectedFader)
        return;
    const int previous = state_.SelectedFader;
    if (machine_.Rules().afterTurn && FaderKind(state_, fader) == FaderInPlay &&
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
    if (machine_.Rules().afterTurn)
        pNeuClick();
}

void GameFlow::ChangeVolume(int newVolume)
{
    faders_.SetMasterVolume(newVolume);
    tone_.ApplyVolume();
    stageKind_.Flow().ApplyVolume();
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
    const LevelKeys keys = machine_.Rules().keys;
    const bool band =
        kind == FaderInPlay &&
        (keys == LevelKeys::All || (keys == LevelKeys::AllButZero && key != LevelKey::Zero));
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
    if (!machine_.Rules().enterClears)
        return;
    faders_.ResetLevels();
    if (machine_.Rules().afterTurn)
        pNeuClick();
}

void GameFlow::StartGeneratorTone()
{
    if (ReportMissingSoundDevice())
        return;
    tone_.StopTone();
    turn_.RingingBand = state_.SelectedFader;
    // The generator plays the raised band; a replay keeps the turn's tone.
    if (machine_.Rules().plainTone == RaisedBandTone::AnyBand)
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
    noDevice.caption = tr("Keine Soundkarte gefunden");
    noDevice.text = tr("Dieses Programm benötigt eine Soundkarte.");
    noDevice.icon = DialogIcon::Error;
    dialogs_.MessageBox(noDevice);
    return true;
}

void GameFlow::Neustart()
{
    MessageBoxRequest question;
    question.caption = tr("Neues Spiel starten?");
    question.text = tr("Alle Ergebnisse gehen verloren. Trotzdem neues Spiel beginnen?");
    question.icon = DialogIcon::Question;
    question.buttons = DialogButtons::YesNo;
    // A stray Enter must not throw the game's results away.
    question.defaultButton = DialogResult::No;
    if (dialogs_.MessageBox(question) == DialogResult::Yes)
        ResetGame();
}

void GameFlow::ResetGame()
{
    active_->BreakOff();
    CloseSearchAbandoned();
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
        active_->BreakOff();
        if (!tone_.SoundIdle())
            tone_.StopTone();
        CloseSearchAbandoned();
        Fire(TurnEvent::GeneratorSwitchedOn);
        emit panelsEnabled();
    }
    faders_.ResetLevels();
    faders_.OpenCutRange();
}

void GameFlow::ShowChart(GameModeValue chartMode)
{
    active_->BreakOff();
    CloseSearchAbandoned(); // a turn stops counting under a chart
    Fire(TurnEvent::ChartChosen, chartMode);
}

void GameFlow::Fire(TurnEvent event, GameModeValue chart)
{
    const TurnMachine::Outcome outcome = machine_.Fire(event, chart);
    if (outcome == TurnMachine::Outcome::Refused) {
        // The table lists every event the game sends, doing nothing where
        // nothing should happen; an unlisted one is a fault the tests catch.
        ++refusedEvents_;
        qCWarning(turnLog, "Refused turn event %d in phase %d", int(event), int(machine_.Phase()));
    }
    if (outcome != TurnMachine::Outcome::Moved)
        return;
    turn_.GameMode = machine_.Mode();
    // The hints belong to one turn: the wrong tries to its search, the answer
    // to the time after it.
    if (event == TurnEvent::TurnToneStarted || !machine_.Rules().judgesMoves) {
        turn_.WrongTryHint.fill(0);
        turn_.WrongTry.fill(0);
    }
    if (!machine_.Rules().afterTurn)
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
    const TurnPhase phase = machine_.Phase();
    emit statusLinesChanged(machine_.Rules().turnLines ? active_->Tick(phase) : BankLines());
}
