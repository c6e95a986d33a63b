#pragma once
// The main window: owns the game state and the subsystems, lays out the
// widgets and turns Qt events into the game's handlers. No game rule lives
// here. Thread: GUI only.

#include "audio/FeedbackTiming.h"
#include "audio/ToneOutput.h"
#include "display/FaderRenderer.h"
#include "model/FaderModel.h"
#include "model/GameState.h"
#include "results/ResultsCommands.h"
#include "results/ResultsCounters.h"
#include "results/ResultsFile.h"
#include "results/StatusLines.h"

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class Dialogs;
class FaderInput;
class ConfusionView;
class FaderView;
class GameFlow;
class JournalService;
class LearningCurveView;
class MainMenu;
class MidiBridge;
class MillisecondClock;
class QLabel;
class RandomGenerator;
class StatusPanel;
class TrainingMenu;
class TurnRecorder;
class TrainingSoundOptions;
class WaveOut;

// What the main form is handed from outside; tests pass fakes.
struct MainFormServices {
    Dialogs& dialogs;
    MillisecondClock& clock;
    RandomGenerator& random;
    WaveOut& waveOut;
    // Where the settings file lives when that folder is writable: the
    // program's folder in a build tree; empty for an installed program, whose
    // settings always go to the user's configuration folder.
    QString settingsDir;
    QString manualDir;     // where the manual lies
    QStringList arguments; // results file named on the command line, if any
};

class MainForm final : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainForm(const MainFormServices& services);
    ~MainForm() override;

    // The start-up sequence. False when the player declined the warning:
    // then nothing was read and nothing will be written. With
    // `warningAccepted` the warning was shown and accepted before the form
    // was built (the program does so, to show it without waiting for that).
    bool StartUp(bool warningAccepted = false);
    // The safety warning of start-up; true when the player accepted it.
    // `drawn` is called once the box is on the screen, if it is shown.
    static bool SafetyWarningAccepted(Dialogs& dialogs, std::function<void()> drawn = {});
    // Shows the window over the whole screen and makes it the active one.
    void ShowCoveringScreen();

    // The repaint: the paint box renews what changed since it last showed
    // the state. Called on every change the model announces.
    void FaderPaint();
    // Recomputes what depends on the paint box's size, then repaints.
    void FormResize();

    GameState& State() { return state_; }
    const FaderRenderer& Renderer() const { return renderer_; }
    ToneOutput& Tone() { return tone_; }
    GameFlow& Game() { return *game_; }
    FaderInput& Input() { return *input_; }
    MidiBridge& Midi() { return *midi_; }
    ResultsCommands& Results() { return *results_; }
    MainMenu* Menu() const { return menu_; }
    TrainingMenu* Training() const { return trainingMenu_; }
    JournalService& TrainingJournal() { return *journal_; }
    // The journal's windows, while they are open.
    ConfusionView* OpenConfusions() const;
    LearningCurveView* OpenLearningCurve() const;
    FaderView* Fader() const { return fader_; }
    StatusPanel* Panel1() const { return panel1_; }
    QLabel* Panel2() const { return panel2_; }
    QString SettingsPath() const { return settingsPath_; }

  signals:
    // Once, after the first frame of the fader bank has been painted.
    void firstFrameDrawn();

  protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildWidgets();
    void ConnectMenu();
    void ConnectTrainingMenu();
    void ConnectJournal();
    void ConnectGame();
    void ShowStatusLines(const StatusLines& lines);
    // Reports a machine without output device; returns the device count.
    std::uint32_t CheckSoundDevices();
    // True when the steps ran now, false when they had run before.
    bool RunDeviceSteps();
    void RunActiveWindowSequence();
    void CoverScreen();
    void ShutDown();
    void SetApplicationTitle(const QString& title);

    MainFormServices services_;
    GameState state_;
    FaderModel faders_;
    FaderRenderer renderer_;
    ToneOutput tone_;
    FeedbackTiming feedbackTiming_;
    ResultsFile resultsFile_;
    std::unique_ptr<ResultsCounters> counters_;
    std::unique_ptr<ResultsCommands> results_;
    std::unique_ptr<GameFlow> game_;
    std::unique_ptr<FaderInput> input_;
    // Opens nothing until the first turn ends or a view asks.
    std::unique_ptr<JournalService> journal_;
    std::unique_ptr<TurnRecorder> recorder_;
    std::unique_ptr<TrainingSoundOptions> trainingSound_; // shapes tone_'s turns, goes first
    std::unique_ptr<MidiBridge> midi_;                    // drives input_, goes before it

    FaderView* fader_ = nullptr;
    StatusPanel* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    MainMenu* menu_ = nullptr;
    TrainingMenu* trainingMenu_ = nullptr;
    QPointer<ConfusionView> confusionView_;
    QPointer<LearningCurveView> learningCurveView_;

    QString settingsPath_;
    bool started_ = false;
    bool inActiveWindowSequence_ = false;
    bool deviceStepsPending_ = false;
    bool firstFrameDrawn_ = false;
};
