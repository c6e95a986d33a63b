#include "game/MainForm.h"

#include "game/AboutBox.h"
#include "game/DialogLook.h"
#include "game/FaderView.h"
#include "game/HearingCheckDialog.h"
#include "game/HelpWindow.h"
#include "game/MainMenu.h"
#include "game/MidiDialog.h"
#include "game/SoundCardDialog.h"
#include "game/StageResponseView.h"
#include "game/StatusPanel.h"
#include "game/TrainingMenu.h"
#include "game/TrainingSoundOptions.h"
#include "journal/ConfusionView.h"
#include "journal/JournalExport.h"
#include "journal/JournalService.h"
#include "journal/LearningCurveView.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "results/Charts.h"
#include "session/FaderInput.h"
#include "session/GameFlow.h"
#include "session/MidiBridge.h"
#include "session/PracticeSetRunner.h"
#include "session/SettingsFile.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Translated where the box is made: the translator is installed after
// static initialisation.
const char* const WarningCaption = QT_TRANSLATE_NOOP("MainForm", "Vorsicht!!!");
const char* const WarningText =
    QT_TRANSLATE_NOOP("MainForm", "Achtung! Das Programm erzeugt Signale, die Lautsprecher oder\n"
                                  "das Gehör bei unsachgemässer Verwendung schädigen können.\n"
                                  "Beginnen sie immer mit minimaler Lautstärke.\n"
                                  "Es wird keine Haftung für Schäden übernommen.");

constexpr int HelpTopic = 10;

} // namespace

MainForm::MainForm(GameSession& session, const MainFormPlaces& places)
    : session_(session), services_(session.Services()), places_(places),
      state_(session.WritableState()), faders_(session.Faders()), tone_(session.Tone()),
      game_(session.Game()), journal_(session.Journal())
{
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowIcon(ProgramIcon());
    BuildWidgets();
    menu_ = new MainMenu(menuBar(), state_, faders_, this);
    trainingMenu_ =
        new TrainingMenu(menuBar(), menu_->Actions().Hilfe, state_.Training, state_, this);
    trainingSound_ = std::make_unique<TrainingSoundOptions>(*trainingMenu_, state_.Training, tone_,
                                                            services_.dialogs);
    game_.Stage().SetMusicBed([this] { return trainingSound_->Sound().Music().Bed(); });
    renderer_.SetChartColumnPainter(MakeChartColumnPainter());
    fader_->Show(renderer_, state_);

    connect(&session_, &GameSession::saveAsAvailable, menu_->Actions().SpeichernUnter,
            &QAction::setEnabled);
    input_ = std::make_unique<FaderInput>(
        game_, state_, [this]() -> const FaderGeometry& { return renderer_.Geometry(); },
        [this] { return renderer_.PaintBoxSize(); });
    results_ = std::make_unique<ResultsCommands>(state_, session_.Results(), services_.dialogs,
                                                 menu_->ResultsHooks());

    ConnectMenu();
    ConnectTrainingMenu();
    ConnectGame();
    // Control surfaces: RtMidi is loaded after the first frame, and only for
    // a player who used one last time, or when the dialog opens.
    // A child too, so it can be found as one of the window's parts; the
    // pointer deletes it first.
    midi_ = std::make_unique<MidiBridge>(state_, state_, faders_, *input_, this);
    connect(midi_.get(), &MidiBridge::surfaceBankChanged, this, &MainForm::FaderPaint);
    connect(this, &MainForm::firstFrameDrawn, this,
            [this] { midi_->StartRemembered(settingsPath_); });
    connect(trainingMenu_, &TrainingMenu::midiRequested, this,
            [this] { ShowMidiDialog(*midi_, settingsPath_, services_.dialogs, this); });
    // The bank's keys work whatever has the focus, as long as this window is active.
    setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(this);
}

MainForm::~MainForm()
{
    // A scan still running would post its notice to this form from its own
    // thread while the form goes away; the program waits for it on exit anyway.
    services_.waveOut.WaitForDevices();
    qApp->removeEventFilter(this);
    game_.Stage().SetMusicBed({}); // the game may outlive the music
    if (started_)
        ShutDown();
}

void MainForm::BuildWidgets()
{
    auto* central = new QWidget(this);
    central->setAutoFillBackground(true);
    central->setStyleSheet(QStringLiteral("background: black;"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    fader_ = new FaderView(central);
    panel1_ = new StatusPanel(central);
    panel2_ = new QLabel(central);
    panel2_->setObjectName(QStringLiteral("Panel2"));
    panel2_->setFixedHeight(31);
    panel2_->setFont(ArialPixels(13, /*italic=*/true));
    panel2_->setStyleSheet(QStringLiteral("color: white; background: black;"));

    layout->addWidget(fader_, 1);
    layout->addWidget(panel1_);
    layout->addWidget(panel2_);
    setCentralWidget(central);

    connect(fader_, &FaderView::resized, this, &MainForm::FormResize);
}

void MainForm::ConnectMenu()
{
    const MainMenuActions& actions = menu_->Actions();
    connect(menu_, &MainMenu::quitRequested, this, &QWidget::close);
    connect(menu_, &MainMenu::autoRestartStopped, this, [this] { game_.StopAutoRestart(); });
    connect(menu_, &MainMenu::feedbackGeneratorTriggered, this, [this] {
        RunDeviceSteps();
        game_.aFeedbackGeneratorExecute();
    });
    const std::pair<QAction*, GameModeValue> charts[] = {
        {actions.AktuellVersuche, ModeCurrentAttempts},
        {actions.AktuellZeit, ModeCurrentTimes},
        {actions.TotalVersuche, ModeTotalAttempts},
        {actions.TotalZeit, ModeTotalTimes},
        {actions.FortschrittVersuche, ModeProgressAttempts},
        {actions.FortschrittZeit, ModeProgressTimes},
    };
    connect(actions.Laden, &QAction::triggered, this, [this] { results_->Laden1Click(); });
    connect(actions.Speichern, &QAction::triggered, this, [this] { results_->SpeichernClick(); });
    connect(actions.SpeichernUnter, &QAction::triggered, this,
            [this] { results_->SpeichernUnterClick(); });
    connect(actions.Soundkarte, &QAction::triggered, this,
            [this] { ShowSoundCardDialog(state_, services_.waveOut, this); });
    for (const auto& [action, mode] : charts)
        connect(action, &QAction::triggered, this, [this, mode = mode] { game_.ShowChart(mode); });
    connect(menu_, &MainMenu::feedbackTimeChosen, &tone_, &ToneOutput::ApplyFeedbackTime);
    connect(menu_, &MainMenu::aboutRequested, this, [this] { ShowAboutBox(this); });
    connect(menu_, &MainMenu::helpRequested, this,
            [this] { ShowHelpTopic(services_.dialogs, places_.manualDir, HelpTopic, this); });
}

// The check needs the sound card to itself, so it waits for a quiet game;
// its result is remembered for the card, and the cut range it offers is
// taken only when the player says so.
void MainForm::ShowHearingCheck()
{
    if (TurnMachine::RulesOf(game_.Phase()).start != StartPress::BeginsTurn) {
        MessageBoxRequest box;
        box.caption = tr("Hörtest");
        box.text = tr("Der Hörtest braucht die Soundkarte für sich. Beenden Sie zuerst die "
                      "laufende Runde mit START.");
        box.icon = DialogIcon::Information;
        services_.dialogs.MessageBox(box);
        return;
    }
    if (game_.ReportMissingSoundDevice())
        return;
    game_.StopAutoRestart();
    game_.startTimer.stop();
    HearingCheckDialog dialog(state_, services_.waveOut, this);
    const int answer = dialog.exec();
    const HearingCheck& check = dialog.Check();
    if (check.CurrentPhase() == HearingCheck::Phase::Finished &&
        !check.Result().deviceName.isEmpty())
        state_.Training.Hoertest = check.Result().ToSetting();
    if (answer == QDialog::Accepted && dialog.AcceptedCutRange()) {
        faders_.ChangeCutRange(CutEdge::Low, dialog.AcceptedCutRange()->lowCutBand);
        faders_.ChangeCutRange(CutEdge::High, dialog.AcceptedCutRange()->highCutBand);
    }
}

void MainForm::ConnectTrainingMenu()
{
    connect(trainingMenu_, &TrainingMenu::confusionsRequested, this, [this] {
        if (confusionView_)
            confusionView_->close(); // reopened with the turns recorded since
        confusionView_ = OpenConfusionView(journal_, this);
    });
    connect(trainingMenu_, &TrainingMenu::learningCurveRequested, this, [this] {
        if (learningCurveView_)
            learningCurveView_->close();
        learningCurveView_ = OpenLearningCurveView(journal_, this);
    });
    connect(trainingMenu_, &TrainingMenu::hearingCheckRequested, this, &MainForm::ShowHearingCheck);
    connect(trainingMenu_, &TrainingMenu::stageResponseRequested, this, [this] {
        auto* view = new StageResponseView(session_.Game().Stage(), this);
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->show();
    });
    connect(trainingMenu_->Actions().Buehne, &QAction::toggled, this, [this](bool on) {
        if (!on)
            game_.StageSwitchedOff();
    });
    connect(trainingMenu_, &TrainingMenu::exportRequested, this,
            [this] { StartJournalExport(journal_, this); });
    connect(trainingMenu_, &TrainingMenu::practiceSetRequested, &session_.Sets(),
            &PracticeSetRunner::Start);
    // The weighted draw's figures are read while the player gets ready.
    connect(trainingMenu_, &TrainingMenu::weakBandsChanged, this, [this](bool on) {
        if (on)
            journal_.PrepareWeights();
    });
    // The path grows by the band the journal knows the player finds least.
    connect(trainingMenu_, &TrainingMenu::learningPathChanged, this, [this](bool on) {
        if (on)
            journal_.PrepareWeights();
    });
    connect(&session_, &GameSession::learningPathMoved, trainingMenu_,
            &TrainingMenu::ShowPathLevel);
    connect(trainingMenu_, &TrainingMenu::hintsChanged, this, [this](bool on) {
        if (!on)
            game_.ClearHints();
    });
}

void MainForm::ConnectGame()
{
    // The picture follows the model: the view repaints what changed, at once.
    connect(&faders_, &FaderModel::changed, this, &MainForm::FaderPaint);
    connect(&game_, &GameFlow::turnChanged, this, &MainForm::FaderPaint);
    connect(&game_, &GameFlow::statusLinesChanged, this, &MainForm::ShowStatusLines);
    connect(&game_, &GameFlow::newGameButtonShown, panel1_->pNeu, &QWidget::show);
    connect(&game_, &GameFlow::panelsEnabled, this, [this] {
        panel1_->pStart->setEnabled(true);
        panel1_->pNeu->setEnabled(true);
    });
    connect(&game_, &GameFlow::feedbackGeneratorChecked, menu_->Actions().Feedbackgenerator,
            &QAction::setChecked);
    connect(panel1_->pStart, &QPushButton::clicked, this, [this] {
        // Start-up steps that run only now have just said that no device
        // exists; this START would say it a second time.
        if (RunDeviceSteps() && services_.waveOut.DeviceCount() == 0)
            return;
        game_.pNeuClick();
    });
    connect(panel1_->pNeu, &QPushButton::clicked, this, [this] { game_.Neustart(); });
    // A click in all but the pointer: a disabled START does nothing either.
    connect(trainingMenu_, &TrainingMenu::startRequested, panel1_->pStart, &QPushButton::click);
    connect(fader_, &FaderView::mousePressed, this, [this](Qt::MouseButtons buttons, QPoint at) {
        input_->FaderMouseDown(buttons, at.x(), at.y());
    });
    connect(fader_, &FaderView::mouseMoved, this, [this](Qt::MouseButtons buttons, QPoint at) {
        input_->FaderMouseMove(buttons, at.x(), at.y());
    });
    connect(fader_, &FaderView::levelRequested, this,
            [this](int fader, int level) { input_->SetLevelWithKeys(fader, level); });
}

void MainForm::ShowStatusLines(const StatusLines& lines)
{
    const std::pair<const StatusLine&, QLabel*> targets[] = {
        {lines.Label1, panel1_->Label1},
        {lines.Label2, panel1_->Label2},
        {lines.Label3, panel1_->Label3},
    };
    for (const auto& [line, label] : targets)
        if (line.write && label->text() != line.text)
            label->setText(line.text);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (!firstFrameDrawn_ && watched == fader_ && event->type() == QEvent::Paint && started_ &&
        renderer_.HasFaderImage() && !renderer_.CoverShown) {
        firstFrameDrawn_ = true;
        // Posted: the frame is painted and on its way to the screen first.
        QTimer::singleShot(0, this, &MainForm::firstFrameDrawn);
    }
    if (event->type() != QEvent::KeyPress || !started_ || !isActiveWindow())
        return false;
    // A key event travels up from the focus widget; take it once, where it starts.
    QWidget* receiver = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (watched != receiver || receiver->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    input_->FormKeyDown(key->key());
    if (!key->text().isEmpty())
        input_->FormKeyPress(key->text().at(0));
    return false; // no key is consumed
}

bool MainForm::SafetyWarningAccepted(Dialogs& dialogs, std::function<void()> drawn)
{
    MessageBoxRequest warning;
    warning.drawn = std::move(drawn);
    warning.caption = QCoreApplication::translate("MainForm", WarningCaption);
    warning.text = QCoreApplication::translate("MainForm", WarningText);
    warning.icon = DialogIcon::Error;
    warning.buttons = DialogButtons::OkCancel;
    warning.defaultButton = DialogResult::Ok;
    warning.alwaysOnTop = true;
    return dialogs.MessageBox(warning) == DialogResult::Ok;
}

bool MainForm::StartUp(bool warningAccepted)
{
    services_.random.SeedFromClock();
    if (!warningAccepted && !SafetyWarningAccepted(services_.dialogs))
        return false;

    settingsPath_ = SettingsFilePath(places_.settingsDir);
    ReadSettings(settingsPath_, state_);
    menu_->ApplyStartupChecks();
    trainingMenu_->ApplyStartupChecks();
    trainingSound_->StartUp();
    if (state_.Training.Schwerpunkt != 0 || state_.Training.Lernpfad != 0)
        journal_.PrepareWeights();

    // The device list comes from a scan started with the program; the steps
    // that need it run now if it is known, else as soon as it is.
    deviceStepsPending_ = true;
    if (!services_.waveOut.NotifyWhenDevicesKnown(this, [this] { RunDeviceSteps(); }))
        RunDeviceSteps();

    faders_.InitBandTable(services_.random);
    session_.Results().InitStoredBandTable();
    faders_.LockAllFaders();
    results_->LoadRememberedFile();

    faders_.OpenCutRange();
    panel1_->pNeu->hide();
    results_->LoadCommandLineFile(places_.arguments);

    started_ = true;
    return true;
}

// The start-up steps that need the device list, once and in their order:
// when the scan is done, or sooner, waiting for it, when a turn or the
// generator is about to use the device.
bool MainForm::RunDeviceSteps()
{
    if (!deviceStepsPending_)
        return false;
    deviceStepsPending_ = false;
    services_.waveOut.WaitForDevices();
    // A missing device has been reported once; a volume for it would only
    // add a second box.
    if (CheckSoundDevices() > 0)
        tone_.ApplyStartUpVolume();
    return true;
}

std::uint32_t MainForm::CheckSoundDevices()
{
    game_.ReportMissingSoundDevice();
    const std::uint32_t deviceCount = services_.waveOut.DeviceCount();
    menu_->SetSoundCardCount(static_cast<int>(deviceCount));
    return deviceCount;
}

void MainForm::FaderPaint()
{
    fader_->Refresh();
    if (!panel2_->text().isEmpty()) // an empty label would still repaint
        panel2_->clear();
}

void MainForm::FormResize()
{
    const qreal ratio = fader_->devicePixelRatioF();
    if (!isVisible()) {
        renderer_.SetPaintBox(fader_->DeviceSize(), fader_->logicalDpiY(), ratio);
        return;
    }
    renderer_.FormResize(fader_->DeviceSize(), fader_->logicalDpiY(), ratio);
    FaderPaint();
}

void MainForm::ShowCoveringScreen()
{
    CoverScreen();
    show();
    raise();
    activateWindow();
}

void MainForm::CoverScreen()
{
    // Without a window manager showMaximized() leaves a small window; the
    // screen's geometry works with and without one.
    if (QScreen* current = screen())
        setGeometry(current->geometry());
}

void MainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && started_ &&
        !inActiveWindowSequence_)
        RunActiveWindowSequence();
}

void MainForm::RunActiveWindowSequence()
{
    inActiveWindowSequence_ = true;
    CoverScreen();

    menuBar()->hide();
    panel1_->hide();
    renderer_.CoverShown = true;
    FaderPaint();

    SetApplicationTitle(QStringLiteral("Schrillsucher"));
    tone_.ApplyVolume();

    menuBar()->show();
    panel1_->show();
    renderer_.CoverShown = false;
    FormResize();

    setCursor(Qt::ArrowCursor);
    // Nested loop, kept: the uncovered bank is laid out and painted before
    // the player's first click is taken.
    QCoreApplication::processEvents();
    inActiveWindowSequence_ = false;
}

void MainForm::SetApplicationTitle(const QString& title)
{
    QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
}

void MainForm::ShutDown()
{
    started_ = false;
    hide();
    // Nested loop, kept: the window is gone from the screen at once, before
    // the settings are written.
    QCoreApplication::processEvents();

    game_.AbandonTurn(); // a turn still in the search is recorded as given up
    session_.Sets().BreakOff();

    QString errorText;
    if (!WriteSettings(settingsPath_, state_, &errorText)) {
        MessageBoxRequest failure;
        failure.caption = tr("Einstellungen");
        failure.text = tr("Die Einstellungen konnten nicht gespeichert werden:\n%1").arg(errorText);
        failure.icon = DialogIcon::Error;
        services_.dialogs.MessageBox(failure);
    }
    // Nested loop, kept: blocks the device still hands back are taken in
    // before the tone's blocks are released.
    QCoreApplication::processEvents();
    tone_.Shutdown(); // stops a running tone before its blocks are released
}
