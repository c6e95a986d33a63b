// heulmeister --render-stage: the file, the event lines, the errors, and
// that FFTW stays out of the game's start.

#include "support/RenderCommand.h"
#include "support/StageMeasure.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using rendertest::FileBytes;
using rendertest::RenderStage;
using rendertest::Run;
using rendertest::Snapshot;

namespace {

const QStringList HalfSecond{"--seconds", "0.5", "--no-room"};
constexpr int HalfSecondBytes = 44 + 2 * 24000;

} // namespace

class TestStageRender : public QObject {
    Q_OBJECT

  private slots:
    void badArgumentsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        const QString out = QStringLiteral("OUT");
        QTest::newRow("nothing") << QStringList{} << "Startwert oder Ausgabedatei fehlt";
        QTest::newRow("seed not a number") << QStringList{"x1", out} << "Ungültiger Startwert";
        QTest::newRow("negative seed") << QStringList{"-1", out} << "Unbekannte Option";
        QTest::newRow("zero seconds")
            << QStringList{"1", out, "--seconds", "0"} << "Ungültige Dauer";
        QTest::newRow("seconds missing") << QStringList{"1", out, "--seconds"} << "fehlt die Dauer";
        QTest::newRow("band 28") << QStringList{"1", out, "--cut", "28:-3@1"}
                                 << "Ungültiger Schnitt";
        QTest::newRow("level -13")
            << QStringList{"1", out, "--cut", "3:-13@1"} << "Ungültiger Schnitt";
        QTest::newRow("no time") << QStringList{"1", out, "--cut", "3:-3"} << "Ungültiger Schnitt";
        QTest::newRow("cut after the end")
            << QStringList{"1", out, "--seconds", "2", "--cut", "3:-3@2.5"} << "nicht vor dem Ende";
        QTest::newRow("cut at the end")
            << QStringList{"1", out, "--seconds", "2", "--cut", "3:-3@2"} << "nicht vor dem Ende";
        QTest::newRow("cut after the last block's start")
            << QStringList{"1", out, "--seconds", "2", "--cut", "3:-3@1.999"} << "kommt zu spät";
        QStringList manyCuts{"1", out, "--seconds", "0.5"};
        for (int i = 0; i < 101; ++i)
            manyCuts << "--cut"
                     << "3:-3@0.1";
        QTest::newRow("101 cuts") << manyCuts << "Zu viele Schnitte: höchstens 100";
        QTest::newRow("third name") << QStringList{"1", out, "more"} << "Eine Angabe zu viel";
    }

    void badArgumentsWriteNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        arguments.replaceInStrings(QStringLiteral("OUT"), folder.filePath(QStringLiteral("o.wav")));
        const Run run = RenderStage(arguments);
        QCOMPARE(run.exitCode, 2);
        const QString error = QString::fromUtf8(run.err);
        QVERIFY2(error.startsWith(QStringLiteral("heulmeister --render-stage: ")) &&
                     error.contains(reason) && error.count(QLatin1Char('\n')) == 1 &&
                     error.endsWith(QLatin1Char('\n')),
                 qPrintable(error));
        QVERIFY(run.out.isEmpty());
        QVERIFY(QDir(folder.path()).isEmpty());
    }

    void unwritableFolderIsReported()
    {
        QTemporaryDir folder;
        const QString out = folder.filePath(QStringLiteral("missing/o.wav"));
        const Run run = RenderStage({"1", out, "--seconds", "0.5", "--no-room"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("lässt sich nicht schreiben"), run.err.constData());
        QVERIFY(QDir(folder.path()).isEmpty());
    }

    // Only a regular file is replaced, through a link if need be, keeping its
    // permissions; whatever else holds the name stays as it was.
    void outputNames_data()
    {
        QTest::addColumn<QString>("setUp"); // sh, the output's name as $1
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal");
        const QString out = QStringLiteral("o.wav");
        const QString noFile = QStringLiteral("ist keine gewöhnliche Datei, sondern");
        QTest::newRow("fifo") << "mkfifo \"$1\"" << out << noFile;
        QTest::newRow("device") << "mknod \"$1\" c 1 3" << out << noFile;
        QTest::newRow("folder") << "mkdir \"$1\"" << out << noFile;
        QTest::newRow("socket") << "python3 -c 'import socket,sys; "
                                   "socket.socket(socket.AF_UNIX).bind(sys.argv[1])' \"$1\""
                                << out << noFile;
        QTest::newRow("link to a device") << "mknod d c 1 3 && ln -s d \"$1\"" << out << noFile;
        QTest::newRow("dangling link")
            << "ln -s nowhere \"$1\"" << out << "lässt sich nicht schreiben";
        const QString file = QStringLiteral("echo old >f && chmod %1 f && ln -s f \"$1\"");
        QTest::newRow("file 0600") << "echo old >\"$1\" && chmod 600 \"$1\"" << out << "";
        QTest::newRow("link to a file 0644") << file.arg(644) << out << "";
        QTest::newRow("link to a file 0640") << file.arg(640) << out << "";
        for (const int bytes : {249, 255})
            QTest::newRow(qPrintable(QStringLiteral("name of %1 bytes").arg(bytes)))
                << ": >\"$1\"" << QString(bytes - 4, QLatin1Char('x')) + ".wav"
                << "";
    }

    void outputNames()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        QTemporaryDir folder;
        QVERIFY(rendertest::Shell(folder.path(), setUp, name));
        const QStringList before = Snapshot(folder.path());
        const Run run = RenderStage(QStringList{"1", folder.filePath(name)} + HalfSecond);
        QCOMPARE(Snapshot(folder.path()), before);
        if (!refusal.isEmpty()) {
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(refusal.toUtf8()) && run.err.count('\n') == 1,
                     run.err.constData());
        } else {
            QVERIFY2(run.exitCode == 0, run.err.constData());
            QCOMPARE(FileBytes(folder.filePath(name)).size(), HalfSecondBytes);
        }
    }

    // Stopped while it writes, it leaves nothing behind.
    void endingSignalRemovesTheTemporaryFile_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void endingSignalRemovesTheTemporaryFile()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir folder;
        QProcess render;
        // As a background job of a shell it would inherit SIGINT ignored.
        render.setChildProcessModifier([signalNumber] { ::signal(signalNumber, SIG_DFL); });
        render.start(rendertest::Program(),
                     {"--render-stage", "1", folder.filePath("o.wav"), "--seconds", "600"});
        QVERIFY(render.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!Snapshot(folder.path()).isEmpty(), 60000);
        QVERIFY(::kill(pid_t(render.processId()), signalNumber) == 0);
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitStatus(), QProcess::CrashExit);
        QCOMPARE(Snapshot(folder.path()), QStringList());
    }

    // Event lines that cannot be written fail the run, and the file is not written.
    void fullStandardOutputFails()
    {
        QTemporaryDir folder;
        const Run run = RenderStage(QStringList{"1", folder.filePath("o.wav")} + HalfSecond,
                                    QStringLiteral("/dev/full"));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith("heulmeister --render-stage: Die Ereigniszeilen") &&
                     run.err.count('\n') == 1,
                 run.err.constData());
        QCOMPARE(Snapshot(folder.path()), QStringList());
    }

    // The latest cut that acts is the one at the last block's start.
    void cutAtTheLastBlockActs()
    {
        QTemporaryDir folder;
        const Run run = RenderStage({"1", folder.filePath("o.wav"), "--seconds", "0.5", "--no-room",
                                     "--cut", "3:+2@0.495"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(run.out.contains("\ncut t=0.495 band=3 db=2 "), run.out.constData());
    }

    // Same seed and cuts, same bytes; another seed, another stage.
    void sameSeedSameFile()
    {
        QTemporaryDir folder;
        const QStringList cut{"--seconds", "3", "--cut", "8:-12@1.5", "--cut", "10:+3@2.5"};
        const auto render = [&](const QString& seed, const QString& name) {
            const Run run = RenderStage(QStringList{seed, folder.filePath(name)} + cut);
            if (run.exitCode != 0)
                qFatal("render failed: %s", run.err.constData());
            return std::pair{run.out, FileBytes(folder.filePath(name))};
        };
        const auto [firstEvents, first] = render(QStringLiteral("4"), QStringLiteral("a.wav"));
        const auto [secondEvents, second] = render(QStringLiteral("4"), QStringLiteral("b.wav"));
        const auto [otherEvents, other] = render(QStringLiteral("5"), QStringLiteral("c.wav"));
        QCOMPARE(first.size(), 44 + 2 * 3 * 48000);
        QVERIFY(first.startsWith("RIFF") && first.mid(8, 8) == "WAVEfmt ");
        QVERIFY(first == second);
        QCOMPARE(firstEvents, secondEvents);
        QVERIFY(first != other);

        QStringList names;
        for (const QByteArray& line : firstEvents.trimmed().split('\n'))
            names << QString::fromLatin1(line.left(line.indexOf(' ')));
        // The singer of this seed turns after the first stop.
        QCOMPARE(names, (QStringList{"scene", "gain", "howl", "cut", "stopped", "singer", "cut"}));
        QVERIFY(firstEvents.contains("verdict=right"));
    }

    // Neither the program file nor a started game loads FFTW.
    void gameStartsWithoutFftw()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {rendertest::Program()});
        QVERIFY(ldd.waitForFinished(30000));
        const QByteArray libraries = ldd.readAllStandardOutput();
        QVERIFY(libraries.contains("libQt6Widgets"));
        QVERIFY(!libraries.contains("fftw"));

        QTemporaryDir home;
        QProcess game;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        game.setProcessEnvironment(environment);
        game.start(rendertest::Program());
        QVERIFY(game.waitForStarted());
        const QString maps = QStringLiteral("/proc/%1/maps").arg(game.processId());
        // The platform plugin is loaded once the safety warning is being shown.
        QTRY_VERIFY_WITH_TIMEOUT(FileBytes(maps).contains("libqoffscreen"), 30000);
        const QByteArray mapped = FileBytes(maps);
        game.kill();
        game.waitForFinished();
        QVERIFY(!mapped.contains("fftw"));
    }
};

QTEST_GUILESS_MAIN(TestStageRender)
#include "tst_stage_render.moc"
