// "Übungssatz": the points as the player is told they are made, and a whole
// set through the window: its pace, its box, its rows, and what breaks it off.

#include "journal/JournalService.h"
#include "model/PracticeSet.h"
#include "session/GameFlow.h"
#include "session/PracticeSetRunner.h"
#include "support/GameHarness.h"
#include "support/JournalFiles.h"
#include "support/ScriptedDialogs.h"

#include <QtTest>

namespace {

const QByteArray Anwahl = "[Spiel]\nSelektmode=0\n";
const QString SetCaption = QStringLiteral("Übungssatz");
const QDateTime SetStart = QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);

// One turn of set `id`, `seconds` after SetStart.
JournalTurn TurnInSet(std::int64_t id, int seconds)
{
    JournalTurn turn = MakeTurn(SetStart.addSecs(seconds), 15, TurnOutcome::Found, 1);
    turn.setId = id;
    return turn;
}

} // namespace

class TestPracticeSet : public QObject {
    Q_OBJECT

  private slots:
    void points_data()
    {
        QTest::addColumn<QList<double>>("findSeconds"); // negative: given up
        QTest::addColumn<QList<int>>("firstWrongOffsets");
        QTest::addColumn<int>("points");
        const QList<int> none(10, 0);
        QTest::newRow("ten quick first-try finds") << QList<double>(10, 1.0) << none << 100;
        QTest::newRow("ten give-ups") << QList<double>(10, -1.0) << none << 0;
        // 4 x 6 + 3 x 3, median of 2 2 2 2 5 5 5 10 10 10 is 5 s: 40 x 5 / 9.
        QTest::newRow("mixed") << QList<double>{2, 2, 2, 2, 5, 5, 5, -1, -1, -1}
                               << QList<int>{0, 0, 0, 0, 1, -1, 1, 0, 0, 0} << 55;
        // Two bands off earns nothing; median 10.5 s and more is clamped to 0.
        QTest::newRow("far off and slow") << QList<double>(10, 12.0) << QList<int>(10, 2) << 0;
    }
    void points()
    {
        QFETCH(QList<double>, findSeconds);
        QFETCH(QList<int>, firstWrongOffsets);
        QFETCH(int, points);
        PracticeSet set;
        for (int i = 0; i < findSeconds.size(); ++i) {
            const int ringing = 15;
            const std::optional<int> wrong =
                firstWrongOffsets[i] != 0 ? std::optional<int>(ringing + firstWrongOffsets[i])
                                          : std::nullopt;
            set.Record(PracticeSet::Judge(
                ringing, wrong, findSeconds[i] < 0 ? std::nullopt : std::optional(findSeconds[i])));
        }
        QVERIFY(set.Complete());
        QCOMPARE(set.Points(), points);
    }

    void wholeSetThroughTheWindow()
    {
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=0\nStartZeit=1\n")); // "Automatischer Neustart" 1 s
        PracticeSetRunner& sets = rig.form->session.Sets();
        sets.nextTurn.setInterval(1);
        QVERIFY(rig.TriggerMenuItem(QStringLiteral("Training/Übungssatz starten")));
        // Five first-try finds at 2 s, five after a try one band above at 4 s.
        for (int turn = 0; turn < PracticeSet::TurnCount; ++turn) {
            QTRY_COMPARE(rig.State().GameMode, ModeSearching);
            const int ringing = rig.State().RingingBand;
            if (turn >= 5)
                rig.ClickFader(ringing + 1 <= rig.State().HighCutBand ? ringing + 1 : ringing - 1);
            rig.clock.Advance(turn < 5 ? 2000 : 4000);
            rig.ClickFader(ringing);
            QCOMPARE(rig.State().GameMode, ModeTurnOver);
            QCOMPARE(sets.TurnsPlayed(), turn + 1);
            QVERIFY(!rig.Game().reStart.isActive()); // the set keeps its own pace
        }
        QTRY_VERIFY(rig.dialogs.captions().contains(SetCaption));
        QVERIFY(!sets.Running());
        // 5 x 6 + 5 x 3 + 40 x (10 - 3) / 9 = 76.1
        const QString text = rig.dialogs.boxes.constLast().text;
        QVERIFY2(text.startsWith(QStringLiteral("76 von 100 Punkten.")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Ihr bester Satz: 76 Punkte.")), qPrintable(text));
        QVERIFY(!sets.nextTurn.isActive()); // no eleventh turn
        const QString path = rig.JournalPath();
        QCOMPARE(JournalValue(path, QStringLiteral("SELECT count(*) FROM turns WHERE set_id = 1")),
                 QVariant(10));
        QCOMPARE(JournalValue(path, QStringLiteral("SELECT points || ' ' || status FROM sets")),
                 QVariant(QStringLiteral("76 beendet")));
    }

    void noSoundCardNoSet()
    {
        GameHarness rig;
        rig.waveOut.productNames.clear();
        QVERIFY(rig.Start(Anwahl));
        QVERIFY(rig.TriggerMenuItem(QStringLiteral("Training/Übungssatz starten")));
        QVERIFY(!rig.form->session.Sets().Running());
        QCOMPARE(rig.dialogs.captions().constLast(), QStringLiteral("Keine Soundkarte gefunden"));
    }

    void breakingOff_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("NEUES SPIEL in a turn") << "neu";
        QTest::newRow("a chart between turns") << "chart";
        QTest::newRow("the generator between turns") << "generator";
        QTest::newRow("quitting") << "quit";
    }
    void breakingOff()
    {
        QFETCH(QString, how);
        GameHarness rig;
        rig.dialogs.boxAnswers = {DialogResult::Ok, DialogResult::Yes}; // warning, "Neues Spiel?"
        QVERIFY(rig.Start(Anwahl));
        PracticeSetRunner& sets = rig.form->session.Sets();
        QVERIFY(rig.TriggerMenuItem(QStringLiteral("Training/Übungssatz starten")));
        QTRY_COMPARE(rig.State().GameMode, ModeSearching);
        rig.ClickFader(rig.State().RingingBand); // one turn found; the pause runs
        QVERIFY(sets.nextTurn.isActive());
        if (how == QLatin1String("neu")) {
            sets.nextTurn.setInterval(1);
            QTRY_COMPARE(rig.State().GameMode, ModeSearching);
            rig.ClickNewGame();
        } else if (how == QLatin1String("chart")) {
            QVERIFY(rig.TriggerMenuItem(QStringLiteral("Auswertung/Aktuell/Versuche")));
        } else if (how == QLatin1String("generator")) {
            QVERIFY(rig.TriggerMenuItem(QStringLiteral("Spielablauf/Feedbackgenerator")));
        } else {
            rig.Stop(); // quitting: the row is written on the way out
        }
        if (rig.form) {
            QVERIFY(!sets.Running());
            QVERIFY(!sets.nextTurn.isActive());
            rig.form->TrainingJournal().WaitUntilIdle();
        }
        QCOMPARE(JournalValue(rig.JournalPath(), QStringLiteral("SELECT status FROM sets")),
                 QVariant(QStringLiteral("abgebrochen")));
        QVERIFY(!rig.dialogs.captions().contains(SetCaption));
    }

    // Two games on one journal, each in a set: the ids differ, and each set
    // keeps a row of its own, whether played to the end or broken off.
    void twoGamesOnOneJournalKeepTheirSets_data()
    {
        QTest::addColumn<bool>("completed");
        QTest::newRow("both played to the end") << true;
        QTest::newRow("both broken off") << false;
    }

    void twoGamesOnOneJournalKeepTheirSets()
    {
        QFETCH(bool, completed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
        ScriptedDialogs quiet;
        Journal first(quiet, path);
        Journal second(quiet, path);
        const auto firstId = first.StartSet(SetStart);
        const auto secondId = second.StartSet(SetStart.addSecs(1));
        QVERIFY(firstId && secondId);
        QVERIFY(*firstId != *secondId);
        QStringList expected;
        for (const auto& [journal, id] : {std::pair{&first, *firstId}, {&second, *secondId}}) {
            QVERIFY(journal->Record(TurnInSet(id, 10)));
            PracticeSetRecord set{id, SetStart, SetStart.addSecs(60), 50, completed};
            QVERIFY(journal->RecordSet(set));
            expected << QStringLiteral("%1 %2").arg(id).arg(completed ? "beendet" : "abgebrochen");
        }
        expected.sort();
        QCOMPARE(SetRows(path), expected);
        QVERIFY(quiet.boxes.isEmpty());
    }

    // When the journal opens, a set left "laeuft" by a game that is gone and
    // turns of a set without a row (journals from before rows were written at
    // a set's start) count as broken off; the set another game plays stays.
    void setsOfGamesThatAreGoneAreBrokenOff()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
        constexpr std::int64_t OlderSet = 7;
        QVERIFY(SeedJournal(path, {TurnInSet(OlderSet, 0)}));
        ScriptedDialogs quiet;
        std::optional<std::int64_t> goneId;
        {
            Journal gone(quiet, path);
            goneId = gone.StartSet(SetStart.addSecs(60));
            QVERIFY(goneId && gone.Record(TurnInSet(*goneId, 70)));
        } // ends with its set in play, as a killed game does
        Journal live(quiet, path);
        const auto liveId = live.StartSet(SetStart.addSecs(120));
        QVERIFY(liveId);
        Journal reopened(quiet, path);
        QVERIFY(reopened.Open());
        QCOMPARE(SetRows(path), (QStringList{QStringLiteral("%1 abgebrochen").arg(OlderSet),
                                             QStringLiteral("%1 abgebrochen").arg(*goneId),
                                             QStringLiteral("%1 laeuft").arg(*liveId)}));
        QVERIFY(quiet.boxes.isEmpty());
    }
};

QTEST_MAIN(TestPracticeSet)
#include "tst_practice_set.moc"
