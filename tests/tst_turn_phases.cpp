// The phases of a turn and how they follow each other, as the player meets
// them: each row walks the real window into a phase with clicks, keys, menu
// choices and timers, does one more thing, and checks what the status line
// says, what the wave device plays and whether a band fader follows a drag.

#include "audio/ToneSynthesis.h"
#include "game/StatusPanel.h"
#include "session/GameFlow.h"
#include "session/TurnKind.h"
#include "support/GameHarness.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

constexpr int OtherBand = 13; // in play, never the ringing band below
// The room of this seed first howls near 1.7 kHz (band 17), and no other pole
// grows once that is cut.
constexpr int StageSeed = 5;

// A kind of turn only this test knows: nothing sounds, band 15 is the answer.
class SilentTurn final : public TurnKind {
  public:
    void Begin() override
    {
        Host().PrepareTurn();
        Host().SetRinging(15, 1000.0);
        Host().Fire(TurnEvent::TurnToneStarted);
        Host().BeginSearch();
    }
    void End() override
    {
        Host().Fire(TurnEvent::GivenUp);
        Host().CloseSearchAbandoned();
    }
    void Judge(int band) override
    {
        if (band != 15)
            return Host().CountWrongTry(band, true);
        Host().Fire(TurnEvent::Found);
        Host().RecordFind();
        Host().CloseSearchFound();
    }
    StatusLines Tick(TurnPhase) override
    {
        StatusLines lines = Host().BankLines();
        lines.Label1.text = QStringLiteral("Stille Runde");
        return lines;
    }
};

} // namespace

class TurnPhasesTest : public QObject {
    Q_OBJECT

  private:
    SilentTurn silent_; // outlives every window the flow of which it plays in
    std::unique_ptr<GameHarness> rig_;

    // One step of the player. The turn's draws are scripted: band 15 rings,
    // a random start waits 5 ms.
    void Do(const QString& step)
    {
        GameHarness& rig = *rig_;
        if (step == "start") {
            rig.random.values = {DrawFor1k, 45};
            rig.ClickStart();
        } else if (step == "start after delay") {
            rig.random.values = {3000, DrawFor1k, 45}; // stays pending while the row checks
            rig.ClickStart();
        } else if (step == "start after a short delay") {
            rig.random.values = {5, DrawFor1k, 45};
            rig.ClickStart();
        } else if (step == "delay runs out") {
            QTRY_VERIFY(!rig.SoundIdle());
        } else if (step == "next turn is due") {
            // A tone starts, or a replay that still rings falls silent.
            rig.random.values = {DrawFor1k, 45};
            const bool wasIdle = rig.SoundIdle();
            QTRY_VERIFY_WITH_TIMEOUT(rig.SoundIdle() != wasIdle, 3000);
        } else if (step == "click ringing") {
            rig.ClickFader(15);
        } else if (step == "click other") {
            rig.ClickFader(OtherBand);
        } else if (step == "raise ringing") {
            // The find locked it; a pull down opens it again.
            rig.ClickFader(15);
            rig.DragTo(-6);
            rig.DragTo(6);
        } else if (step == "raise other") {
            rig.ClickFader(OtherBand);
            rig.DragTo(6);
        } else if (step == "pull down") {
            rig.DragTo(-6);
        } else if (step == "right button") {
            rig.random.values = {DrawFor1k, 45};
            rig.ClickFader(OtherBand, Qt::RightButton);
        } else if (step == "enter") {
            rig.random.values = {DrawFor1k, 45};
            rig.Key(Qt::Key_Return);
        } else if (step == "arrow right") {
            rig.Key(Qt::Key_Right);
        } else if (step == "start stage") {
            rig.random.values = {StageSeed};
            rig.ClickStart();
        } else if (step == "cut the howl" || step == "cut two octaves away") {
            const int howl = rig.State().RingingBand;
            rig.ClickFader(step == "cut the howl" ? howl : howl - 6);
            rig.DragTo(-12);
        } else if (step == "gain rises to a howl") {
            for (int rise = 0; rise < 30 && rig.Game().Phase() == TurnPhase::StageRingingOut;
                 ++rise)
                rig.RiseStageGain();
        } else if (step == "space") {
            rig.Key(Qt::Key_Space);
        } else if (step == "new game") {
            rig.dialogs.boxAnswers = {DialogResult::Yes};
            rig.ClickNewGame();
        } else {
            // A menu item by the text the player reads.
            QVERIFY2(rig.TriggerMenuItem(step), qPrintable(step));
        }
    }

    // What the device plays: "" when nothing, else the frequency of the
    // tone's first second, checked sample for sample.
    QString Heard()
    {
        FakeWaveOut& wave = rig_->waveOut;
        if (rig_->stagePlayer.Playing())
            return rig_->SoundIdle() ? QStringLiteral("stage") : QStringLiteral("stage and tone");
        if (rig_->SoundIdle() || wave.paused() || wave.queuedBlocks() == 0)
            return {};
        const std::size_t before = wave.played().size();
        if (!wave.FinishNextBlock())
            return QStringLiteral("no block");
        const std::vector<std::int16_t> block(wave.played().begin() + std::ptrdiff_t(before),
                                              wave.played().end());
        for (const double hz :
             {rig_->State().ToneFrequency, rig_->State().BandTable[OtherBand].Frequency}) {
            ToneSynthesis reference;
            reference.StartTone(hz);
            std::vector<std::int16_t> expected(BlockSamples);
            reference.FillToneBlock(expected.data());
            if (block == expected)
                return hz == rig_->State().BandTable[OtherBand].Frequency ? "other band" : "turn";
        }
        return QStringLiteral("another tone");
    }

    // Whether a drag moves a band fader that is not the ringing one.
    bool OtherBandFollowsDrag()
    {
        const int before = rig_->State().BandTable[OtherBand].Level;
        rig_->ClickFader(OtherBand);
        rig_->DragTo(before == -3 ? -2 : -3);
        return rig_->State().BandTable[OtherBand].Level != before;
    }

  private slots:
    void init() { rig_ = std::make_unique<GameHarness>(); }
    void cleanup() { rig_.reset(); }

    void phases_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("statusLine");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<bool>("dragMoves");

        const QByteArray anwahl = "[Spiel]\nSelektmode=0\n";
        const QByteArray delayed = "[Spiel]\nSelektmode=0\nZufallszeit=4\n";
        const QByteArray autoNext = "[Spiel]\nSelektmode=0\nStartZeit=1\n";
        const QString turnLine = "Aktuell: ";
        const QStringList searching{"start"};
        const QStringList found{"start", "click ringing"};
        const QStringList replay{"start", "click ringing", "raise ringing"};
        const QStringList generator{"Spielablauf/Feedbackgenerator"};
        const QByteArray stage = "[Spiel]\nSelektmode=0\nZufallszeit=4\nStartZeit=1\n"
                                 "SoundStop=2\n[Training]\nBuehne=1\n";
        const QString howling = "Bühne: Rückkopplung bei ... suchen";
        const QString stageOver = "Bühne vorbei";
        const QStringList onStage{"start stage"};
        const QStringList ringingOut{"start stage", "cut the howl"};
        // clang-format off
        QTest::newRow("idle, START") << anwahl << QStringList() << "start" << turnLine << "turn" << true;
        QTest::newRow("idle, START with a random start") << delayed << QStringList() << "start after delay" << "" << "" << true;
        QTest::newRow("random start runs out") << delayed << QStringList{"start after a short delay"} << "delay runs out" << turnLine << "turn" << true;
        QTest::newRow("searching, the ringing band") << anwahl << searching << "click ringing" << turnLine << "" << false;
        QTest::newRow("searching, START gives up") << anwahl << searching << "start" << turnLine << "" << false;
        QTest::newRow("searching, a chart") << anwahl << searching << "Auswertung/Aktuell/Versuche" << "Auswertung Aktuell Versuche" << "turn" << false;
        QTest::newRow("searching, NEUES SPIEL") << anwahl << searching << "new game" << "Neues Spiel" << "turn" << false;
        QTest::newRow("turn over, ringing band raised") << anwahl << found << "raise ringing" << turnLine << "turn" << false;
        QTest::newRow("turn over, Enter") << anwahl << found << "enter" << turnLine << "turn" << true;
        QTest::newRow("turn over, right button") << anwahl << found << "right button" << turnLine << "turn" << true;
        QTest::newRow("turn over, next turn due") << autoNext << found << "next turn is due" << turnLine << "turn" << true;
        QTest::newRow("replay, pulled down") << anwahl << replay << "pull down" << turnLine << "" << false;
        QTest::newRow("replay, another band") << anwahl << replay << "click other" << turnLine << "" << false;
        QTest::newRow("replay, next turn due") << autoNext << replay << "next turn is due" << "Neues Spiel" << "" << false;
        QTest::newRow("chart over a ringing turn, START") << anwahl << QStringList{"start", "Auswertung/Aktuell/Versuche"} << "start" << turnLine << "" << false;
        QTest::newRow("idle, generator on") << anwahl << QStringList() << "Spielablauf/Feedbackgenerator" << "Feedbackgenerator" << "" << true;
        QTest::newRow("generator, band raised") << anwahl << generator << "raise other" << "Feedbackgenerator" << "other band" << true;
        QTest::newRow("generator playing, pulled down") << anwahl << QStringList{"Spielablauf/Feedbackgenerator", "raise other"} << "pull down" << "Feedbackgenerator" << "" << true;
        QTest::newRow("generator playing, arrow key") << anwahl << QStringList{"Spielablauf/Feedbackgenerator", "raise other"} << "arrow right" << "Feedbackgenerator" << "" << true;
        QTest::newRow("generator off") << anwahl << generator << "Spielablauf/Feedbackgenerator" << "Neues Spiel" << "" << false;
        QTest::newRow("random start, the last turn's band") << delayed << QStringList{"start after a short delay", "delay runs out", "start", "start after delay"} << "click ringing" << turnLine << "" << false;
        QTest::newRow("idle, START on stage") << stage << QStringList() << "start stage" << howling << "stage" << true;
        QTest::newRow("stage, a cut two octaves away") << stage << onStage << "cut two octaves away" << howling << "stage" << true;
        QTest::newRow("stage, the howl cut") << stage << onStage << "cut the howl" << "0 dB vor Rückkopplung, 1 Schnitt, zusammen -12 dB" << "stage" << true;
        QTest::newRow("stage, Enter") << stage << QStringList{"start stage", "cut two octaves away"} << "enter" << howling << "stage" << true;
        QTest::newRow("stage, Space") << stage << QStringList{"start stage", "cut two octaves away"} << "space" << howling << "stage" << true;
        QTest::newRow("stage, START") << stage << onStage << "start" << stageOver << "" << false;
        QTest::newRow("stage, NEUES SPIEL") << stage << onStage << "new game" << "Neues Spiel" << "" << false;
        QTest::newRow("stage, a chart") << stage << onStage << "Auswertung/Aktuell/Versuche" << "Auswertung Aktuell Versuche" << "" << false;
        QTest::newRow("ringing out, the gain rises") << stage << ringingOut << "gain rises to a howl" << howling << "stage" << true;
        QTest::newRow("ringing out, START") << stage << ringingOut << "start" << stageOver << "" << false;
        QTest::newRow("stage over, START") << stage << QStringList{"start stage", "start"} << "start stage" << howling << "stage" << true;
        // clang-format on
    }

    void phases()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, path);
        QFETCH(QString, step);
        QFETCH(QString, statusLine);
        QFETCH(QString, heard);
        QFETCH(bool, dragMoves);
        QVERIFY(rig_->Start(settings));
        for (const QString& before : path)
            Do(before);
        Do(step);
        const QString line = rig_->Labels().at(0);
        QVERIFY2(statusLine.isEmpty() ? line.isEmpty() : line.startsWith(statusLine),
                 qPrintable(line));
        QCOMPARE(Heard(), heard);
        QCOMPARE(OtherBandFollowsDrag(), dragMoves);
    }

    // A kind the game does not know plays through the window by the same
    // table: START, a wrong try, the find, the next START.
    void aNewKindOfTurnPlaysThroughTheFlow()
    {
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        bool chosen = true;
        rig_->Game().AddKind(silent_, [&chosen] { return chosen; });
        QSignalSpy found(&rig_->Game(), &GameFlow::turnFound);
        QSignalSpy wrong(&rig_->Game(), &GameFlow::wrongAttemptCounted);

        rig_->ClickStart();
        QCOMPARE(rig_->Game().Phase(), TurnPhase::Searching);
        QVERIFY(rig_->SoundIdle());
        QCOMPARE(rig_->Labels().at(0), QStringLiteral("Stille Runde"));
        rig_->ClickFader(OtherBand);
        QCOMPARE(wrong.count(), 1);
        QCOMPARE(rig_->State().BandTable[OtherBand].Locked, 1); // counted once
        rig_->ClickFader(15);
        QCOMPARE(rig_->Game().Phase(), TurnPhase::TurnOver);
        QCOMPARE(found.count(), 1);
        QCOMPARE(found.at(0).at(0).toInt(), 15);
        QCOMPARE(found.at(0).at(2).toInt(), 2); // the wrong try and the find
        QCOMPARE(rig_->State().GameFinds, 1);

        chosen = false; // the game's own kind takes the next START
        rig_->StartTurnRinging(DrawFor1k);
        QVERIFY(!rig_->SoundIdle());
        QVERIFY(rig_->Labels().at(0).startsWith(QStringLiteral("Aktuell: ")));
    }
};

QTEST_MAIN(TurnPhasesTest)
#include "tst_turn_phases.moc"
