#pragma once
// The game's rules over the turn: START, the turn, what the player's hands
// on the bank do in each phase (the intents), the evaluation of the selected
// fader, the find, NEUES SPIEL, the random start delay, the automatic next
// turn, the feedback generator switch, the charts and the status lines. The
// phases and their order are TurnMachine's table; this class fires its
// events. The one writer of the TurnSlice (GameMode, RingingBand,
// ToneFrequency). Thread: GUI only.

#include "model/BandWeights.h"
#include "model/GameState.h"
#include "model/TurnMachine.h"
#include "results/StatusLines.h"
#include "session/StageFlow.h"

#include <QLocale>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Dialogs;
class FaderModel;
class MillisecondClock;
class RandomGenerator;
class ResultsCounters;
class StagePlayer;
class ToneOutput;

class GameFlow final : public QObject {
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
    // Starts the turn's tone now: START without delay, startTimer, reStart.
    void aStartItExecute();
    void PrepareTurn();
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
    TurnPhase Phase() const { return machine_.Phase(); }
    // The "Auswertung" commands: only the picture changes.
    void ShowChart(GameModeValue chartMode);
    // "Automatischer Neustart" > "Aus".
    void StopAutoRestart() { reStart.stop(); }
    // The window closes: a turn still in the search ends without a find.
    void AbandonTurn()
    {
        StopStage();
        EndTurnInSearch();
    }
    // "Training" > "Bühne" unchecked: a stage still being built is not started.
    void StageSwitchedOff();
    // The last stage turn, sounding or over; null before the first.
    StageTurn* LastStage() const { return stage_.Turn(); }
    StageFlow& Stage() { return stage_; }

    // Where the band draw gets its weights from; nullopt (or no source) draws
    // every band in play equally often, exactly as the game always did.
    using BandWeightsSource = std::function<std::optional<BandWeights>()>;
    void SetBandWeightsSource(BandWeightsSource source) { bandWeights_ = std::move(source); }
    // The bands the draw keeps to ("Lernpfad"); nullopt or no source: all in play.
    using BandMaskSource = std::function<std::optional<BandMask>()>;
    void SetDrawBandsSource(BandMaskSource source) { drawBands_ = std::move(source); }
    // "Hinweise" switched off: the colours it put on the bank go at once.
    void ClearHints();

    void startTimerTimer(); // the random start delay ran out
    void reStartTimer();    // the automatic next turn is due
    void Timer1Timer();     // every 70 ms: the status lines
    void gainTimerTimer();  // ringing out a stage: G rises

    // Locale of the figures; the user's by default.
    void SetLocale(const QLocale& locale) { locale_ = locale; }

    QTimer Timer1;     // status lines, every 70 ms
    QTimer startTimer; // random start delay, one shot
    QTimer reStart;    // automatic next turn, one shot
    QTimer gainTimer;  // ringing out a stage: every 2 s

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
    // Moves the machine on; the one place GameMode is written.
    void Fire(TurnEvent event, GameModeValue chart = ModeIdle);
    void ChangeVolume(int newVolume);
    void ResetGeneratorFaderBeforeLeaving();
    void RunFindSequence();
    void ShowAnswerHint();
    void StartGeneratorTone();
    void EndTurnInSearch();
    void StartStage();
    void StageBuilt(const QString& errorText);
    bool CancelStageBuild();
    void BeginHowl();
    void FollowNextHowl(int nextHowl);
    void JudgeStageMove(int band);
    void StageHowlStopped(const StageFlow::Verdict& verdict);
    void StopStage();

    TurnSlice& turn_;
    const GameState& state_;
    FaderModel& faders_;
    ToneOutput& tone_;
    ResultsCounters& counters_;
    Dialogs& dialogs_;
    RandomGenerator& random_;
    MillisecondClock& clock_;
    QLocale locale_;
    TurnMachine machine_;
    // Between turnStarted and its found or abandoned. Not a phase: a turn
    // left silent keeps its record through the next random start delay.
    bool turnInSearch_ = false;
    BandWeightsSource bandWeights_;
    BandMaskSource drawBands_;
    StageFlow stage_;
};
