// Start-up, the main window and shutdown, driven through the real main form.

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainForm.h"
#include "game/MainMenu.h"
#include "game/StatusPanel.h"
#include "game/TrainingMenu.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "session/GameFlow.h"
#include "support/FakeClockAndRandom.h"
#include "support/FakeWaveOut.h"
#include "support/GameHarness.h"
#include "support/ScriptedDialogs.h"
#include "support/Watchdog.h"

#include <QAccessible>
#include <QAction>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <memory>

namespace {

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void WriteText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// A part of a window as the screen shows it.
QImage IconAsShown(const QWidget& window, QRect part)
{
    return window.screen()
        ->grabWindow(window.winId(), part.x(), part.y(), part.width(), part.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Keys of a settings file in the order they appear.
QStringList KeysInOrder(const QString& text)
{
    QStringList keys;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            keys << line.left(equals).trimmed();
    }
    return keys;
}

// Where a named pipe stands in for a file.
enum class PipeFor {
    MusicBed,
    MusicRemembered,
    ResultsCommandLine,
    ResultsLaden,
    ResultsRemembered,
    Settings,
    Journal,
    JournalWal // SQLite's own file beside the journal
};

} // namespace

Q_DECLARE_METATYPE(PipeFor)

class MainFormTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir programDir_;
    ScriptedDialogs dialogs_;
    FakeClock clock_;
    StdRandomGenerator random_;
    FakeWaveOut waveOut_;

    std::unique_ptr<GameWindow> MakeForm(const QStringList& arguments = {})
    {
        return std::make_unique<GameWindow>(
            GameServices{dialogs_, clock_, random_, waveOut_},
            MainFormPlaces{programDir_.path(), programDir_.path(), arguments});
    }
    QString SettingsPath() const { return programDir_.filePath("Heulmeister Pro.inf"); }

  private slots:
    void init()
    {
        QFile::remove(SettingsPath());
        dialogs_ = ScriptedDialogs();
        waveOut_ = FakeWaveOut();
    }

    // The calls the wave device saw, by operation and handle, in order.
    QStringList DeviceCalls() const
    {
        QStringList calls;
        for (const FakeWaveOut::Call& call : waveOut_.calls)
            calls << QStringLiteral("%1 %2").arg(call.operation).arg(call.handle);
        return calls;
    }

    void SetDeviceCount(int count)
    {
        for (int i = 0; i < count; ++i)
            waveOut_.productNames << QStringLiteral("Karte %1").arg(i);
    }

    void cancelAtTheWarningReadsAndWritesNothing()
    {
        const QByteArray handEdited = "[Filter]\nLowCut=5\n; mine\n";
        WriteText(SettingsPath(), handEdited);
        dialogs_.boxAnswers = {DialogResult::Cancel};
        {
            auto form = MakeForm();
            QVERIFY(!form->StartUp());
            QCOMPARE(form->State().LowCutBand, 11); // not read
            QVERIFY(!form->form.isVisible());
        }
        QCOMPARE(ReadText(SettingsPath()).toUtf8(), handEdited);

        QFile::remove(SettingsPath());
        dialogs_.boxAnswers = {DialogResult::Cancel};
        MakeForm()->StartUp();
        QVERIFY(!QFile::exists(SettingsPath()));
    }

    void warningIsTheSafetyNotice()
    {
        dialogs_.boxAnswers = {DialogResult::Cancel};
        MakeForm()->StartUp();
        QCOMPARE(dialogs_.boxes.size(), 1);
        const MessageBoxRequest& box = dialogs_.boxes.first();
        QCOMPARE(box.caption, QStringLiteral("Vorsicht!!!"));
        QCOMPARE(box.text.split('\n'),
                 QStringList({"Achtung! Das Programm erzeugt Signale, die Lautsprecher oder",
                              "das Gehör bei unsachgemässer Verwendung schädigen können.",
                              "Beginnen sie immer mit minimaler Lautstärke.",
                              "Es wird keine Haftung für Schäden übernommen."}));
        QCOMPARE(box.icon, DialogIcon::Error);
        QCOMPARE(box.buttons, DialogButtons::OkCancel);
        QVERIFY(box.alwaysOnTop);
    }

    void warningAskedBeforeTheFormIsNotAskedAgain_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK") << int(DialogResult::Ok);
        QTest::newRow("Cancel") << int(DialogResult::Cancel);
    }

    void warningAskedBeforeTheFormIsNotAskedAgain()
    {
        // The program asks before it builds the window, then starts up
        // without asking once more.
        QFETCH(int, answer);
        dialogs_.boxAnswers = {DialogResult(answer)};
        const bool accepted = MainForm::SafetyWarningAccepted(dialogs_);
        QCOMPARE(accepted, answer == int(DialogResult::Ok));
        QCOMPARE(dialogs_.captions(), QStringList({"Vorsicht!!!"}));
        QVERIFY(dialogs_.boxes.first().alwaysOnTop);
        if (!accepted)
            return;
        auto form = MakeForm();
        QVERIFY(form->StartUp(/*warningAccepted=*/true));
        QCOMPARE(dialogs_.captions().count("Vorsicht!!!"), 1);
        QCOMPARE(form->State().LowCutBand, 11);
        QVERIFY(form->Panel1()->pNeu->isHidden());
    }

    void warningOnTheScreenIsReportedWhileItIsOpen_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }

    void warningOnTheScreenIsReportedWhileItIsOpen()
    {
        // The program starts its device scan from this report, so it must
        // come once, while the real box is up, whatever the answer.
        QFETCH(bool, ok);
        int drawnCalls = 0;
        QPointer<QWidget> openAtReport; // gone with the box
        bool boxOpenAtReport = false;
        QStringList buttonTexts;
        QImage iconOnScreen;
        QTimer answerOnceDrawn;
        const QDeadlineTimer hangGuard(20000);
        connect(&answerOnceDrawn, &QTimer::timeout, this, [&] {
            if (drawnCalls > 0 && openAtReport) {
                const auto buttons = openAtReport->findChildren<QPushButton*>();
                for (QPushButton* button : buttons)
                    buttonTexts << button->text() + (button->isDefault() ? "*" : "");
                // The icon is the one plain widget of the box.
                for (const QWidget* child : openAtReport->findChildren<QWidget*>())
                    if (child->metaObject() == &QWidget::staticMetaObject)
                        iconOnScreen = IconAsShown(*openAtReport, child->geometry());
                QTest::keyClick(openAtReport, ok ? Qt::Key_Return : Qt::Key_Escape);
            } else if (hangGuard.hasExpired()) {
                if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    box->reject(); // never reported: fail below, do not hang
            }
        });
        answerOnceDrawn.start(10);
        QtDialogs dialogs;
        const bool accepted = MainForm::SafetyWarningAccepted(dialogs, [&] {
            ++drawnCalls;
            openAtReport = QApplication::activeModalWidget();
            boxOpenAtReport = openAtReport && openAtReport->isVisible() &&
                              openAtReport->windowTitle() == QStringLiteral("Vorsicht!!!");
        });
        QCOMPARE(accepted, ok);
        QCOMPARE(drawnCalls, 1);
        QVERIFY(boxOpenAtReport);
        // Enter takes the default, OK; Escape cancels. Texts as Qt's own boxes have them.
        const QMessageBox qtBox(QMessageBox::Critical, {}, {},
                                QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(buttonTexts, QStringList({qtBox.button(QMessageBox::Ok)->text() + "*",
                                           qtBox.button(QMessageBox::Cancel)->text()}));
        // The icon, looked up only when drawn, is the one Qt's own box shows.
        QImage expected(iconOnScreen.size(), QImage::Format_RGB32);
        expected.fill(qtBox.palette().color(QPalette::Window));
        QPainter(&expected).drawPixmap(0, 0, qtBox.iconPixmap());
        QVERIFY(!iconOnScreen.isNull());
        QCOMPARE(iconOnScreen, expected);
    }

    void firstFrameDrawnOnceTheBankIsPainted()
    {
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        bool bankAtReport = false;
        QSignalSpy reports(&form->form, &MainForm::firstFrameDrawn);
        connect(&form->form, &MainForm::firstFrameDrawn, this, [&] {
            bankAtReport = form->Renderer().HasFaderImage() && !form->Renderer().CoverShown;
        });
        form->ShowCoveringScreen();
        QTRY_COMPARE(reports.size(), 1);
        QVERIFY(bankAtReport);
        form->form.FormResize(); // later frames report nothing
        QCoreApplication::processEvents();
        QCOMPARE(reports.size(), 1);
    }

    void firstStartUsesDefaultsAndShutdownWritesNineKeysInOrder()
    {
        {
            auto form = MakeForm();
            QVERIFY(form->StartUp());
            const GameState& state = form->State();
            QCOMPARE(state.LowCutBand, 11);
            QCOMPARE(state.HighCutBand, 22);
            QCOMPARE(state.MasterVolume, -10);
            QCOMPARE(state.SoundCardId, 0);
            QCOMPARE(state.ScoringMode, 1);
            QCOMPARE(state.FeedbackTimeSetting, 0);
            QCOMPARE(state.RandomStartSeconds, 0);
            QCOMPARE(state.AutoRestartSeconds, 0);
            QCOMPARE(state.GameMode, ModeIdle);
            QVERIFY(state.ResultsFileName.isEmpty());
        }
        QCOMPARE(KeysInOrder(ReadText(SettingsPath())),
                 QStringList({"LowCut", "Highcut", "Selektmode", "SoundStop", "Zufallszeit",
                              "StartZeit", "Volumen", "Soundkarte", "Dateiname"}));
    }

    void changedSettingsSurviveARestart()
    {
        {
            auto form = MakeForm();
            QVERIFY(form->StartUp());
            form->Faders().ChangeCutRange(CutEdge::Low, 4);
            form->Faders().SetMasterVolume(3);
            // As a results command would have left it.
            form->session.WritableState().ResultsFileName = QStringLiteral("C:\\Daten\\Übung.HMD");
        }
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        QCOMPARE(form->State().LowCutBand, 4);
        QCOMPARE(form->State().MasterVolume, 3);
        QCOMPARE(form->State().ResultsFileName, QStringLiteral("C:\\Daten\\Übung.HMD"));
    }

    void startUpPreparesTheBandTables()
    {
        WriteText(SettingsPath(), "[Filter]\nLowCut=3\nHighcut=24\n");
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        const GameState& state = form->State();
        for (int i = 0; i < BandCount; ++i) {
            const BandSlot& stored = state.StoredBandTable[i];
            const BandSlot& current = state.BandTable[i];
            // The stored copy was taken before anything was locked.
            QCOMPARE(stored.Locked, std::uint8_t(0));
            QCOMPARE(std::memcmp(stored.Label, current.Label, sizeof stored.Label), 0);
            QCOMPARE(double(stored.Frequency), double(current.Frequency));
            QCOMPARE(stored.Finds + stored.Attempts + stored.FindTime + stored.Level, 0);
            QCOMPARE(current.Locked, std::uint8_t(i >= 3 && i <= 24 ? 0 : 1));
        }
        QCOMPARE(BandLabel(state.BandTable[15]), QStringLiteral("1k"));
        QCOMPARE(state.SelectedFader, NoFader);
        QCOMPARE(state.RingingBand, NoFader);
        QVERIFY(form->Tone().SoundIdle());
        QVERIFY(form->Panel1()->pNeu->isHidden());
    }

    void commandLineFileWinsOverTheRememberedOne()
    {
        // Two results files that differ in one counter, written as the game writes them.
        auto writeResults = [](const QString& path, int finds) {
            BandArray bands{};
            bands[15].Finds = finds;
            bands[15].Attempts = finds * 2;
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(reinterpret_cast<const char*>(bands.data()), sizeof bands);
        };
        const QString remembered = programDir_.filePath("alt.HMD");
        const QString named = programDir_.filePath("neu.HMD");
        writeResults(remembered, 3);
        writeResults(named, 5);
        WriteText(SettingsPath(), "[Daten]\nDateiname=" + remembered.toUtf8() + "\n");

        auto form = MakeForm({named});
        QVERIFY(form->StartUp());
        QCOMPARE(int(form->State().StoredBandTable[15].Finds), 5);
        QCOMPARE(form->State().ResultsFileName, named);
        QVERIFY(form->Menu()->Actions().Total->isEnabled());
        QVERIFY(form->Menu()->Actions().Speichern->isEnabled());
        // Start-up went on as usual after loading.
        QCOMPARE(form->State().BandTable[15].Locked, std::uint8_t(0));
        QVERIFY(form->Panel1()->pNeu->isHidden());
    }

    void activeWindowFillsTheScreenAndRetitles()
    {
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        form->form.show();
        form->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form->form));
        QTRY_COMPARE(form->form.geometry(), form->form.screen()->geometry());
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Schrillsucher"));
        QVERIFY(form->form.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!form->Renderer().CoverShown);
        QVERIFY(form->form.menuBar()->isVisible());
        QVERIFY(form->Panel1()->isVisible());

        // The picture is the fader bank at the paint box's size, not the cover.
        QTRY_VERIFY(form->Renderer().HasFaderImage());
        QCOMPARE(form->Renderer().PaintBoxSize(), form->Fader()->DeviceSize());
        QCOMPARE(form->Panel2()->text(), QString());
    }

    void windowLayout()
    {
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        form->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form->form));
        StatusPanel* panel = form->Panel1();
        QCOMPARE(panel->height(), 102);
        QCOMPARE(form->Panel2()->height(), 31);
        QCOMPARE(form->Panel2()->font().italic(), true);
        QCOMPARE(panel->Label1->geometry().topLeft(), QPoint(14, 10));
        QCOMPARE(panel->Label2->geometry().topLeft(), QPoint(14, 39));
        QCOMPARE(panel->Label3->geometry().topLeft(), QPoint(14, 68));
        QCOMPARE(panel->Label1->font().pixelSize(), 13);
        QCOMPARE(panel->pStart->geometry(), QRect(panel->width() - 166, 0, 166, 102));
        QCOMPARE(panel->pNeu->geometry(), QRect(panel->width() - 332, 0, 166, 102));
        QCOMPARE(panel->pStart->font().pixelSize(), 16);
        // Panel2 sits at the very bottom, the status panel right above it.
        const QWidget* central = form->form.centralWidget();
        QCOMPARE(form->Panel2()->geometry().bottom(), central->height() - 1);
        QCOMPARE(panel->geometry().bottom() + 1, form->Panel2()->geometry().top());
        QCOMPARE(form->Fader()->geometry().bottom() + 1, panel->geometry().top());
        QCOMPARE(form->Fader()->cursor().shape(), Qt::PointingHandCursor);
    }

    void soundDevicesAtStartUp_data()
    {
        QTest::addColumn<int>("deviceCount");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<bool>("soundCardMenuEnabled");
        QTest::newRow("none") << 0 << true << false;
        QTest::newRow("one") << 1 << false << false;
        QTest::newRow("three") << 3 << false << true;
    }

    void soundDevicesAtStartUp()
    {
        QFETCH(int, deviceCount);
        QFETCH(bool, warned);
        QFETCH(bool, soundCardMenuEnabled);
        waveOut_.productNames.clear();
        for (int i = 0; i < deviceCount; ++i)
            waveOut_.productNames << QStringLiteral("Karte %1").arg(i);
        waveOut_.calls.clear();
        dialogs_.boxAnswers = {DialogResult::Ok};
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        QCOMPARE(dialogs_.captions().contains("Keine Soundkarte gefunden"), warned);
        if (warned) {
            const MessageBoxRequest& box = dialogs_.boxes.at(1);
            QCOMPARE(box.text, QStringLiteral("Dieses Programm benötigt eine Soundkarte."));
            QCOMPARE(box.icon, DialogIcon::Error);
            QCOMPARE(box.buttons, DialogButtons::Ok);
        }
        QCOMPARE(form->Menu()->Actions().Soundkarte->isEnabled(), soundCardMenuEnabled);

        // Without a device its report is the only box: no volume is sent.
        if (deviceCount == 0) {
            QCOMPARE(dialogs_.captions().count(), 2);
            QCOMPARE(waveOut_.calls.count(), 0);
            return;
        }
        // The default volume -10 goes to device 0 (handle 0) before anything is open.
        QVERIFY(!waveOut_.calls.isEmpty());
        const FakeWaveOut::Call& first = waveOut_.calls.first();
        QCOMPARE(first.operation, QStringLiteral("SetVolume"));
        QCOMPARE(first.handle, WaveHandle(0));
        QCOMPARE(first.value, std::uint32_t(5461) | (std::uint32_t(5461) << 16));
    }

    void lateDeviceScanDelaysOnlyItsOwnSteps_data()
    {
        QTest::addColumn<int>("deviceCount");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("three") << 3;
    }

    void lateDeviceScanDelaysOnlyItsOwnSteps()
    {
        // Neither the warning nor the bank waits for the scan; the box, the
        // menu item and the start-up volume follow it, in that order.
        QFETCH(int, deviceCount);
        SetDeviceCount(deviceCount);
        waveOut_.scanLate = true;
        waveOut_.SetResult("SetVolume", 1); // its box shows when the volume went out
        auto form = MakeForm();
        QStringList seen;
        dialogs_.onBox = [&](const MessageBoxRequest& box) {
            seen << QStringLiteral("%1, menu %2, volume calls %3")
                        .arg(box.caption)
                        .arg(form->Menu()->Actions().Soundkarte->isEnabled() ? "on" : "off")
                        .arg(DeviceCalls().count(QStringLiteral("SetVolume 0")));
        };
        QVERIFY(form->StartUp());
        form->ShowCoveringScreen();
        QVERIFY(QTest::qWaitForWindowActive(&form->form));
        // The bank's first frame reaches the window.
        QTRY_VERIFY(form->Renderer().HasFaderImage());
        const QImage bank = form->Renderer().PaintStraightforward(form->State());
        const auto shown = [&] {
            const QPoint at = form->Fader()->mapTo(&form->form, QPoint(0, 0));
            return form->form.screen()
                ->grabWindow(form->form.winId())
                .toImage()
                .copy(QRect(at, form->Fader()->size()))
                .convertToFormat(bank.format());
        };
        QTRY_VERIFY(shown() == bank);
        QVERIFY(!waveOut_.scanFinished());
        QCOMPARE(dialogs_.captions(), QStringList({"Vorsicht!!!"}));
        QVERIFY(waveOut_.calls.isEmpty());
        QVERIFY(!form->Menu()->Actions().Soundkarte->isEnabled());

        waveOut_.FinishScan();
        QTRY_COMPARE(dialogs_.boxes.size(), 2);
        QStringList expected = {"Vorsicht!!!, menu off, volume calls 0"};
        // Without a device the one box says so; no volume goes out.
        if (deviceCount == 0)
            expected << "Keine Soundkarte gefunden, menu off, volume calls 0";
        else
            expected << QStringLiteral("Set Vol, menu %1, volume calls 1")
                            .arg(deviceCount > 1 ? "on" : "off");
        QCOMPARE(seen, expected);
        if (deviceCount == 0) {
            QVERIFY(DeviceCalls().isEmpty());
        } else {
            QCOMPARE(DeviceCalls(), QStringList({"SetVolume 0"}));
            QCOMPARE(waveOut_.calls.first().value,
                     std::uint32_t(5461) | (std::uint32_t(5461) << 16));
        }
        QCOMPARE(waveOut_.scanWaits, 0);
        // Once only.
        QTest::qWait(20);
        QCOMPARE(dialogs_.boxes.size(), 2);
    }

    void deviceNeededBeforeTheScanEndsWaitsForIt_data()
    {
        QTest::addColumn<bool>("generator");
        QTest::addColumn<int>("reports"); // of the missing device
        // The START's own report is the one of the start-up steps it ran.
        QTest::newRow("START") << false << 1;
        // Switching on ran the start-up steps; raising a fader reports again.
        QTest::newRow("feedback generator") << true << 2;
    }

    void deviceNeededBeforeTheScanEndsWaitsForIt()
    {
        QFETCH(bool, generator);
        QFETCH(int, reports);
        SetDeviceCount(0);
        waveOut_.scanLate = true;
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        form->ShowCoveringScreen();
        QVERIFY(QTest::qWaitForWindowActive(&form->form));
        QVERIFY(!waveOut_.scanFinished());

        if (generator) {
            form->Menu()->Actions().Feedbackgenerator->trigger();
            form->Faders().SelectFader(15);
            form->Faders().SetLevel(15, 8);
            form->Game().EvaluateFader(); // a raised fader plays
        } else {
            QTest::mouseClick(form->Panel1()->pStart, Qt::LeftButton);
        }
        QCOMPARE(waveOut_.scanWaits, 1);
        // The start-up steps first; without a device nothing plays.
        QCOMPARE(dialogs_.captions(),
                 QStringList({"Vorsicht!!!"}) + QStringList(reports, "Keine Soundkarte gefunden"));
        QVERIFY(DeviceCalls().isEmpty());
        QVERIFY(form->Tone().SoundIdle());

        // The scan's own notice comes later and changes nothing.
        const int boxes = dialogs_.boxes.size();
        QTest::qWait(20);
        QCOMPARE(dialogs_.boxes.size(), boxes);
        QCOMPARE(DeviceCalls().count(QStringLiteral("SetVolume 0")), 0);
    }

    void buttonsAndStatusLinesReachScreenReaders()
    {
        auto form = MakeForm();
        QVERIFY(form->StartUp());
        form->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form->form));
        QAccessibleInterface* start = QAccessible::queryAccessibleInterface(form->Panel1()->pStart);
        QVERIFY(start);
        QCOMPARE(start->role(), QAccessible::Button);
        QCOMPARE(start->text(QAccessible::Name), QStringLiteral("START"));
        QAccessibleInterface* neu = QAccessible::queryAccessibleInterface(form->Panel1()->pNeu);
        QCOMPARE(neu->text(QAccessible::Name), QStringLiteral("NEUES SPIEL"));

        // The status lines as the game writes them are what a screen reader reads.
        form->Game().Timer1Timer();
        QString heard;
        for (QLabel* label :
             {form->Panel1()->Label1, form->Panel1()->Label2, form->Panel1()->Label3}) {
            QAccessibleInterface* line = QAccessible::queryAccessibleInterface(label);
            QVERIFY(line);
            QCOMPARE(line->text(QAccessible::Name), label->text());
            heard += line->text(QAccessible::Name);
        }
        QVERIFY(!heard.isEmpty());
    }

    // A pipe in place of any file the game reads: one German box that names
    // it, nothing waits on it, nothing is written through it, and the game
    // goes on.
    void pipeInPlaceOfAFileIsReportedNotWaitedFor_data()
    {
        QTest::addColumn<PipeFor>("place");
        QTest::addColumn<QString>("caption"); // empty: the application's title
        QTest::newRow("Musik ...") << PipeFor::MusicBed << QStringLiteral("Hintergrund");
        QTest::newRow("remembered music")
            << PipeFor::MusicRemembered << QStringLiteral("Hintergrund");
        QTest::newRow("results file on the command line")
            << PipeFor::ResultsCommandLine << QString();
        QTest::newRow("Laden") << PipeFor::ResultsLaden << QString();
        QTest::newRow("remembered results file") << PipeFor::ResultsRemembered << QString();
        QTest::newRow("settings file") << PipeFor::Settings << QStringLiteral("Einstellungen");
        QTest::newRow("journal") << PipeFor::Journal << QStringLiteral("Trainingsjournal");
        QTest::newRow("journal's -wal")
            << PipeFor::JournalWal << QStringLiteral("Trainingsjournal");
    }

    void pipeInPlaceOfAFileIsReportedNotWaitedFor()
    {
        QFETCH(PipeFor, place);
        QFETCH(QString, caption);
        GameHarness game;
        QString path =
            game.programDir.filePath(place <= PipeFor::MusicRemembered ? QStringLiteral("musik.wav")
                                                                       : QStringLiteral("x.HMD"));
        if (place == PipeFor::Settings)
            path = game.SettingsPath();
        if (place >= PipeFor::Journal) {
            path = game.JournalPath() + (place == PipeFor::JournalWal ? "-wal" : "");
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        }
        const GuardedFifo fifo(path);
        QVERIFY2(fifo.Made(), qPrintable(fifo.Error()));
        const QStringList arguments =
            place == PipeFor::ResultsCommandLine ? QStringList{path} : QStringList{};
        QByteArray settings = "[Spiel]\nSelektmode=0\n";
        if (place == PipeFor::ResultsRemembered)
            settings += "[Daten]\nDateiname=" + path.toUtf8() + "\n";
        if (place == PipeFor::MusicRemembered)
            settings += "[Training]\nHintergrund=2\nMusik=" + path.toUtf8() + "\n";
        QVERIFY(place == PipeFor::Settings ? game.StartAsIs() : game.Start(settings, arguments));
        if (caption.isEmpty())
            caption = QGuiApplication::applicationDisplayName();

        game.dialogs.fileAnswers << path;
        if (place == PipeFor::MusicBed)
            game.form->Training()->Actions().Musik->trigger();
        if (place == PipeFor::ResultsLaden)
            game.form->Menu()->Actions().Laden->trigger();
        const auto playTurn = [&] {
            game.StartTurnRinging(DrawFor1k);
            game.ClickFader(15);
            return game.State().GameMode == ModeTurnOver;
        };
        if (place >= PipeFor::Journal)
            QVERIFY(playTurn()); // the journal opens when the turn ends
        if (place == PipeFor::Settings) {
            QCOMPARE(game.State().LowCutBand, SettingDefaults::LowCut);
            game.Stop(); // written back at the end
        }
        const auto pipeBoxes = [&] {
            QList<MessageBoxRequest> found;
            for (const MessageBoxRequest& box : game.dialogs.boxes)
                if (box.text.contains(QDir::toNativeSeparators(path)) &&
                    box.text.contains(QStringLiteral("keine gewöhnliche Datei")))
                    found << box;
            return found;
        };
        QTRY_COMPARE_WITH_TIMEOUT(pipeBoxes().size(), 1, 10000);
        QCOMPARE(pipeBoxes().constFirst().caption, caption);
        QVERIFY(!fifo.Waited());

        if (game.form) {
            QVERIFY(playTurn());
            QVERIFY(playTurn());
            game.Stop();
        }
        QCOMPARE(pipeBoxes().size(), 1);
        QVERIFY(!fifo.Waited());
        const QFileInfo stillThePipe(path);
        QVERIFY(stillThePipe.exists() && !stillThePipe.isFile());
    }
};

QTEST_MAIN(MainFormTest)
#include "tst_mainform.moc"
