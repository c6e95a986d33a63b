#pragma once
// The game's rules over the turn: START, the turn, what the player's hands
// on the bank do in each phase (the intents), the evaluation of the selected
// fader, the find, NEUES SPIEL, the random start delay, the automatic next
// turn, the feedback generator switch, the charts and the status lines. The
// phases, their order and what each allows are TurnMachine's table; what
// differs between kinds of turn is the TurnKind's chosen at START. The one
// writer of the TurnSlice (GameMode, RingingBand, ToneFrequency).
// Thread: GUI only.

#include "model/BandWeights.h"
#include "model/GameState.h"
#include "model/TurnMachine.h"
#include "results/StatusLines.h"
#include "session/StageTurnKind.h"
#include "session/ToneTurnKind.h"
#include "session/TurnKind.h"

#include <QLocale>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Dialogs;
class FaderModel;
class MillisecondClock;
class RandomGenerator;
class ResultsCounters;
class StagePlayer;
class ToneOutput;

class GameFlow final : public QObject, private TurnHost {
    Q_OBJECT
  public:
    // Writes only the TurnSlice of `state`.
    GameFlow(GameState& state, FaderModel& faders, ToneOutput& tone, ResultsCounters& counters,
             Dialogs& dialogs, RandomGenerator& random, MillisecondClock& clock,
             StagePlayer& stagePlayer, QObject* parent = nullptr);
    ~GameFlow() override;

    // The START button (pStart), the right mouse button and Enter after a
    // find: gives up a ringing turn, or starts one (after a random delay).
    void pNeuClick();
    // Starts a tone turn's tone now: START without delay.
    void aStartItExecute();
    // Judges SelectedFader after a selection or a level change.
    void EvaluateFader();

    // The intents of the hands on the bank (mouse, keys, a control surface).
    // A left press on `fader` (NoFader..VolumeFader): selects it.
    void PressFader(int fader);
    // A drag of the selected fader to `level` (-12..+12), where the phase lets it move.
    void DragSelectedTo(int level);
    // The right mouse button on the bank.
    void SecondButton();
    // The arrow keys left (-1) and right (+1): the next fader in play.
    void StepSelection(int direction);
    // "V": the volume fader.
    void SelectVolumeFader();
    // The level keys: up and down a step, 0, top and bottom.
    enum class LevelKey { Up, Down, Zero, Top, Bottom };
    void PressLevelKey(LevelKey key);
    // Enter: clears the levels; after a turn, starts the next.
    void ConfirmKey();
    // The NEUES SPIEL button (pNeu): asks, then resets the game.
    void Neustart();
    void ResetGame();
    // Without any output device: shows the one box that says so and returns
    // true; nothing else happens.
    bool ReportMissingSoundDevice();
    // "Spielablauf" > "Feedbackgenerator"; the mark is the generator's own state.
    void aFeedbackGeneratorExecute();
    bool FeedbackGeneratorOn() const { return machine_.GeneratorSwitchedOn(); }
    TurnPhase Phase() const override { return machine_.Phase(); }
    // The "Auswertung" commands: only the picture changes.
    void ShowChart(GameModeValue chartMode);
    // "Automatischer Neustart" > "Aus".
    void StopAutoRestart() { reStart.stop(); }
    // The window closes: a turn still in the search ends without a find.
    void AbandonTurn()
    {
        active_->BreakOff();
        CloseSearchAbandoned();
    }
    // "Training" > "Bühne" unchecked: a stage still being built is not started.
    void StageSwitchedOff() { stageKind_.SwitchedOff(); }
    // The last stage turn, sounding or over; null before the first.
    StageTurn* LastStage() const { return stageKind_.Flow().Turn(); }
    StageFlow& Stage() { return stageKind_.Flow(); }

    // START begins a turn of the last added kind whose `chosen` says so, or
    // else the tone's; the kind plays through this flow from now on, so it
    // lives as long as the flow does.
    void AddKind(TurnKind& kind, std::function<bool()> chosen);
    // The phase table's refusals so far: an event no row lists.
    int RefusedEvents() const { return refusedEvents_; }

    // Where the band draw gets its weights from; nullopt (or no source) draws
    // every band in play equally often, exactly as the game always did.
    void SetBandWeightsSource(ToneTurnKind::BandWeightsSource source)
    {
        toneKind_.SetBandWeightsSource(std::move(source));
    }
    // The bands the draw keeps to ("Lernpfad"); nullopt or no source: all in play.
    void SetDrawBandsSource(ToneTurnKind::BandMaskSource source)
    {
        toneKind_.SetDrawBandsSource(std::move(source));
    }
    // "Hinweise" switched off: the colours it put on the bank go at once.
    void ClearHints();

    void startTimerTimer(); // the random start delay ran out
    void reStartTimer();    // the automatic next turn is due
    void Timer1Timer();     // every 70 ms: the status lines
    void gainTimerTimer() { stageKind_.gainTimerTimer(); }

    // Locale of the figures; the user's by default.
    void SetLocale(const QLocale& locale) { locale_ = locale; }

    QTimer Timer1;     // status lines, every 70 ms
    QTimer startTimer; // random start delay, one shot
    QTimer reStart;    // automatic next turn, one shot

  signals:
    // The mode, the ringing band or its frequency changed, or the game's
    // results were cleared: what the picture shows may differ.
    void turnChanged();
    void statusLinesChanged(const StatusLines& lines);
    void newGameButtonShown();
    void panelsEnabled();
    void feedbackGeneratorChecked(bool checked);
    // A turn's life, for whoever keeps a record of it. A turn starts when its
    // tone starts and leaves the search exactly once: found, or abandoned (START
    // while it rings, NEUES SPIEL, a chart, the generator, quitting).
    void turnStarted();
    // Right after turnStarted when the turn is a stage's howl.
    void stageHowlStarted(double howlHz, double gainWonDb, double autoGainWonDb);
    // Another band's cut stopped the howl ("daneben"): the faders pulled
    // during it, the one that stopped it last. No counter moved.
    void stageHowlMissed(const QList<int>& triedBands, int attempts);
    void wrongAttemptCounted(int band); // after TurnAttempts counted it
    // The find, as the counters recorded it.
    void turnFound(int band, std::uint32_t findMs, int attempts);
    // A tone turn the player finished: found (at the first try or not), or
    // given up with START. Stage howls and turns broken off otherwise are not.
    void toneTurnEnded(bool firstTry);
    void turnAbandoned(int attempts);

  private:
    // What the kinds are offered.
    // Moves the machine on; the one place GameMode is written.
    void Fire(TurnEvent event) override { Fire(event, ModeIdle); }
    void Fire(TurnEvent event, GameModeValue chart);
    void PrepareTurn() override;
    void ShowNewGameButton() override { emit newGameButtonShown(); }
    void SetRinging(int band, double frequencyHz) override;
    void BeginSearch() override;
    bool SearchOpen() const override { return turnInSearch_; }
    void CountWrongTry(int band, bool markOnBank) override;
    void RecordFind(std::uint32_t foundMsAgo) override;
    void CloseSearchFound() override;
    void CloseSearchMissed(const QList<int>& triedBands) override;
    void CloseSearchAbandoned() override;
    void ShowAnswerHint() override;
    void ShowLinesNow() override;
    StatusLines BankLines() const override;
    void ArmStartDelay(int delayMs) override;
    void ArmNextTurn() override;
    void StopPendingStarts() override;

    void ChangeVolume(int newVolume);
    void ResetGeneratorFaderBeforeLeaving();
    void StartGeneratorTone();
    TurnKind& ChosenKind();

    TurnSlice& turn_;
    const GameState& state_;
    FaderModel& faders_;
    ToneOutput& tone_;
    ResultsCounters& counters_;
    Dialogs& dialogs_;
    MillisecondClock& clock_;
    QLocale locale_;
    TurnMachine machine_;
    int refusedEvents_ = 0;
    // Between turnStarted and its found or abandoned. Not a phase: a turn
    // left silent keeps its record through the next random start delay.
    bool turnInSearch_ = false;
    ToneTurnKind toneKind_;
    StageTurnKind stageKind_;
    struct ChoosableKind {
        TurnKind* kind;
        std::function<bool()> chosen;
    };
    std::vector<ChoosableKind> kinds_;
    TurnKind* active_ = &toneKind_; // the kind of the last turn begun
};
