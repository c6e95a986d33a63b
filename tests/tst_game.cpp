// Whole games through the real main window: START, mouse clicks and drags,
// keys, finds, NEUES SPIEL, the automatic and the random start, with a
// scripted wave device, a fake clock and a scripted random generator.

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainMenu.h"
#include "game/StatusPanel.h"
#include "session/FaderInput.h"
#include "session/GameFlow.h"
#include "support/GameHarness.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <cmath>
#include <memory>

class GameTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GameHarness> rig_;

    const GameState& State() const { return rig_->State(); }
    bool SoundIdle() { return rig_->SoundIdle(); }
    GameFlow& Game() { return rig_->Game(); }
    StatusPanel* Panel() { return rig_->Panel(); }
    void Start(const QByteArray& settings) { QVERIFY(rig_->Start(settings)); }
    QPoint FaderPoint(int fader, int level = 0) { return rig_->FaderPoint(fader, level); }
    void ClickFader(int fader, Qt::MouseButton button = Qt::LeftButton)
    {
        rig_->ClickFader(fader, button);
    }
    void DragTo(int level) { rig_->DragTo(level); }
    void ClickStart() { rig_->ClickStart(); }
    void StartTurnRinging(int draw)
    {
        rig_->StartTurnRinging(draw);
        QCOMPARE(State().GameMode, ModeSearching);
        QVERIFY(!SoundIdle());
    }
    int Calls(const QString& operation) const { return rig_->Calls(operation); }
    QStringList Labels() { return rig_->Labels(); }

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init() { rig_ = std::make_unique<GameHarness>(); }
    void cleanup() { rig_.reset(); }

    void anwahlFindsBySelection()
    {
        Start("[Spiel]\nSelektmode=0\n");
        QVERIFY(Panel()->pNeu->isHidden());
        StartTurnRinging(DrawFor1k);
        QVERIFY(Panel()->pNeu->isVisible());
        QCOMPARE(State().RingingBand, 15);
        QVERIFY(State().ToneFrequency > 894.4 && State().ToneFrequency < 1118.1);
        QCOMPARE(Calls("Restart"), 1);

        ClickFader(14); // wrong
        QCOMPARE(State().TurnAttempts, 1);
        QCOMPARE(State().BandTable[14].Locked, std::uint8_t(1));
        ClickFader(13); // wrong
        ClickFader(14); // tried already: counts no more
        ClickFader(3);  // below the cut: not in play
        QCOMPARE(State().TurnAttempts, 2);
        QCOMPARE(Labels().at(0).left(11), QStringLiteral("Aktuell: 2 "));

        rig_->clock.Advance(4321);
        ClickFader(15);
        QCOMPARE(State().GameMode, ModeTurnOver);
        QCOMPARE(State().TurnAttempts, 3);
        QVERIFY(SoundIdle());
        QCOMPARE(Calls("Reset"), 1);
        QCOMPARE(Calls("Close"), 1);
        QCOMPARE(int(State().BandTable[15].Finds), 1);
        QCOMPARE(int(State().BandTable[15].Attempts), 3);
        QCOMPARE(int(State().BandTable[15].FindTime), 4321);
        for (const BandSlot& slot : State().BandTable)
            QCOMPARE(slot.Locked, std::uint8_t(1));
        QVERIFY(rig_->form->Menu()->Actions().SpeichernUnter->isEnabled());
        QCOMPARE(Labels(), QStringList({"Aktuell: 3 Zeit:4,3s.", "  Total: 3 OK:1 Zeit:4,3s.",
                                        "Schnitt: 3,0 Zeit:4,3s."}));
    }

    void absenkungNeedsTheFaderPulledDown()
    {
        Start("[Spiel]\nSelektmode=1\n");
        StartTurnRinging(DrawFor1k);
        ClickFader(14);
        QCOMPARE(State().TurnAttempts, 0); // selecting alone counts nothing
        DragTo(-6);
        QCOMPARE(int(State().BandTable[14].Level), -6);
        QCOMPARE(State().TurnAttempts, 1);
        QCOMPARE(State().BandTable[14].Locked, std::uint8_t(1));
        DragTo(-9);
        QCOMPARE(State().TurnAttempts, 1); // once per turn

        ClickFader(15);
        DragTo(-5);
        QCOMPARE(State().GameMode, ModeSearching);
        DragTo(-6);
        QCOMPARE(State().GameMode, ModeTurnOver);
        QCOMPARE(State().GameAttempts, 2);
        QCOMPARE(State().GameFinds, 1);
    }

    void unknownScoringModeScoresLikeAbsenkung()
    {
        Start("[Spiel]\nSelektmode=2\n");
        StartTurnRinging(DrawFor1k);
        ClickFader(15);
        QCOMPARE(State().GameMode, ModeSearching);
        DragTo(-6);
        QCOMPARE(State().GameMode, ModeTurnOver); // the turn can still be won
    }

    void statusLinesAfterThreeFinds()
    {
        Start("[Spiel]\nSelektmode=0\n");
        const struct {
            int wrong;
            std::uint32_t ms;
        } turns[] = {{0, 4000}, {3, 4024}, {1, 4321}};
        for (const auto& turn : turns) {
            StartTurnRinging(DrawFor1k);
            for (int i = 0; i < turn.wrong; ++i)
                ClickFader(16 + i);
            rig_->clock.Advance(turn.ms);
            ClickFader(15);
            QCOMPARE(State().GameMode, ModeTurnOver);
        }
        QCOMPARE(Labels(), QStringList({"Aktuell: 2 Zeit:4,3s.", "  Total: 7 OK:3 Zeit:12,3s.",
                                        "Schnitt: 2,3 Zeit:4,1s."}));
    }

    void startWhileRingingGivesUpTheTurn()
    {
        Start("[Spiel]\nSelektmode=0\n");
        StartTurnRinging(DrawFor800);
        ClickFader(15);
        QCOMPARE(State().TurnAttempts, 1);
        ClickStart();
        QCOMPARE(State().GameMode, ModeTurnOver);
        QVERIFY(SoundIdle());
        QCOMPARE(State().GameAttempts, 0);
        QCOMPARE(State().GameFinds, 0);
        QCOMPARE(int(State().BandTable[14].Finds), 0);
        // The next turn opens every band in play again.
        StartTurnRinging(DrawFor800);
        QCOMPARE(State().BandTable[15].Locked, std::uint8_t(0));
        QCOMPARE(State().TurnAttempts, 0);
    }

    void noSoundDeviceStartsNothing_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("generator");
        QTest::newRow("START") << QByteArray() << false;
        QTest::newRow("START, random delay") << QByteArray("[Spiel]\nZufallszeit=4\n") << false;
        QTest::newRow("generator fader raised") << QByteArray() << true;
    }

    // Each try to play says once that there is no device, and nothing else
    // happens: no turn, no count, no device call.
    void noSoundDeviceStartsNothing()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, generator);
        rig_->waveOut.productNames.clear();
        Start(settings);
        rig_->dialogs.boxes.clear();
        if (generator)
            rig_->form->Menu()->Actions().Feedbackgenerator->trigger();
        const GameModeValue mode = State().GameMode;
        for (int tries = 1; tries <= 2; ++tries) {
            if (generator) {
                ClickFader(15);
                DragTo(8);
                DragTo(-8);
            } else {
                ClickStart();
            }
            QCOMPARE(rig_->dialogs.captions(), QStringList(tries, "Keine Soundkarte gefunden"));
            QCOMPARE(State().GameMode, mode);
            QVERIFY(SoundIdle());
            QVERIFY(rig_->waveOut.calls.isEmpty());
            QCOMPARE(State().TurnClockRunning, std::uint8_t(0));
            QVERIFY(!Game().startTimer.isActive());
        }
        const MessageBoxRequest& box = rig_->dialogs.boxes.last();
        QCOMPARE(box.text, QStringLiteral("Dieses Programm benötigt eine Soundkarte."));
        QCOMPARE(box.icon, DialogIcon::Error);
    }

    // A device that exists but fails shows one box per failing call, and the
    // turn goes on as if it played.
    void failingDeviceShowsItsChainOfBoxes()
    {
        Start("");
        for (const char* call : {"Open", "SetVolume", "Prepare", "Pause", "Write", "Restart"})
            rig_->waveOut.SetResult(call, WaveBadDeviceId);
        rig_->dialogs.boxes.clear();
        ClickStart();
        QCOMPARE(rig_->dialogs.captions(), QStringList({"Open", "Prepare 1", "Prepare 2", "Pause",
                                                        "Write 1", "Write 2", "Restart"}));
        QCOMPARE(State().GameMode, ModeSearching);
    }

    // A START click that waits in the event queue while the device opens,
    // resets or closes (a sound server can take a while) runs after that
    // start or stop is complete, never inside it.
    void clickWaitingWhileTheDeviceWorks_data()
    {
        QTest::addColumn<bool>("ringing");
        QTest::addColumn<QString>("busyIn");
        QTest::addColumn<QString>("expected");
        QTest::newRow("opening") << false << "Open"
                                 << "Open Restart Reset Close";
        QTest::newRow("resetting") << true << "Reset"
                                   << "Reset Close Open Restart";
        QTest::newRow("closing") << true << "Close"
                                 << "Reset Close Open Restart";
    }
    void clickWaitingWhileTheDeviceWorks()
    {
        QFETCH(bool, ringing);
        QFETCH(QString, busyIn);
        QFETCH(QString, expected);
        Start("[Spiel]\nSelektmode=0\n");
        if (ringing)
            StartTurnRinging(DrawFor800);
        rig_->waveOut.calls.clear();
        const qsizetype boxesBefore = rig_->dialogs.boxes.size();
        // Shared, not by reference: the hook outlives this function and
        // still sees the device calls of the window's shutdown.
        auto clicked = std::make_shared<bool>(false);
        QPointer<QPushButton> start = Panel()->pStart;
        rig_->waveOut.onCall = [clicked, busyIn, start](const QString& operation) {
            if (operation == busyIn && start && !std::exchange(*clicked, true))
                QMetaObject::invokeMethod(start, &QPushButton::click, Qt::QueuedConnection);
        };
        ClickStart();
        QCoreApplication::processEvents();
        QVERIFY(*clicked);
        QStringList steps;
        for (const FakeWaveOut::Call& call : rig_->waveOut.calls)
            if (QStringList{"Open", "Restart", "Reset", "Close"}.contains(call.operation))
                steps << call.operation;
        QCOMPARE(steps.join(' '), expected);
        QCOMPARE(rig_->dialogs.captions().mid(boxesBefore), QStringList());
        // Given up, or the next turn started: the clicks in their order.
        QCOMPARE(State().GameMode, ringing ? ModeSearching : ModeTurnOver);
        QCOMPARE(SoundIdle(), !ringing);
    }

    void neuesSpielAsksFirst()
    {
        Start("[Spiel]\nSelektmode=0\n");
        StartTurnRinging(DrawFor1k);
        ClickFader(15);
        QCOMPARE(State().GameFinds, 1);

        rig_->dialogs.boxAnswers = {DialogResult::No};
        QTest::mouseClick(Panel()->pNeu, Qt::LeftButton);
        const MessageBoxRequest& question = rig_->dialogs.boxes.last();
        QCOMPARE(question.caption, QStringLiteral("Neues Spiel starten?"));
        QCOMPARE(question.text,
                 QStringLiteral("Alle Ergebnisse gehen verloren. Trotzdem neues Spiel beginnen?"));
        QCOMPARE(question.buttons, DialogButtons::YesNo);
        QCOMPARE(question.icon, DialogIcon::Question);
        QCOMPARE(State().GameFinds, 1);
        QCOMPARE(State().GameMode, ModeTurnOver);

        rig_->dialogs.boxAnswers = {DialogResult::Yes};
        rig_->Faders().SetLevel(20, 5);
        QTest::mouseClick(Panel()->pNeu, Qt::LeftButton);
        QCOMPARE(State().GameMode, ModeIdle);
        QCOMPARE(State().GameFinds, 0);
        QCOMPARE(int(State().BandTable[20].Level), 0);
        QCOMPARE(State().SelectedFader, NoFader);
        QCOMPARE(int(State().BandTable[15].Finds), 0);
        QVERIFY(!rig_->form->Menu()->Actions().SpeichernUnter->isEnabled());
        QCOMPARE(Labels().at(0), QStringLiteral("Neues Spiel"));
    }

    void automaticNextTurn()
    {
        Start("[Spiel]\nSelektmode=0\nStartZeit=3\n");
        StartTurnRinging(DrawFor1k);
        ClickFader(15);
        QVERIFY(Game().reStart.isActive());
        QCOMPARE(Game().reStart.interval(), 3000);
        rig_->random.values = {DrawFor800, 10};
        Game().reStartTimer();
        QCOMPARE(State().GameMode, ModeSearching);
        QCOMPARE(State().RingingBand, 14);
        QVERIFY(!Game().reStart.isActive());
        QVERIFY(!Game().startTimer.isActive());

        // "Aus" during the wait cancels the pending turn.
        ClickFader(14);
        QVERIFY(Game().reStart.isActive());
        Game().StopAutoRestart();
        QVERIFY(!Game().reStart.isActive());
    }

    void randomStartDelay()
    {
        Start("[Spiel]\nSelektmode=0\nZufallszeit=4\n");
        rig_->random.values = {2500};
        ClickStart();
        QCOMPARE(rig_->random.bounds.first(), 4000);
        QCOMPARE(State().GameMode, ModeSearching);
        QVERIFY(SoundIdle()); // silent while the delay runs
        QVERIFY(Game().startTimer.isActive());
        QCOMPARE(Game().startTimer.interval(), 2500);
        QCOMPARE(Labels(), QStringList({"", "", ""}));

        rig_->random.values = {DrawFor1k, 0};
        Game().startTimerTimer();
        QVERIFY(!SoundIdle());
        QCOMPARE(State().RingingBand, 15);
        QCOMPARE(State().TurnClockRunning, std::uint8_t(1));
    }

    // Hand-edited seconds keep their meaning up to the longest timer interval.
    void longDelaysFromTheSettingsFile_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("intervalMs");
        QTest::newRow("one day") << 86400 << 86400000;
        QTest::newRow("largest that fits") << 2147483 << 2147483000;
        QTest::newRow("first that does not") << 2147484 << 2147483647;
        QTest::newRow("largest integer") << 2147483647 << 2147483647;
    }

    void longDelaysFromTheSettingsFile()
    {
        QFETCH(int, seconds);
        QFETCH(int, intervalMs);
        Start(QStringLiteral("[Spiel]\nSelektmode=0\nZufallszeit=%1\nStartZeit=%1\n")
                  .arg(seconds)
                  .toLatin1());
        rig_->random.values = {intervalMs - 1};
        ClickStart();
        QCOMPARE(rig_->random.bounds.first(), intervalMs);
        QVERIFY(SoundIdle()); // the delay runs; the turn has not started at once
        QVERIFY(Game().startTimer.isActive());
        QCOMPARE(Game().startTimer.interval(), intervalMs - 1);

        rig_->random.values = {DrawFor1k, 0};
        Game().startTimerTimer();
        ClickFader(15);
        QCOMPARE(State().GameMode, ModeTurnOver);
        QVERIFY(Game().reStart.isActive());
        QCOMPARE(Game().reStart.interval(), intervalMs);
    }

    void zeroDelayStartsAtOnce()
    {
        Start("[Spiel]\nZufallszeit=2\n");
        rig_->random.values = {0, DrawFor1k, 0};
        ClickStart();
        QVERIFY(!SoundIdle());
        QVERIFY(!Game().startTimer.isActive());
    }

    void rightClickAndEnterStartTheNextTurnOnlyAfterOne()
    {
        Start("[Spiel]\nSelektmode=0\n");
        StartTurnRinging(DrawFor1k);
        ClickFader(15, Qt::RightButton);
        QCOMPARE(State().GameMode, ModeSearching); // no effect during a turn
        ClickFader(15);
        QCOMPARE(State().GameMode, ModeTurnOver);

        rig_->random.values = {DrawFor800, 0};
        QTest::mouseClick(rig_->form->Fader(), Qt::RightButton, {}, FaderPoint(-1));
        QCOMPARE(State().GameMode, ModeSearching);
        QCOMPARE(State().RingingBand, 14);

        // Enter during a turn only levels the faders.
        ClickFader(20);
        QTest::keyClick(&rig_->form->form, Qt::Key_Up);
        QCOMPARE(int(State().BandTable[20].Level), 1);
        QTest::keyClick(&rig_->form->form, Qt::Key_Return);
        QCOMPARE(int(State().BandTable[20].Level), 0);
        QCOMPARE(State().GameMode, ModeSearching);
        ClickFader(14);
        QCOMPARE(State().GameMode, ModeTurnOver);
        rig_->random.values = {DrawFor1k, 0};
        QTest::keyClick(&rig_->form->form, Qt::Key_Return);
        QCOMPARE(State().GameMode, ModeSearching);
    }

    void timedFeedbackFallsSilentWhileTheTurnGoesOn()
    {
        Start("[Spiel]\nSelektmode=0\nSoundStop=3\n"); // "2 Sekunden"
        StartTurnRinging(DrawFor1k);
        QTimer& soundStop = rig_->form->Tone().SoundStop();
        QVERIFY(soundStop.isActive());
        QCOMPARE(soundStop.interval(), 2000);
        rig_->clock.Advance(2000);
        emit soundStop.timeout({});
        QCOMPARE(Calls("Pause"), 2); // one while queueing, one to fall silent
        QVERIFY(!soundStop.isActive());
        QVERIFY(!SoundIdle());
        QCOMPARE(State().GameMode, ModeSearching);
        rig_->clock.Advance(1500);
        QCOMPARE(Labels().at(0), QStringLiteral("Aktuell: 0 Zeit:3,5s.")); // the clock runs on
        ClickFader(15);
        QCOMPARE(State().GameMode, ModeTurnOver);
        QCOMPARE(State().LastFindTime, 3500u);
        QCOMPARE(Calls("Close"), 1);
    }

    void chartsFromTheMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::newRow("current attempts")
            << "AktuellVersuche" << int(ModeCurrentAttempts) << "Auswertung Aktuell Versuche";
        QTest::newRow("current times")
            << "AktuellZeit" << int(ModeCurrentTimes) << "Auswertung Aktuell Zeit";
    }

    void chartsFromTheMenu()
    {
        QFETCH(QString, item);
        QFETCH(int, mode);
        QFETCH(QString, title);
        Start("[Spiel]\nSelektmode=0\n");
        StartTurnRinging(DrawFor1k);
        const MainMenuActions& actions = rig_->form->Menu()->Actions();
        (item == "AktuellVersuche" ? actions.AktuellVersuche : actions.AktuellZeit)->trigger();
        QCOMPARE(int(State().GameMode), mode);
        QVERIFY(!SoundIdle()); // the tone rings on
        QCOMPARE(Labels().at(0), title);
        ClickFader(15); // nothing counts while a chart is shown
        QCOMPARE(State().GameFinds, 0);
        ClickStart(); // START leaves the chart
        QCOMPARE(State().GameMode, ModeTurnOver);
    }

    void keyboardWalk_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("none, right") << -1 << int(Qt::Key_Right) << 22;
        QTest::newRow("none, left") << -1 << int(Qt::Key_Left) << 22;
        QTest::newRow("11, right") << 11 << int(Qt::Key_Right) << 12;
        QTest::newRow("11, left") << 11 << int(Qt::Key_Left) << 22;
        QTest::newRow("15, right") << 15 << int(Qt::Key_Right) << 16;
        QTest::newRow("15, left") << 15 << int(Qt::Key_Left) << 14;
        QTest::newRow("22, right") << 22 << int(Qt::Key_Right) << 28;
        QTest::newRow("22, left") << 22 << int(Qt::Key_Left) << 21;
        QTest::newRow("volume, right") << 28 << int(Qt::Key_Right) << 28;
        QTest::newRow("volume, left") << 28 << int(Qt::Key_Left) << 11;
    }

    void keyboardWalk()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, to);
        Start("");
        rig_->Faders().SelectFader(from);
        // Wherever the focus is, the bank gets the key.
        Panel()->Label1->setFocusPolicy(Qt::StrongFocus);
        Panel()->Label1->setFocus();
        QTest::keyClick(Panel()->Label1, Qt::Key(key));
        QCOMPARE(State().SelectedFader, to);
    }

    void keysOnTheSelectedFader()
    {
        Start("[Spiel]\nSelektmode=0\n");
        StartTurnRinging(DrawFor1k);
        QTest::keyClick(&rig_->form->form, Qt::Key_V);
        QCOMPARE(State().SelectedFader, VolumeFader);
        QTest::keyClick(&rig_->form->form, Qt::Key_Up);
        QCOMPARE(State().MasterVolume, -9);
        QTest::keyClick(&rig_->form->form, Qt::Key_PageUp); // nothing on the volume fader
        QCOMPARE(State().MasterVolume, -9);
        QCOMPARE(State().TurnAttempts, 0);

        // Left from the volume fader selects the lowest band in play; moving
        // the selection by key evaluates nothing.
        QTest::keyClick(&rig_->form->form, Qt::Key_Left);
        QCOMPARE(State().SelectedFader, 11);
        QCOMPARE(State().TurnAttempts, 0);
        QTest::keyClick(&rig_->form->form, Qt::Key_PageUp);
        QCOMPARE(int(State().BandTable[11].Level), 12);
        QCOMPARE(State().TurnAttempts, 1); // the lowest band in play can be tried
        QTest::keyClick(&rig_->form->form, Qt::Key_Space);
        QCOMPARE(int(State().BandTable[11].Level), 0);

        // Up at +12 changes nothing but still evaluates: under "Anwahl" it finds.
        QTest::keyClick(&rig_->form->form, Qt::Key_Right);
        QTest::keyClick(&rig_->form->form, Qt::Key_Right);
        QTest::keyClick(&rig_->form->form, Qt::Key_Right);
        QTest::keyClick(&rig_->form->form, Qt::Key_Right);
        QCOMPARE(State().SelectedFader, 15);
        rig_->Faders().SetLevel(15, 12);
        QTest::keyClick(&rig_->form->form, Qt::Key_Up);
        QCOMPARE(State().GameMode, ModeTurnOver);
        QCOMPARE(State().TurnAttempts, 2);
    }

    void clickHitTest_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("fader");
        QTest::newRow("first column deselects") << 0 << -1;
        QTest::newRow("column 1 is band 0") << 1 << 0;
        QTest::newRow("column 28 is band 27") << 28 << 27;
        QTest::newRow("gap selects band 27") << 29 << 27;
        QTest::newRow("column 30 is volume") << 30 << 28;
        QTest::newRow("column 31 is volume") << 31 << 28;
    }

    void clickHitTest()
    {
        QFETCH(int, column);
        QFETCH(int, fader);
        Start("");
        rig_->Faders().SelectFader(5);
        const int columnWidth = rig_->form->Renderer().ColumnWidth();
        QTest::mouseClick(rig_->form->Fader(), Qt::LeftButton, {},
                          QPoint(column * columnWidth + columnWidth / 2, 50));
        QCOMPARE(State().SelectedFader, fader);
    }

    void dragLevelFollowsTheTrack()
    {
        Start("");
        const FaderRenderer& renderer = rig_->form->Renderer();
        const FaderGeometry& g = renderer.Geometry();
        FaderInput input(
            Game(), State(), [&]() -> const FaderGeometry& { return renderer.Geometry(); },
            [&] { return renderer.PaintBoxSize(); });
        QCOMPARE(input.DragLevel(g.TrackTop - 50), 12);
        QCOMPARE(input.DragLevel(g.TrackTop + g.TrackHeight + 50), -12);
        // The pointer at the height of a level step's mark sets that level.
        const double trackTop = rig_->form->Renderer().PaintBoxSize().height() / 10.0;
        for (int level = -12; level <= 12; ++level) {
            const int y = int(std::lround(trackTop + (12 - level) * g.TrackHeight / 25.0));
            QCOMPARE(input.DragLevel(y), level);
        }
    }

    void noColumnInATinyPaintBox()
    {
        Start("");
        FaderInput input(
            Game(), State(),
            []() -> const FaderGeometry& {
                static FaderGeometry narrow;
                return narrow;
            },
            [] { return QSize(10, 10); });
        QCOMPARE(input.HitTest(5), NoFader);
        QCOMPARE(input.DragLevel(5), 0);
    }

    void turnOverReplayLeavesWithTheMouse()
    {
        Start("[Spiel]\nSelektmode=0\n");
        StartTurnRinging(DrawFor1k);
        ClickFader(15);
        QCOMPARE(State().GameMode, ModeTurnOver);
        // Dragging after a turn moves only the ringing band.
        ClickFader(14);
        DragTo(8);
        QCOMPARE(int(State().BandTable[14].Level), 0);
        ClickFader(15);
        QCOMPARE(State().BandTable[14].Locked, std::uint8_t(0)); // left: reset and opened
        DragTo(8);
        QCOMPARE(int(State().BandTable[15].Level), 8);
        QVERIFY(SoundIdle()); // still marked from the find: no replay
        DragTo(-8);
        QCOMPARE(State().BandTable[15].Locked, std::uint8_t(0));
        const double foundFrequency = State().ToneFrequency;
        DragTo(7);
        QVERIFY(!SoundIdle()); // the turn's own tone again
        QCOMPARE(State().ToneFrequency, foundFrequency);
        QCOMPARE(State().GameMode, ModeTurnOver);
        DragTo(-6);
        QVERIFY(SoundIdle());
    }
};

QTEST_MAIN(GameTest)
#include "tst_game.moc"
