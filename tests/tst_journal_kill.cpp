// A game killed at any moment (SIGKILL, a power cut as far as the process can
// tell) leaves the journal sound: every turn it had reported written is there,
// whole, in order, and the next run reads the file and writes on into it.
//
// The test starts itself again as the writer (`--write <journal>`): it records
// numbered turns as fast as it can and prints each number once its commit has
// returned.

#include "journal/Journal.h"
#include "journal/JournalTurn.h"
#include "support/JournalFiles.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// Turn number `n` (from 1): every column differs from its neighbours', so a
// row torn or swapped with another shows.
JournalTurn NumberedTurn(int n)
{
    JournalTurn turn;
    turn.startedAt = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(n);
    turn.ringingBand = n % BandCount;
    turn.frequencyHz = 20.0 + n / 8.0;
    turn.scoringMode = n % 3;
    turn.lowCut = n % 5;
    turn.highCut = 27 - n % 4;
    turn.outcome = n % 5 == 0 ? TurnOutcome::Abandoned : TurnOutcome::Found;
    for (int k = 0; k < n % 6; ++k)
        turn.tried << (n + 7 * k + 1) % BandCount;
    turn.attempts = int(turn.tried.size()) + (turn.Found() ? 1 : 0);
    if (turn.Found())
        turn.findMs = 137LL * n;
    turn.feedbackTime = n % 7;
    turn.randomStart = n % 11;
    turn.swell = n % 2;
    turn.bed = n % 3;
    turn.setId = (n - 1) / 10 + 1;
    return turn;
}

// Every tenth turn ends a set, written after it.
PracticeSetRecord NumberedSet(int k)
{
    PracticeSetRecord set;
    set.id = k;
    set.startedAt = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(10 * k - 9);
    set.endedAt = set.startedAt.addSecs(9);
    set.points = k % 101;
    set.completed = k % 3 != 0;
    return set;
}

QVariant StoredSet(const QString& path, int k)
{
    return JournalValue(path, QStringLiteral("SELECT started_at || ' ' || ended_at || ' ' || "
                                             "points || ' ' || status FROM sets WHERE id = %1")
                                  .arg(k));
}

// The writer: continues after the turns already in the file, until killed.
int WriteUntilKilled(const QString& path)
{
    ScriptedDialogs dialogs;
    Journal journal(dialogs, path);
    const auto stored = journal.ReadTurns();
    if (!stored) {
        std::printf("off: %s\n", qPrintable(journal.OffReason()));
        return 1;
    }
    for (int n = int(stored->size()) + 1;; ++n) {
        if (!journal.Record(NumberedTurn(n)) ||
            (n % 10 == 0 && !journal.RecordSet(NumberedSet(n / 10))) || !dialogs.boxes.isEmpty()) {
            std::printf("failed at %d: %s\n", n, qPrintable(journal.OffReason()));
            return 1;
        }
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

// The sizes of the journal and its write-ahead log; -1 for a missing one.
QList<qint64> FileSizes(const QString& path)
{
    const auto size = [](const QString& file) {
        const QFileInfo info(file);
        return info.exists() ? info.size() : qint64(-1);
    };
    return {size(path), size(path + QStringLiteral("-wal"))};
}

QString Differences(const JournalTurn& stored, const JournalTurn& wanted)
{
    QStringList differ;
    const auto check = [&](const char* name, auto a, auto b) {
        if (a != b)
            differ << QString::fromLatin1(name);
    };
    check("started_at", stored.startedAt, wanted.startedAt);
    check("ringing_band", stored.ringingBand, wanted.ringingBand);
    check("frequency_hz", stored.frequencyHz, wanted.frequencyHz);
    check("scoring_mode", stored.scoringMode, wanted.scoringMode);
    check("cut", QPoint(stored.lowCut, stored.highCut), QPoint(wanted.lowCut, wanted.highCut));
    check("attempts", stored.attempts, wanted.attempts);
    check("tried", stored.tried, wanted.tried);
    check("find_ms", stored.findMs, wanted.findMs);
    check("outcome", stored.outcome, wanted.outcome);
    check("settings",
          QList<int>({stored.feedbackTime, stored.randomStart, stored.swell, stored.bed}),
          QList<int>({wanted.feedbackTime, wanted.randomStart, wanted.swell, wanted.bed}));
    return differ.join(QLatin1Char(' '));
}

} // namespace

class TestJournalKill : public QObject {
    Q_OBJECT

  private slots:
    void killedWriterLosesNoReportedTurn_data();
    void killedWriterLosesNoReportedTurn();
};

void TestJournalKill::killedWriterLosesNoReportedTurn_data()
{
    // When the kill comes: after a number of reported turns; after a random
    // time, which lands anywhere in a commit; or as soon as the file or its
    // log changes size: while it is created, its table made, a log replayed.
    QTest::addColumn<int>("reportedTurns");
    QTest::addColumn<int>("randomDelayUs");
    QTest::addColumn<bool>("whenFileChanges");
    QTest::newRow("after the first turn") << 1 << 0 << false;
    QTest::newRow("after 40 turns") << 40 << 0 << false;
    QTest::newRow("after 300 turns") << 300 << 0 << false;
    QTest::newRow("at a random moment") << 0 << 60000 << false;
    QTest::newRow("as the files change") << 0 << 0 << true;
}

void TestJournalKill::killedWriterLosesNoReportedTurn()
{
    QFETCH(int, reportedTurns);
    QFETCH(int, randomDelayUs);
    QFETCH(bool, whenFileChanges);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    QRandomGenerator random(20261208 + reportedTurns);

    // Several runs on one file: each starts on what the last one's kill left.
    int reported = 0;
    QList<int> reportedSets;
    for (int run = 0; run < 6; ++run) {
        const QList<qint64> sizesBefore = FileSizes(path);
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--write"), path});
        QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));

        QByteArray output;
        const int lastBefore = reported;
        QElapsedTimer clock;
        clock.start();
        const qint64 killAtUs = randomDelayUs > 0 ? random.bounded(randomDelayUs) : -1;
        for (;;) {
            if (killAtUs >= 0 && clock.nsecsElapsed() / 1000 >= killAtUs)
                break;
            if (whenFileChanges) {
                if (FileSizes(path) != sizesBefore)
                    break;
                QThread::usleep(20);
                QVERIFY(clock.elapsed() < 60000);
                continue;
            }
            writer.waitForReadyRead(killAtUs >= 0 ? 1 : 5000);
            output += writer.readAllStandardOutput();
            const QList<QByteArray> lines = output.split('\n');
            const int lastComplete = lines.size() >= 2 ? lines.at(lines.size() - 2).toInt() : 0;
            QVERIFY2(!output.startsWith("off") && !output.contains("failed"), output.constData());
            if (killAtUs < 0 && lastComplete >= lastBefore + reportedTurns)
                break;
            QVERIFY2(writer.state() == QProcess::Running, output.constData());
            QVERIFY2(clock.elapsed() < 60000, "the writer reported too few turns");
        }
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        output += writer.readAllStandardOutput();
        QVERIFY2(!output.startsWith("off") && !output.contains("failed"), output.constData());
        // Whatever it printed, it printed after the commit had returned.
        const QList<QByteArray> lines = output.split('\n');
        for (int i = 0; i + 1 < lines.size(); ++i) { // the last piece may be cut off
            reported = qMax(reported, lines.at(i).toInt());
            if (const int n = lines.at(i).toInt(); n > 0 && n % 10 == 0)
                reportedSets << n / 10;
        }
        if (!QFile::exists(path)) {
            QCOMPARE(reported, 0); // killed before it opened the journal
            continue;
        }

        QCOMPARE(JournalIntegrity(path), QStringLiteral("ok"));
        const QList<QVariantMap> rows = ReadJournalRows(path);
        if (!rows.isEmpty())
            QCOMPARE(JournalUserVersion(path), JournalSchemaVersion);
        // Every reported turn is there; at most the one in flight besides.
        QVERIFY2(rows.size() >= reported && rows.size() <= reported + 1,
                 qPrintable(QStringLiteral("run %1: %2 rows, %3 reported")
                                .arg(run)
                                .arg(rows.size())
                                .arg(reported)));
        for (int i = 0; i < rows.size(); ++i) {
            QList<QVariant> values;
            for (const QString& column : JournalColumns)
                values << rows.at(i).value(column);
            const std::optional<JournalTurn> stored = TurnFromRow(values);
            QVERIFY2(stored, qPrintable(QStringLiteral("row %1 unreadable").arg(i + 1)));
            const QString differ = Differences(*stored, NumberedTurn(i + 1));
            QVERIFY2(differ.isEmpty(),
                     qPrintable(QStringLiteral("row %1: %2").arg(i + 1).arg(differ)));
            QCOMPARE(rows.at(i).value(QStringLiteral("set_id")).toLongLong(),
                     *NumberedTurn(i + 1).setId);
        }
        for (int k : reportedSets) {
            const PracticeSetRecord set = NumberedSet(k);
            QCOMPARE(StoredSet(path, k).toString(),
                     QStringLiteral("%1 %2 %3 %4")
                         .arg(FormatStartedAt(set.startedAt), FormatStartedAt(set.endedAt))
                         .arg(set.points)
                         .arg(set.completed ? "beendet" : "abgebrochen"));
        }
        reported = int(rows.size());
    }
    // Nothing was taken for a damaged file and moved aside.
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*defekt*")}), QStringList());
}

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        QCoreApplication app(argc, argv);
        return WriteUntilKilled(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestJournalKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journal_kill.moc"
