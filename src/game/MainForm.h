#pragma once
// The main window: is handed the game (GameSession), lays out the widgets,
// owns the menus and the window's own commands, and turns Qt events into the
// game's handlers. No game rule lives here. Thread: GUI only.

#include "display/FaderRenderer.h"
#include "results/ResultsCommands.h"
#include "results/StatusLines.h"
#include "session/GameSession.h"

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class FaderInput;
class ConfusionView;
class FaderView;
class LearningCurveView;
class MainMenu;
class MidiBridge;
class QLabel;
class StatusPanel;
class TrainingMenu;
class TrainingSoundOptions;

// Where the window finds its files.
struct MainFormPlaces {
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
    // `session` must outlive the window.
    MainForm(GameSession& session, const MainFormPlaces& places);
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
    void ShowHearingCheck();
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

    GameSession& session_;
    const GameServices& services_;
    MainFormPlaces places_;
    GameState& state_;
    FaderModel& faders_;
    ToneOutput& tone_;
    GameFlow& game_;
    JournalService& journal_;
    FaderRenderer renderer_;
    std::unique_ptr<ResultsCommands> results_;
    std::unique_ptr<FaderInput> input_;
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
