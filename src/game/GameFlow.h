#pragma once
// The game's state machine: START, the turn, the evaluation of the selected
// fader, the find, NEUES SPIEL, the random start delay, the automatic next
// turn, the feedback generator switch, the charts and the status lines.
// The one writer of the TurnSlice (GameMode, RingingBand, ToneFrequency).
// Thread: GUI only.

#include "model/GameState.h"
#include "results/StatusLines.h"

#include <QLocale>
#include <QObject>
#include <QTimer>
#include <functional>

class Dialogs;
class FaderModel;
class MillisecondClock;
class RandomGenerator;
class ResultsCounters;
class ToneOutput;

class GameFlow final : public QObject {
    Q_OBJECT
  public:
    // Writes only the TurnSlice of `state`.
    GameFlow(GameState& state, FaderModel& faders, ToneOutput& tone, ResultsCounters& counters,
             Dialogs& dialogs, RandomGenerator& random, MillisecondClock& clock,
             std::function<void()> repaint, QObject* parent = nullptr);

    // The START button (pStart), the right mouse button and Enter after a
    // find: gives up a ringing turn, or starts one (after a random delay).
    void pNeuClick();
    // Starts the turn's tone now: START without delay, startTimer, reStart.
    void aStartItExecute();
    void PrepareTurn();
    // Judges SelectedFader after a selection or a level change.
    void EvaluateFader();
    // The NEUES SPIEL button (pNeu): asks, then resets the game.
    void Neustart();
    void ResetGame();
    // "Spielablauf" > "Feedbackgenerator"; the mark is the generator's own state.
    void aFeedbackGeneratorExecute();
    bool FeedbackGeneratorOn() const { return generatorOn_; }
    // The "Auswertung" commands: only the picture changes.
    void ShowChart(GameModeValue chartMode);
    // "Automatischer Neustart" > "Aus".
    void StopAutoRestart() { reStart.stop(); }

    void startTimerTimer(); // the random start delay ran out
    void reStartTimer();    // the automatic next turn is due
    void Timer1Timer();     // every 70 ms: the status lines

    // Locale of the figures; the user's by default.
    void SetLocale(const QLocale& locale) { locale_ = locale; }

    QTimer Timer1;     // status lines, every 70 ms
    QTimer startTimer; // random start delay, one shot
    QTimer reStart;    // automatic next turn, one shot

  signals:
    void statusLinesChanged(const StatusLines& lines);
    void newGameButtonShown();
    void panelsEnabled();
    void feedbackGeneratorChecked(bool checked);

  private:
    void RunFindSequence();
    void StartGeneratorTone();

    TurnSlice& turn_;
    const GameState& state_;
    FaderModel& faders_;
    ToneOutput& tone_;
    ResultsCounters& counters_;
    Dialogs& dialogs_;
    RandomGenerator& random_;
    MillisecondClock& clock_;
    std::function<void()> repaint_;
    QLocale locale_;
    bool generatorOn_ = false;
};
