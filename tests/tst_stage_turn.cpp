// A stage turn ("Bühne") through the real window: the loop's blocks are
// taken by the test, 5 ms at a time, while the fake clock keeps pace, so the
// howl, the cuts and the counting are the same on every run.

#include "game/FaderView.h"
#include "game/StageResponseView.h"
#include "journal/CurvePlotModule.h"
#include "journal/JournalService.h"
#include "journal/JournalStats.h"
#include "results/ResultsFile.h"
#include "session/GameFlow.h"
#include "session/StageTurn.h"
#include "stage/HowlMeter.h"
#include "stage/StageBands.h"
#include "stage/StageSearch.h"
#include "support/GameHarness.h"
#include "support/JournalFiles.h"
#include "support/SoundFiles.h"
#include "support/StageMeasure.h"

#include <QFile>
#include <QTimeZone>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(TurnPhase)

namespace {

// Once this seed's first howl is cut nothing else grows until the gain rises.
constexpr int StageSeed = 5;

// Where the stage of StageSeed first howls with the default bands in play,
// as the stage's own search finds it without the game.
int FirstHowlBand()
{
    stage::StageSearch search;
    search.lowCutBand = SettingDefaults::LowCut;
    search.highCutBand = SettingDefaults::HighCut;
    const std::optional<stage::FoundStage> found = search.Find(stagetest::Fftw(), StageSeed);
    return found ? stage::NearestBand(found->firstHowl.FrequencyHz()) : -1;
}
// A seed whose singer stays where he is after the first stop, so the drawing
// after the first cut still shows the room the first howl rang in.
constexpr int SeedWhoseSingerStays = 11;
bool SingerStaysAfterFirstStop(int seed)
{
    stage::StageSearch search;
    search.lowCutBand = SettingDefaults::LowCut;
    search.highCutBand = SettingDefaults::HighCut;
    const auto found = search.Find(stagetest::Fftw(), std::uint32_t(seed));
    return found && !stage::SingerTurnsAfter(found->scene, 1);
}
// At full volume what is played is the loop's own level.
const QByteArray StageSettings =
    "[Spiel]\nSelektmode=1\n[Audio]\nVolumen=12\n[Training]\nBuehne=1\n";

} // namespace

class StageTurnTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GameHarness> rig_;

    bool StartStage(const QByteArray& settings = StageSettings)
    {
        if (!rig_->Start(settings))
            return false;
        rig_->random.values = {StageSeed};
        rig_->ClickStart();
        return rig_->stagePlayer.Playing();
    }

    // Plays `seconds` in steps of the status timer, the clock keeping pace.
    void Play(double seconds)
    {
        for (double played = 0; played < seconds; played += 0.07) {
            rig_->stagePlayer.Run(0.07);
            rig_->clock.Advance(70);
            rig_->Labels();
        }
    }

    // A howl's own level in the last 50 ms played, as the game meters it.
    double HowlLevelDbfs(double howlHz) const
    {
        const std::vector<float>& played = rig_->stagePlayer.played;
        stage::HowlMeter meter;
        meter.SetFrequencyHz(howlHz);
        const int frames = stage::HowlMeter::WindowFrames;
        meter.Process(played.data() + played.size() - std::size_t(frames), frames);
        return meter.LevelDbfs();
    }

    // Plays until the howl is 30 dB under the limiter; the clock then.
    std::uint32_t PlayUntilAudible(std::uint32_t startMs)
    {
        // The howl's own level, as the game meters it, over all that was
        // played since START, one status tick (70 ms) at a time.
        constexpr std::size_t TickFrames = 70 * 48;
        stage::HowlMeter meter;
        meter.SetFrequencyHz(rig_->Game().LastStage()->HowlHz());
        for (std::size_t tick = 0; tick < 200; ++tick) {
            while (rig_->stagePlayer.played.size() < (tick + 1) * TickFrames)
                Play(0.07);
            meter.Process(rig_->stagePlayer.played.data() + tick * TickFrames, int(TickFrames));
            if (meter.LevelDbfs() >= StageTurn::FindClockLevelDbfs)
                return startMs + std::uint32_t(70 * (tick + 1));
        }
        return rig_->clock.nowMs;
    }

    void Cut(int band, int level = -12)
    {
        rig_->ClickFader(band);
        rig_->DragTo(level);
    }

    TurnPhase Phase() { return rig_->Game().Phase(); }

  private slots:
    void init() { rig_ = std::make_unique<GameHarness>(); }
    void cleanup() { rig_.reset(); }

    // First: nothing else in this process may have loaded FFTW yet.
    void theLoopLoadsOnFirstUse()
    {
        QVERIFY(rig_->Start(StageSettings));
        const auto mapped = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libfftw3f");
        };
        QVERIFY(!mapped());
        rig_->random.values = {StageSeed};
        rig_->ClickStart();
        QVERIFY(mapped());
    }

    void aWholeStageTurn()
    {
        QVERIFY(StartStage());
        const GameState& state = rig_->State();
        const int howl = state.RingingBand;
        QCOMPARE(howl, FirstHowlBand());
        const QString sceneAtFirst = rig_->Game().LastStage()->SceneText();
        // The singer and the band bleed in from the start; the howl is heard
        // within 2.5 s.
        const std::uint32_t startMs = rig_->clock.nowMs;
        Play(0.5);
        const double early = rig_->stagePlayer.PeakDbfs(0.3);
        const std::uint32_t audibleMs = PlayUntilAudible(startMs);
        QVERIFY2(early > -50, qPrintable(QString::number(early)));
        QVERIFY2(audibleMs - startMs <= 2500, qPrintable(QString::number(audibleMs - startMs)));

        // Two octaves away: the howl goes on growing.
        Cut(howl - 6);
        QCOMPARE(Phase(), TurnPhase::StageRunning);
        const double beforeCut = rig_->stagePlayer.PeakDbfs(0.07);
        Play(0.5);
        QVERIFY(rig_->stagePlayer.PeakDbfs(0.1) > beforeCut + 3);

        // The right band stops it once it is heard to die, its own level 20 dB
        // down within a second; the find time runs from when it was audible
        // to the move.
        const double howlHz = rig_->Game().LastStage()->HowlHz();
        const double ringing = HowlLevelDbfs(howlHz);
        const std::uint32_t cutMs = rig_->clock.nowMs;
        Cut(howl);
        QCOMPARE(Phase(), TurnPhase::StageRingingOut);
        QVERIFY(rig_->clock.nowMs > cutMs);
        QVERIFY2(HowlLevelDbfs(howlHz) <= ringing - 20,
                 qPrintable(QString("%1 -> %2 dBFS").arg(ringing).arg(HowlLevelDbfs(howlHz))));
        QCOMPARE(state.LastFindTime, cutMs - audibleMs);
        QCOMPARE(state.BandTable[howl].Finds, 1);
        QCOMPARE(state.BandTable[howl].Attempts, 2); // the far band, then the find

        // The gain rises until the next pole grows, and it is cut before it is heard.
        int rises = 0;
        while (Phase() == TurnPhase::StageRingingOut && rises < 30) {
            rig_->RiseStageGain();
            ++rises;
        }
        QCOMPARE(Phase(), TurnPhase::StageRunning);
        // This seed's singer turned after the first stop: the line names his new angle.
        QVERIFY(rig_->Game().LastStage()->SceneText() != sceneAtFirst);
        const int second = state.RingingBand;
        const QStringList lines = rig_->Labels();
        QCOMPARE(lines.at(0), QStringLiteral("Bühne: Rückkopplung bei ... suchen"));
        QCOMPARE(lines.at(1),
                 QStringLiteral("Rückkopplung 2 von 6 – ") + rig_->Game().LastStage()->SceneText());
        QCOMPARE(lines.at(2), QStringLiteral("+%1 dB vor Rückkopplung, 2 Schnitte, zusammen -24 dB")
                                  .arg(std::lround(rig_->Game().LastStage()->GainWonDb())));
        QVERIFY(rig_->Game().LastStage()->GainWonDb() >= 0.5 * rises);
        QVERIFY(rig_->Game().LastStage()->GainWonDb() <= rises);
        const double wonAtSecond = rig_->Game().LastStage()->GainWonDb();
        Cut(second == howl ? howl + 1 : second);
        QCOMPARE(state.LastFindTime, 0u);
        QCOMPARE(state.GameFinds, 2);
        QCOMPARE(state.GameAttempts, 3);

        // The results file and the journal hold both howls.
        const QString results = rig_->programDir.filePath(QStringLiteral("Bühne.HMD"));
        rig_->dialogs.fileAnswers << results;
        QVERIFY(rig_->TriggerMenuItem(QStringLiteral("Datei/Speichern unter")));
        GameState saved;
        ResultsFile file(saved);
        QVERIFY(file.LoadResults(results).Succeeded());
        QCOMPARE(saved.StoredBandTable[howl].Finds, 1);
        QCOMPARE(saved.StoredBandTable[howl].Attempts, 2);
        rig_->form->TrainingJournal().WaitUntilIdle();
        const QList<QVariantMap> rows = ReadJournalRows(rig_->JournalPath());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0]["kind"].toString(), QStringLiteral("buehne"));
        QCOMPARE(rows[0]["ringing_band"].toInt(), howl);
        QCOMPARE(rows[0]["tried"].toString(), QString::number(howl - 6));
        QCOMPARE(rows[0]["gain_won_db"].toDouble(), 0.0);
        QCOMPARE(rows[0]["find_ms"].toLongLong(), qint64(state.GameTime));
        QCOMPARE(rows[1]["kind"].toString(), QStringLiteral("buehne"));
        QCOMPARE(rows[1]["gain_won_db"].toDouble(), wonAtSecond);
        QVERIFY(std::abs(rows[1]["howl_hz"].toDouble() - rig_->Game().LastStage()->HowlHz()) <
                0.01);
    }

    // The confusions and the weighted draw know only the tone; the learning
    // curve keeps the stage's howls as their own series.
    void theJournalKeepsTheKindsApart()
    {
        const QDateTime monday(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
        JournalTurn tone = MakeTurn(monday, 15, TurnOutcome::Found, 2, {14});
        JournalTurn howl = MakeTurn(monday.addDays(1), 15, TurnOutcome::Found, 4, {12, 13, 14});
        howl.stage = true;
        const std::vector<JournalTurn> both{tone, howl};
        const ConfusionMatrix matrix =
            ComputeConfusionMatrix(both, JournalPeriod::All, monday, QTimeZone::utc());
        QCOMPARE(matrix.turns, 1);
        QCOMPARE(WeakBandWeights(both), WeakBandWeights({tone}));
        const LearningCurve curve = ComputeLearningCurve(both, QTimeZone::utc());
        QCOMPARE(int(curve.days.size()), 1);
        QCOMPARE(int(curve.stageDays.size()), 1);
        QCOMPARE(curve.bands[15].turns, 1);
    }

    // A cut is judged by what it does to the howl: a neighbour's cut that
    // stops it is "daneben" and no find; one that only slows it leaves it
    // ringing, and the player is told so.
    void aCutIsJudgedByWhatItDoes_data()
    {
        QTest::addColumn<int>("levelDb");
        QTest::addColumn<TurnPhase>("phase");
        QTest::addColumn<QString>("verdictLine");
        QTest::newRow("a neighbour stops it")
            << -12 << TurnPhase::StageRingingOut
            << "Daneben: Band %1 hat die Rückkopplung bei %2 gestoppt.";
        QTest::newRow("a neighbour slows it")
            << -1 << TurnPhase::StageRunning
            << "Sie klingt noch: Der Schnitt hat sie nur gebremst.";
    }

    void aCutIsJudgedByWhatItDoes()
    {
        QFETCH(int, levelDb);
        QFETCH(TurnPhase, phase);
        QFETCH(QString, verdictLine);
        QVERIFY(StartStage());
        const GameState& state = rig_->State();
        const int howl = state.RingingBand;
        const int neighbour = howl + 1;
        PlayUntilAudible(rig_->clock.nowMs);
        Cut(neighbour, levelDb);
        QCOMPARE(Phase(), phase);
        if (verdictLine.contains(QLatin1String("%1")))
            verdictLine = verdictLine.arg(QString::fromUtf8(BandDefinitions[neighbour].label),
                                          QString::fromUtf8(BandDefinitions[howl].label));
        QCOMPARE(rig_->Labels().at(2), verdictLine);
        QCOMPARE(state.GameFinds, 0);
        QCOMPARE(state.BandTable[howl].Finds, 0);
        QCOMPARE(state.BandTable[howl].Attempts, 0);
        if (phase != TurnPhase::StageRingingOut)
            return;
        rig_->form->TrainingJournal().WaitUntilIdle();
        const QList<QVariantMap> rows = ReadJournalRows(rig_->JournalPath());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["outcome"].toString(), QStringLiteral("daneben"));
        QCOMPARE(rows[0]["ringing_band"].toInt(), howl);
        QCOMPARE(rows[0]["tried"].toString(), QString::number(neighbour));
    }

    // The loop analysis judges away from the window: the move is heard at
    // once, the window answers meanwhile, and moves made before the answer
    // are judged as one, the last band moved owning the stop.
    void movesAreJudgedAwayFromTheWindow()
    {
        QVERIFY(StartStage());
        const GameState& state = rig_->State();
        const int howl = state.RingingBand;
        PlayUntilAudible(rig_->clock.nowMs);
        rig_->ClickFader(howl - 6);
        rig_->DragTo(-12, false);
        QVERIFY(rig_->Game().Stage().Judging());
        QCOMPARE(rig_->Game().LastStage()->LevelsDb()[std::size_t(howl - 6)], -12.0);
        QTest::mouseClick(rig_->form->Fader(), Qt::LeftButton, {}, rig_->FaderPoint(howl));
        rig_->DragTo(-12, false);
        QCOMPARE(Phase(), TurnPhase::StageRunning);
        rig_->WaitForStage();
        QCOMPARE(Phase(), TurnPhase::StageRingingOut);
        QCOMPARE(state.BandTable[howl].Finds, 1);
        QCOMPARE(state.BandTable[howl].Attempts, 2);
    }

    // With "Musik" as the bed the player's music bleeds into the stage
    // instead of pink noise: a 440 Hz song stands out of the bleed there.
    void theMusicBleedsIn_data()
    {
        QTest::addColumn<int>("bed");
        QTest::addColumn<bool>("heard");
        QTest::newRow("music") << int(BedMusic) << true;
        QTest::newRow("pink noise") << int(BedPinkNoise) << false;
    }

    void theMusicBleedsIn()
    {
        QFETCH(int, bed);
        QFETCH(bool, heard);
        const QString song = rig_->programDir.filePath(QStringLiteral("a440.wav"));
        QVERIFY(WriteTwoSines(song, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2.0, 440.0, 0.5, 440.0,
                              0.5));
        QVERIFY(rig_->Start(StageSettings + "Hintergrund=" + QByteArray::number(bed) +
                            "\nMusik=" + song.toUtf8() + "\n"));
        // The song is decoded on its own thread: until then a stage has none.
        double standsOutDb = 0;
        const bool stoodOut = QTest::qWaitFor(
            [&] {
                rig_->random.values = {StageSeed};
                rig_->ClickStart();
                rig_->stagePlayer.Run(0.3);
                standsOutDb = HowlLevelDbfs(440.0) - HowlLevelDbfs(400.0);
                return standsOutDb > 20;
            },
            heard ? 30000 : 500);
        QVERIFY2(stoodOut == heard, qPrintable(QString::number(standsOutDb)));
    }

    void theStageEnds_data()
    {
        QTest::addColumn<QByteArray>("filter");
        QTest::addColumn<int>("stops");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("six howls") << QByteArray() << 6
                                   << QStringList{"Bühne vorbei: 6 von 6 Rückkopplungen gestoppt",
                                                  "START beginnt eine neue Bühne."};
        // Only three bands in play: this room's fourth howl rings above them.
        QTest::newRow("the next howl out of play")
            << QByteArray("[Filter]\nLowCut=19\nHighcut=22\n") << 3
            << QStringList{"Bühne vorbei: 3 von 3 Rückkopplungen gestoppt",
                           "Die nächste Rückkopplung läge außerhalb der Bänder im Spiel."};
    }

    void theStageEnds()
    {
        QFETCH(QByteArray, filter);
        QFETCH(int, stops);
        QFETCH(QStringList, lines);
        QVERIFY(StartStage(filter + StageSettings));
        for (int howl = 0; howl < stops; ++howl) {
            QCOMPARE(Phase(), TurnPhase::StageRunning);
            const int band = rig_->State().RingingBand;
            Cut(rig_->State().BandTable[band].Level > -12 ? band : band + 1);
            for (int rise = 0; rise < 30 && Phase() == TurnPhase::StageRingingOut; ++rise)
                rig_->RiseStageGain();
        }
        QCOMPARE(Phase(), TurnPhase::StageOver);
        QVERIFY(!rig_->stagePlayer.Playing());
        const QStringList shown = rig_->Labels();
        QCOMPARE(shown.at(0), lines.at(0));
        QCOMPARE(shown.at(2), lines.at(1));
        QCOMPARE(rig_->State().GameFinds, stops);
    }

    // The whiteboard drawing: above 0 dB at the howl before, below after.
    void theLoopGainIsDrawn()
    {
        SetCurvePlotSearchPath({QStringLiteral(BUILD_DIR)});
        QVERIFY(rig_->Start(StageSettings));
        QVERIFY(rig_->TriggerMenuItem(QStringLiteral("Training/Bühne: Frequenzgang ...")));
        auto* empty = rig_->form->form.findChild<StageResponseView*>();
        QVERIFY(empty && !empty->Plot());
        QVERIFY(empty->NoticeText().startsWith(QStringLiteral("Noch keine Bühne gespielt.")));
        empty->close();
        QTRY_VERIFY(!rig_->form->form.findChild<StageResponseView*>());

        QVERIFY(SingerStaysAfterFirstStop(SeedWhoseSingerStays));
        rig_->random.values = {SeedWhoseSingerStays};
        rig_->ClickStart();
        const int howl = rig_->State().RingingBand;
        const double howlHz = rig_->Game().LastStage()->HowlHz();
        Cut(howl);
        const StageResponse response = rig_->Game().Stage().Response();
        const auto at = [&](const std::vector<double>& db) {
            const auto nearest = std::min_element(
                response.frequenciesHz.begin(), response.frequenciesHz.end(),
                [&](double a, double b) { return std::abs(a - howlHz) < std::abs(b - howlHz); });
            return db[std::size_t(nearest - response.frequenciesHz.begin())];
        };
        QVERIFY(at(response.beforeDb) > -1.5);
        QVERIFY(at(response.afterDb) < at(response.beforeDb) - 6);
        QVERIFY(at(response.eqDb) < -6);
        QCOMPARE(response.howlsHz, std::vector<double>{howlHz});
        QVERIFY(rig_->TriggerMenuItem(QStringLiteral("Training/Bühne: Frequenzgang ...")));
        auto* view = rig_->form->form.findChild<StageResponseView*>();
        QVERIFY(view && view->Plot());
        QCOMPARE(view->Plot()->findChildren<QWidget*>().size() >= 2, true);
    }

    // The room is built away from the window: a timer due before START runs
    // while the status lines say so.
    void startHandsTheWindowBackAtOnce()
    {
        QVERIFY(rig_->Start(StageSettings));
        rig_->random.values = {StageSeed};
        std::optional<TurnPhase> phaseOnTimer;
        QTimer::singleShot(0, &rig_->form->form, [&] { phaseOnTimer = Phase(); });
        rig_->PressStart();
        QCOMPARE(rig_->Labels().at(0), QStringLiteral("Bühne wird aufgebaut ..."));
        QTRY_COMPARE_WITH_TIMEOUT(Phase(), TurnPhase::StageRunning, 30000);
        QCOMPARE(phaseOnTimer, std::optional(TurnPhase::StageBuilding));
        QCOMPARE(rig_->State().RingingBand, FirstHowlBand());
    }

    // Whatever the player does while the room is built, no stage starts late.
    void aBuildEnds_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<TurnPhase>("phase");
        const QString start = QStringLiteral("START");
        QTest::newRow("START again") << QStringList{start} << TurnPhase::Idle;
        // The first build's late result must not stand in for the second's.
        QTest::newRow("START again, and again")
            << QStringList{start, start} << TurnPhase::StageRunning;
        QTest::newRow("NEUES SPIEL") << QStringList{"NEUES SPIEL"} << TurnPhase::Idle;
        QTest::newRow("a chart") << QStringList{"Auswertung/Aktuell/Versuche"} << TurnPhase::Idle;
        QTest::newRow("the generator")
            << QStringList{"Spielablauf/Feedbackgenerator"} << TurnPhase::GeneratorSilent;
        QTest::newRow("Bühne off") << QStringList{"Training/Bühne"} << TurnPhase::Idle;
        QTest::newRow("quitting") << QStringList{"Datei/Beenden"} << TurnPhase::Idle;
    }

    void aBuildEnds()
    {
        QFETCH(QStringList, steps);
        QFETCH(TurnPhase, phase);
        QVERIFY(rig_->Start(StageSettings));
        rig_->random.values = {StageSeed, StageSeed};
        rig_->PressStart();
        QCOMPARE(Phase(), TurnPhase::StageBuilding);
        for (const QString& step : steps) {
            if (step == QStringLiteral("START")) {
                rig_->PressStart();
            } else if (step == QStringLiteral("NEUES SPIEL")) {
                rig_->dialogs.boxAnswers = {DialogResult::Yes};
                rig_->ClickNewGame();
            } else {
                QVERIFY(rig_->TriggerMenuItem(step));
            }
        }
        if (steps.last() == QStringLiteral("Datei/Beenden")) {
            rig_->Stop(); // waits for the worker, which stops between two rooms
            QVERIFY(rig_->stagePlayer.played.empty());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!rig_->Game().Stage().WorkerBusy(), 30000);
        QCOMPARE(Phase(), phase);
        QCOMPARE(rig_->stagePlayer.Playing(), phase == TurnPhase::StageRunning);
        QCOMPARE(rig_->stagePlayer.Run(0.05), phase == TurnPhase::StageRunning);
        QCOMPARE(rig_->Game().LastStage() != nullptr, phase == TurnPhase::StageRunning);
    }

    void enterKeepsTheCutsAndVolumeWorks()
    {
        QVERIFY(StartStage());
        Cut(11, -5);
        rig_->Key(Qt::Key_Return);
        rig_->Key(Qt::Key_Space);
        QCOMPARE(rig_->State().BandTable[11].Level, -5);
        // The volume fader at the bottom silences what the player hears.
        rig_->ClickFader(VolumeFader);
        rig_->DragTo(-12);
        rig_->stagePlayer.played.clear();
        rig_->stagePlayer.Run(0.1);
        const std::vector<float>& played = rig_->stagePlayer.played;
        QVERIFY(!played.empty());
        QVERIFY(std::all_of(played.begin(), played.end(), [](float s) { return s == 0; }));
    }

    void aFailingSoundCardIsReported()
    {
        rig_->stagePlayer.failure = "Die Tonausgabe der Bühne lässt sich nicht öffnen: kaputt";
        QVERIFY(!StartStage());
        QCOMPARE(rig_->dialogs.captions().last(), QStringLiteral("Bühne"));
        QCOMPARE(rig_->dialogs.boxes.last().text,
                 QStringLiteral("Die Tonausgabe der Bühne lässt sich nicht öffnen: kaputt"));
        QCOMPARE(Phase(), TurnPhase::Idle);
    }

    void theChoiceIsRemembered()
    {
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=1\n[Training]\nSchwerpunkt=0\n"));
        QVERIFY(rig_->TriggerMenuItem(QStringLiteral("Training/Bühne")));
        rig_->Stop();
        QFile file(rig_->SettingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\nBuehne=1"));
    }
};

QTEST_MAIN(StageTurnTest)
#include "tst_stage_turn.moc"
