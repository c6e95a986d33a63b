// heulmeister --render-stage: the file, the event lines, the errors, and
// that FFTW stays out of the game's start.

#include "support/StageMeasure.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Program = QStringLiteral(BUILD_DIR "/heulmeister");

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run RenderStage(const QStringList& arguments)
{
    QProcess process;
    process.start(Program, QStringList{QStringLiteral("--render-stage")} + arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
        QCOMPARE(names, (QStringList{"scene", "gain", "howl", "cut", "stopped", "cut"}));
        QVERIFY(firstEvents.contains("verdict=right"));
    }

    // Neither the program file nor a started game loads FFTW.
    void gameStartsWithoutFftw()
    {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {Program});
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
        game.start(Program);
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
