// The command line (results file, --help, --version, "--") and where the
// installed program finds its manual and desktop files.

#include "game/HelpWindow.h"
#include "platform/CommandLine.h"
#include "platform/InstallPaths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

Q_DECLARE_METATYPE(CommandLineRequest::Action)

namespace {

const QString DesktopResourceDir = QStringLiteral(TEST_DATA_DIR "/../../resources/desktop");

bool CreateFile(const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("<html></html>") > 0;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
  private slots:
    void parse_data();
    void parse();
    void errorNamesTheOption_data();
    void errorNamesTheOption();
    void answer_data();
    void answer();
    void usageNamesEveryOption();
    void manualDirectory_data();
    void manualDirectory();
    void manualFileNameMatchesHelpWindow();
    void desktopFilesCarryTheId();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLineRequest::Action>("action");
    QTest::addColumn<QString>("resultsFile");

    using R = CommandLineRequest;
    const QString none;
    QTest::newRow("nothing") << QStringList{} << R::Run << none;
    QTest::newRow("file") << QStringList{"werte.HMD"} << R::Run << "werte.HMD";
    QTest::newRow("path with spaces")
        << QStringList{"/home/ton/Meine Daten.HMD"} << R::Run << "/home/ton/Meine Daten.HMD";
    QTest::newRow("only the first file counts")
        << QStringList{"a.HMD", "b.HMD"} << R::Run << "a.HMD";
    QTest::newRow("--help") << QStringList{"--help"} << R::PrintHelp << none;
    QTest::newRow("-h") << QStringList{"-h"} << R::PrintHelp << none;
    QTest::newRow("--version") << QStringList{"--version"} << R::PrintVersion << none;
    QTest::newRow("-v") << QStringList{"-v"} << R::PrintVersion << none;
    QTest::newRow("option after the file")
        << QStringList{"a.HMD", "--help"} << R::PrintHelp << none;
    QTest::newRow("first of help and version wins")
        << QStringList{"--version", "--help"} << R::PrintVersion << none;
    QTest::newRow("first of help and version wins, reversed")
        << QStringList{"-h", "-v"} << R::PrintHelp << none;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << R::Error << none;
    QTest::newRow("unknown short option") << QStringList{"-x"} << R::Error << none;
    QTest::newRow("options are case-sensitive") << QStringList{"--Help"} << R::Error << none;
    QTest::newRow("no combined short options") << QStringList{"-hv"} << R::Error << none;
    QTest::newRow("no option values") << QStringList{"--help=all"} << R::Error << none;
    QTest::newRow("unknown option before help")
        << QStringList{"--bogus", "--help"} << R::Error << none;
    QTest::newRow("unknown option after the file")
        << QStringList{"a.HMD", "--bogus"} << R::Error << none;
    QTest::newRow("-- ends options") << QStringList{"--", "--help"} << R::Run << "--help";
    QTest::newRow("dash name after --") << QStringList{"--", "-x.HMD"} << R::Run << "-x.HMD";
    QTest::newRow("-- alone") << QStringList{"--"} << R::Run << none;
    QTest::newRow("second -- is a name") << QStringList{"--", "--", "a.HMD"} << R::Run << "--";
    QTest::newRow("options before --")
        << QStringList{"-v", "--", "a.HMD"} << R::PrintVersion << none;
    QTest::newRow("file before --, extra after")
        << QStringList{"a.HMD", "--", "--help"} << R::Run << "a.HMD";
    QTest::newRow("lone dash is a name") << QStringList{"-"} << R::Run << "-";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLineRequest::Action, action);
    QFETCH(QString, resultsFile);

    const CommandLineRequest request = ParseCommandLine(arguments);
    QCOMPARE(request.action, action);
    QCOMPARE(request.resultsFile, resultsFile);
    QCOMPARE(request.message.isEmpty(), action != CommandLineRequest::Error);
}

void TestCommandLine::errorNamesTheOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("culprit");
    QTest::newRow("first") << QStringList{"--fullscreen", "a.HMD"} << "--fullscreen";
    QTest::newRow("after a file") << QStringList{"a.HMD", "-q"} << "-q";
    QTest::newRow("first of two") << QStringList{"-a", "-b"} << "-a";
}

void TestCommandLine::errorNamesTheOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, culprit);
    const CommandLineRequest request = ParseCommandLine(arguments);
    QCOMPARE(request.action, CommandLineRequest::Error);
    QVERIFY2(request.message.contains(QLatin1Char('\'') + culprit + QLatin1Char('\'')),
             qPrintable(request.message));
    QVERIFY(!request.message.contains(QLatin1Char('\n')));
}

void TestCommandLine::answer_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expectedOut");
    QTest::addColumn<bool>("errWritten");

    QTest::newRow("run") << QStringList{"a.HMD"} << 0 << QString() << false;
    QTest::newRow("help") << QStringList{"--help"} << 0 << UsageText() << false;
    QTest::newRow("version") << QStringList{"-v"} << 0
                             << QStringLiteral("Heulmeister Pro " PROJECT_VERSION_TEXT "\n")
                             << false;
    QTest::newRow("error") << QStringList{"--bogus"} << 2 << QString() << true;
}

void TestCommandLine::answer()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, expectedOut);
    QFETCH(bool, errWritten);

    const CommandLineRequest request = ParseCommandLine(arguments);
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    QCOMPARE(AnswerCommandLine(request, out, err), status);
    QCOMPARE(outText, expectedOut);
    QCOMPARE(!errText.isEmpty(), errWritten);
    if (errWritten) {
        // One line naming the program and the fault, then the usage.
        QCOMPARE(errText, QStringLiteral("heulmeister: ") + request.message + QLatin1Char('\n') +
                              UsageText());
    }
}

void TestCommandLine::usageNamesEveryOption()
{
    const QString usage = UsageText();
    QVERIFY(usage.startsWith(QLatin1String("Usage: heulmeister ")));
    for (const char* option : {"-h", "--help", "-v", "--version", "--", "RESULTS.HMD"})
        QVERIFY2(usage.contains(QLatin1String(option)), option);
    QVERIFY(usage.endsWith(QLatin1Char('\n')));
}

void TestCommandLine::manualDirectory_data()
{
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<bool>("inShare");
    QTest::addColumn<QString>("programSuffix");
    QTest::addColumn<QString>("expected");

    // The build tree and a developer's copy keep the manual next to the program.
    QTest::newRow("build tree") << true << false << ""
                                << "bin";
    QTest::newRow("both, the program's wins") << true << true << ""
                                              << "bin";
    QTest::newRow("installed") << false << true << ""
                               << "share";
    QTest::newRow("installed, trailing slash") << false << true << "/"
                                               << "share";
    // A missing manual is looked for, and reported, where the installation puts it.
    QTest::newRow("missing everywhere") << false << false << ""
                                        << "share";
}

void TestCommandLine::manualDirectory()
{
    QFETCH(bool, besideProgram);
    QFETCH(bool, inShare);
    QFETCH(QString, programSuffix);
    QFETCH(QString, expected);

    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QString binDir = prefix.filePath(QStringLiteral("bin"));
    const QString shareDir = prefix.filePath(QStringLiteral("share/heulmeister"));
    QVERIFY(QDir().mkpath(binDir));
    if (besideProgram)
        QVERIFY(CreateFile(binDir + QStringLiteral("/Heulmeister.html")));
    if (inShare)
        QVERIFY(CreateFile(shareDir + QStringLiteral("/Heulmeister.html")));

    const QString programDir = binDir + programSuffix;
    const QString result = ManualDirectory(programDir);
    QCOMPARE(result, expected == QLatin1String("bin") ? programDir : shareDir);
}

void TestCommandLine::manualFileNameMatchesHelpWindow()
{
    // ManualDirectory looks for the file the help window opens.
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QString binDir = prefix.filePath(QStringLiteral("bin"));
    QVERIFY(CreateFile(binDir + QLatin1Char('/') + ManualFileName));
    QCOMPARE(ManualDirectory(binDir), binDir);

    // A folder carrying the manual's name is not the manual.
    QTemporaryDir otherPrefix;
    QVERIFY(otherPrefix.isValid());
    const QString otherBinDir = otherPrefix.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(otherBinDir + QLatin1Char('/') + ManualFileName));
    QVERIFY(ManualDirectory(otherBinDir) != otherBinDir);
}

void TestCommandLine::desktopFilesCarryTheId()
{
    const QString id = QLatin1String(DesktopEntryId);
    const QString desktop =
        ReadText(DesktopResourceDir + QLatin1Char('/') + id + QStringLiteral(".desktop"));
    QVERIFY2(!desktop.isEmpty(), qPrintable(id + QStringLiteral(".desktop is missing")));
    QVERIFY(desktop.contains(
        QRegularExpression(QStringLiteral("^Icon=%1$").arg(QRegularExpression::escape(id)),
                           QRegularExpression::MultilineOption)));
    QVERIFY(desktop.contains(QRegularExpression(QStringLiteral("^Exec=heulmeister %f$"),
                                                QRegularExpression::MultilineOption)));

    const QString metainfo = ReadText(QStringLiteral(GENERATED_DESKTOP_DIR) + QLatin1Char('/') +
                                      id + QStringLiteral(".metainfo.xml"));
    QVERIFY2(!metainfo.isEmpty(), qPrintable(id + QStringLiteral(".metainfo.xml is missing")));
    QVERIFY(metainfo.contains(QStringLiteral("<id>%1</id>").arg(id)));
    QVERIFY(metainfo.contains(
        QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(id)));
    QVERIFY(metainfo.contains(QStringLiteral("version=\"" PROJECT_VERSION_TEXT "\"")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
