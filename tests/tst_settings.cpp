// The settings file: INI semantics of the profile functions, and the nine
// settings read and written through them.

#include "platform/ProfileFile.h"
#include "platform/RegularFile.h"
#include "session/SettingsFile.h"
#include "support/ScratchMount.h"
#include "support/Watchdog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

class EnvironmentOverride {
  public:
    explicit EnvironmentOverride(const char* name) : name_(name), old_(qgetenv(name))
    {
        had_ = qEnvironmentVariableIsSet(name);
    }
    ~EnvironmentOverride()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    void Set(const QByteArray& value) { qputenv(name_, value); }
    void Unset() { qunsetenv(name_); }

  private:
    const char* name_;
    QByteArray old_;
    bool had_ = false;
};

GameState SampleState()
{
    GameState state;
    state.LowCutBand = 3;
    state.HighCutBand = 24;
    state.MasterVolume = -5;
    state.SoundCardId = 2;
    state.ScoringMode = 0;
    state.FeedbackTimeSetting = 4;
    state.RandomStartSeconds = 6;
    state.AutoRestartSeconds = 5;
    state.ResultsFileName = QStringLiteral("/home/spieler/Ergebnisse.HMD");
    return state;
}

// A state whose every settings field differs from the defaults and the sample.
GameState ScrambledState()
{
    GameState state;
    state.LowCutBand = 99;
    state.HighCutBand = 99;
    state.MasterVolume = 99;
    state.SoundCardId = 99;
    state.ScoringMode = 99;
    state.FeedbackTimeSetting = 99;
    state.RandomStartSeconds = 99;
    state.AutoRestartSeconds = 99;
    state.ResultsFileName = QStringLiteral("stale");
    return state;
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Heulmeister Pro.inf"));
        QFile::remove(path_);
    }

    // ProfileFile

    void readValue_data();
    void readValue();
    void writeValue_data();
    void writeValue();
    void valueRoundTrip_data();
    void valueRoundTrip();
    void rejectsWhatALineCannotHold_data();
    void rejectsWhatALineCannotHold();
    void missingFileLoadsEmpty();
    void saveFailureIsReported();
    void byteOrderMarksRoundTrip_data();
    void byteOrderMarksRoundTrip();
    void newKeyInLongSectionIsLinear_data();
    void newKeyInLongSectionIsLinear();

    // SettingsFile

    void firstWriteOfFreshFile();
    void roundTrip();
    void missingFileGivesDefaults();
    void integerText_data();
    void integerText();
    void eachKeyHasItsSectionAndDefault_data();
    void eachKeyHasItsSectionAndDefault();
    void cutRangeGuard_data();
    void cutRangeGuard();
    void volumeGuard_data();
    void volumeGuard();
    void caseInsensitiveNamesUpdatedInPlace();
    void foreignLinesSurviveWrite();
    void crlfFileStaysCrlf();
    void windows1252FileName();
    void eachLineKeepsItsEncoding_data();
    void eachLineKeepsItsEncoding();
    void backslashesKeptVerbatim();
    void lineBreakInFileNameIsNotWritten();
    void carriageReturnReadFromTheFileIsKept();
    void settingsPathNextToProgram();
    void settingsPathFallsBackToConfigHome_data();
    void settingsPathFallsBackToConfigHome();
    void unreadableFileIsNotReplaced();
    void fullDiskKeepsTheFile_data();
    void fullDiskKeepsTheFile();
    void readOnlyFolderKeepsTheFile();
    void trainingSectionWrittenOnlyWhenPresentOrChanged_data();
    void trainingSectionWrittenOnlyWhenPresentOrChanged();
    void trainingValuesRead_data();
    void trainingValuesRead();
    void hintsAndPathRoundTrip_data();
    void hintsAndPathRoundTrip();
    void aHugePathListIsReadInLittleMemory();
    void onlyRegularFilesAreOpened_data();
    void onlyRegularFilesAreOpened();

  private:
    QTemporaryDir dir_;
    QString path_;
};

void SettingsTest::readValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("plain") << QByteArray("[Filter]\nLowCut=5\n") << "Filter"
                           << "LowCut" << true << "5";
    QTest::newRow("section case") << QByteArray("[fILTER]\nLowCut=5\n") << "Filter"
                                  << "LowCut" << true << "5";
    QTest::newRow("key case") << QByteArray("[Filter]\nLOWCUT=5\n") << "filter"
                              << "lowCut" << true << "5";
    QTest::newRow("umlaut case") << QByteArray("[\xc3\x9c"
                                               "bung]\n\xc3\xa4=1\n")
                                 << "übung"
                                 << "Ä" << true << "1";
    QTest::newRow("blanks around names and value")
        << QByteArray("  [ Filter ]  \n\t LowCut \t=  5 \t\n") << "Filter"
        << "LowCut" << true << "5";
    QTest::newRow("first section wins")
        << QByteArray("[Filter]\nLowCut=1\n[Filter]\nLowCut=2\n") << "Filter"
        << "LowCut" << true << "1";
    QTest::newRow("first key wins") << QByteArray("[Filter]\nLowCut=1\nlowcut=2\n") << "Filter"
                                    << "LowCut" << true << "1";
    QTest::newRow("key of another section")
        << QByteArray("[Audio]\nLowCut=1\n[Filter]\nHighcut=2\n") << "Filter"
        << "LowCut" << false << "";
    QTest::newRow("comment") << QByteArray("[Filter]\n;LowCut=1\n") << "Filter"
                             << "LowCut" << false << "";
    QTest::newRow("key before any section") << QByteArray("LowCut=1\n[Filter]\n") << "Filter"
                                            << "LowCut" << false << "";
    QTest::newRow("line without equals") << QByteArray("[Filter]\nLowCut\n") << "Filter"
                                         << "LowCut" << false << "";
    QTest::newRow("missing section") << QByteArray("[Audio]\nVolumen=1\n") << "Filter"
                                     << "LowCut" << false << "";
    QTest::newRow("equals in value") << QByteArray("[Daten]\nDateiname=a=b\n") << "Daten"
                                     << "Dateiname" << true << "a=b";
    QTest::newRow("double quotes") << QByteArray("[Daten]\nDateiname=\" x \"\n") << "Daten"
                                   << "Dateiname" << true << " x ";
    QTest::newRow("single quotes") << QByteArray("[Daten]\nDateiname='x'\n") << "Daten"
                                   << "Dateiname" << true << "x";
    QTest::newRow("unmatched quote") << QByteArray("[Daten]\nDateiname=\"x'\n") << "Daten"
                                     << "Dateiname" << true << "\"x'";
    QTest::newRow("empty value") << QByteArray("[Daten]\nDateiname=\n") << "Daten"
                                 << "Dateiname" << true << "";
    QTest::newRow("no final line end") << QByteArray("[Filter]\nLowCut=7") << "Filter"
                                       << "LowCut" << true << "7";
    QTest::newRow("crlf") << QByteArray("[Filter]\r\nLowCut=7\r\n") << "Filter"
                          << "LowCut" << true << "7";
    QTest::newRow("text after header") << QByteArray("[Filter] ; Baender\nLowCut=7\n") << "Filter"
                                       << "LowCut" << true << "7";
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[Filter]\nLowCut=3\n") << "Filter"
                                     << "LowCut" << true << "3";
    QTest::newRow("utf-8") << QByteArray("[Daten]\nDateiname=C:\\M\xc3\xbcll\\\xe2\x82\xac.HMD\n")
                           << "Daten"
                           << "Dateiname" << true << "C:\\Müll\\€.HMD";
    QTest::newRow("windows-1252") << QByteArray("[Daten]\nDateiname=C:\\M\xfcll\\\x80.HMD\n")
                                  << "Daten"
                                  << "Dateiname" << true << "C:\\Müll\\€.HMD";
}

void SettingsTest::readValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, value);

    ProfileFile profile;
    profile.LoadBytes(content);
    const auto result = profile.ReadString(section, key);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, value);
}

void SettingsTest::writeValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("keeps spacing") << QByteArray("[Filter]\nLowCut = 5\n") << "Filter"
                                   << "LowCut"
                                   << "7" << QByteArray("[Filter]\nLowCut = 7\n");
    QTest::newRow("keeps spelling") << QByteArray("[filter]\nlowcut=5\n") << "Filter"
                                    << "LowCut"
                                    << "7" << QByteArray("[filter]\nlowcut=7\n");
    QTest::newRow("unchanged value leaves line")
        << QByteArray("[Filter]\nLowCut =  7  \n") << "Filter"
        << "LowCut"
        << "7" << QByteArray("[Filter]\nLowCut =  7  \n");
    QTest::newRow("empty old value") << QByteArray("[Daten]\nDateiname=   \n") << "Daten"
                                     << "Dateiname"
                                     << "x" << QByteArray("[Daten]\nDateiname=x\n");
    QTest::newRow("first of duplicates") << QByteArray("[Filter]\nLowCut=1\nLowCut=2\n") << "Filter"
                                         << "LowCut"
                                         << "9" << QByteArray("[Filter]\nLowCut=9\nLowCut=2\n");
    QTest::newRow("new key after last entry")
        << QByteArray("[Filter]\nLowCut=5\n\n; Audio\n[Audio]\nVolumen=1\n") << "Filter"
        << "Highcut"
        << "22" << QByteArray("[Filter]\nLowCut=5\nHighcut=22\n\n; Audio\n[Audio]\nVolumen=1\n");
    QTest::newRow("new key in empty section")
        << QByteArray("[Filter]\n[Audio]\n") << "Filter"
        << "Highcut"
        << "22" << QByteArray("[Filter]\nHighcut=22\n[Audio]\n");
    QTest::newRow("new key at unterminated end")
        << QByteArray("[Filter]\nLowCut=5") << "Filter"
        << "Highcut"
        << "22" << QByteArray("[Filter]\nLowCut=5\nHighcut=22\n");
    QTest::newRow("new section") << QByteArray("[Filter]\nLowCut=5\n") << "Audio"
                                 << "Volumen"
                                 << "-3"
                                 << QByteArray("[Filter]\nLowCut=5\n\n[Audio]\nVolumen=-3\n");
    QTest::newRow("new section after blank line")
        << QByteArray("[Filter]\n\n") << "Audio"
        << "Volumen"
        << "-3" << QByteArray("[Filter]\n\n[Audio]\nVolumen=-3\n");
    QTest::newRow("empty file") << QByteArray() << "Audio"
                                << "Volumen"
                                << "-3" << QByteArray("[Audio]\nVolumen=-3\n");
    QTest::newRow("crlf new section")
        << QByteArray("[Filter]\r\nLowCut=5\r\n") << "Audio"
        << "Volumen"
        << "-3" << QByteArray("[Filter]\r\nLowCut=5\r\n\r\n[Audio]\r\nVolumen=-3\r\n");
    QTest::newRow("crlf new key") << QByteArray("[Filter]\r\nLowCut=5") << "Filter"
                                  << "Highcut"
                                  << "22" << QByteArray("[Filter]\r\nLowCut=5\r\nHighcut=22\r\n");
    QTest::newRow("byte order mark kept")
        << QByteArray("\xEF\xBB\xBF[Filter]\nLowCut=5\n") << "Filter"
        << "LowCut"
        << "6" << QByteArray("\xEF\xBB\xBF[Filter]\nLowCut=6\n");
    QTest::newRow("windows-1252 line kept, new line in utf-8")
        << QByteArray("[Daten]\nA=M\xfcll\n") << "Daten"
        << "B"
        << "\xc3\xa4" << QByteArray("[Daten]\nA=M\xfcll\nB=\xc3\xa4\n");
    QTest::newRow("changed windows-1252 line in utf-8")
        << QByteArray("[Daten]\nA=M\xfcll\n") << "Daten"
        << "A"
        << "\xc3\xa4" << QByteArray("[Daten]\nA=\xc3\xa4\n");
}

void SettingsTest::writeValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    ProfileFile profile;
    profile.LoadBytes(before);
    QVERIFY(profile.WriteString(section, key, value));
    QCOMPARE(profile.ToBytes(), after);
}

void SettingsTest::valueRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("windows path") << "C:\\Programme\\Heulmeister Pro\\a.HMD";
    QTest::newRow("unc path") << "\\\\server\\freigabe\\a.HMD";
    QTest::newRow("leading blank") << " a.HMD";
    QTest::newRow("trailing blank") << "a.HMD ";
    QTest::newRow("tab") << "\ta";
    QTest::newRow("looks quoted") << "\"a\"";
    QTest::newRow("looks single quoted") << "'a'";
    QTest::newRow("lone quote") << "\"";
    QTest::newRow("semicolon and equals") << ";a=b";
    QTest::newRow("umlauts") << "/home/jürgen/Übungen/größe.HMD";
    QTest::newRow("empty") << "";
}

void SettingsTest::valueRoundTrip()
{
    QFETCH(QString, value);
    ProfileFile profile;
    QVERIFY(profile.WriteString(QStringLiteral("Daten"), QStringLiteral("Dateiname"), value));
    QVERIFY(profile.Save(path_));

    ProfileFile reloaded;
    QVERIFY(reloaded.Load(path_));
    QCOMPARE(reloaded.ReadString(u"Daten", u"Dateiname"), std::optional<QString>(value));
}

void SettingsTest::rejectsWhatALineCannotHold_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("line feed in value") << "Daten"
                                        << "Dateiname"
                                        << "a\n[Filter]";
    QTest::newRow("carriage return in value") << "Daten"
                                              << "Dateiname"
                                              << "a\rb";
    QTest::newRow("line break in key") << "Daten"
                                       << "Datei\nname"
                                       << "a";
    QTest::newRow("equals in key") << "Daten"
                                   << "LowCut=1"
                                   << "a";
    QTest::newRow("comment key") << "Daten"
                                 << ";x"
                                 << "a";
    QTest::newRow("empty key") << "Daten"
                               << " "
                               << "a";
    QTest::newRow("bracket in section") << "Da]ten"
                                        << "Dateiname"
                                        << "a";
    QTest::newRow("empty section") << ""
                                   << "Dateiname"
                                   << "a";
}

void SettingsTest::rejectsWhatALineCannotHold()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray before("[Daten]\nDateiname=alt\n");
    ProfileFile profile;
    profile.LoadBytes(before);
    QVERIFY(!profile.WriteString(section, key, value));
    QCOMPARE(profile.ToBytes(), before);
}

void SettingsTest::missingFileLoadsEmpty()
{
    ProfileFile profile;
    profile.LoadBytes("[Filter]\nLowCut=1\n");
    QString error;
    QVERIFY(profile.Load(dir_.filePath(QStringLiteral("fehlt.inf")), &error));
    QVERIFY(profile.ToBytes().isEmpty());
    QVERIFY(!profile.ReadString(u"Filter", u"LowCut"));
}

void SettingsTest::saveFailureIsReported()
{
    ProfileFile profile;
    QVERIFY(profile.WriteString(QStringLiteral("Filter"), QStringLiteral("LowCut"),
                                QStringLiteral("1")));
    QString error;
    QVERIFY(!profile.Save(dir_.filePath(QStringLiteral("kein/ordner/x.inf")), &error));
    QVERIFY(!error.isEmpty());
}

// Byte-order marks at the start: however many there are, the file means the
// same before and after the program writes it back, and keeps its marks.
void SettingsTest::byteOrderMarksRoundTrip_data()
{
    QTest::addColumn<int>("marks");
    QTest::addColumn<QByteArray>("body");
    const QByteArray utf8("[Spiel]\nZufallszeit=6\n[Daten]\nDateiname=/tmp/M\xc3\xbcll.HMD\n");
    const QByteArray cp1252("[Spiel]\nZufallszeit=6\n[Daten]\nDateiname=/tmp/M\xfcll.HMD\n");
    for (int marks = 0; marks <= 4; ++marks) {
        QTest::addRow("%d marks, utf-8", marks) << marks << utf8;
        QTest::addRow("%d marks, windows-1252", marks) << marks << cp1252;
    }
}

void SettingsTest::byteOrderMarksRoundTrip()
{
    QFETCH(int, marks);
    QFETCH(QByteArray, body);
    const QByteArray mark("\xEF\xBB\xBF");
    WriteBytes(path_, mark.repeated(marks) + body);

    GameState first = ScrambledState();
    ReadSettings(path_, first);
    QCOMPARE(first.RandomStartSeconds, 6);
    QCOMPARE(first.ResultsFileName, QStringLiteral("/tmp/Müll.HMD"));
    QVERIFY(WriteSettings(path_, first));
    const QByteArray written = ReadBytes(path_);
    QVERIFY(written.startsWith(mark.repeated(marks) + "[Spiel]"));

    GameState second = ScrambledState();
    ReadSettings(path_, second);
    QCOMPARE(second.RandomStartSeconds, 6);
    QCOMPARE(second.ResultsFileName, first.ResultsFileName);
    QCOMPARE(second.LowCutBand, first.LowCutBand);
    QVERIFY(WriteSettings(path_, second));
    QCOMPARE(ReadBytes(path_), written);
}

// A key missing from a huge section costs lines in proportion to the file,
// not to its square: counted, not timed.
void SettingsTest::newKeyInLongSectionIsLinear_data()
{
    QTest::addColumn<int>("lines");
    QTest::newRow("1000 lines") << 1000;
    QTest::newRow("20000 lines") << 20000;
}

void SettingsTest::newKeyInLongSectionIsLinear()
{
    QFETCH(int, lines);
    QByteArray content("[Filter]\nLowCut=5\n");
    for (int i = 0; i < lines; ++i)
        content += "Notiz" + QByteArray::number(i) + "=x\n";
    content += "[Audio]\nVolumen=1\n";
    ProfileFile profile;
    profile.LoadBytes(content);
    QCOMPARE(profile.LinesScanned(), std::size_t{0});

    QVERIFY(profile.WriteString(QStringLiteral("Filter"), QStringLiteral("Highcut"),
                                QStringLiteral("22")));

    const std::size_t fileLines = std::size_t(lines) + 4;
    QVERIFY2(profile.LinesScanned() <= 4 * fileLines,
             qPrintable(QStringLiteral("%1 lines scanned for a file of %2")
                            .arg(profile.LinesScanned())
                            .arg(fileLines)));
    QVERIFY(profile.ToBytes().endsWith("=x\nHighcut=22\n[Audio]\nVolumen=1\n"));
}

void SettingsTest::firstWriteOfFreshFile()
{
    QString error;
    QVERIFY2(WriteSettings(path_, SampleState(), &error), qPrintable(error));
    const QByteArray expected = "[Filter]\n"
                                "LowCut=3\n"
                                "Highcut=24\n"
                                "\n"
                                "[Spiel]\n"
                                "Selektmode=0\n"
                                "SoundStop=4\n"
                                "Zufallszeit=6\n"
                                "StartZeit=5\n"
                                "\n"
                                "[Audio]\n"
                                "Volumen=-5\n"
                                "Soundkarte=2\n"
                                "\n"
                                "[Daten]\n"
                                "Dateiname=/home/spieler/Ergebnisse.HMD\n";
    QCOMPARE(ReadBytes(path_), expected);
}

void SettingsTest::roundTrip()
{
    const GameState written = SampleState();
    QVERIFY(WriteSettings(path_, written));
    const QByteArray firstBytes = ReadBytes(path_);

    GameState read = ScrambledState();
    ReadSettings(path_, read);
    QCOMPARE(read.LowCutBand, written.LowCutBand);
    QCOMPARE(read.HighCutBand, written.HighCutBand);
    QCOMPARE(read.MasterVolume, written.MasterVolume);
    QCOMPARE(read.SoundCardId, written.SoundCardId);
    QCOMPARE(read.ScoringMode, written.ScoringMode);
    QCOMPARE(read.FeedbackTimeSetting, written.FeedbackTimeSetting);
    QCOMPARE(read.RandomStartSeconds, written.RandomStartSeconds);
    QCOMPARE(read.AutoRestartSeconds, written.AutoRestartSeconds);
    QCOMPARE(read.ResultsFileName, written.ResultsFileName);

    // Writing what was read changes nothing.
    QVERIFY(WriteSettings(path_, read));
    QCOMPARE(ReadBytes(path_), firstBytes);
}

void SettingsTest::missingFileGivesDefaults()
{
    GameState state = ScrambledState();
    ReadSettings(path_, state);
    QCOMPARE(state.LowCutBand, 11);
    QCOMPARE(state.HighCutBand, 22);
    QCOMPARE(state.MasterVolume, -10);
    QCOMPARE(state.SoundCardId, 0);
    QCOMPARE(state.ScoringMode, 1);
    QCOMPARE(state.FeedbackTimeSetting, 0);
    QCOMPARE(state.RandomStartSeconds, 0);
    QCOMPARE(state.AutoRestartSeconds, 0);
    QVERIFY(state.ResultsFileName.isEmpty());
}

void SettingsTest::integerText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected"); // the default 0 where the text is no integer

    QTest::newRow("plain") << QByteArray("7") << 7;
    QTest::newRow("blanks") << QByteArray("  -7 \t") << -7;
    QTest::newRow("plus") << QByteArray("+3") << 3;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << (-2147483647 - 1);
    QTest::newRow("too large") << QByteArray("2147483648") << 0;
    QTest::newRow("too small") << QByteArray("-2147483649") << 0;
    QTest::newRow("far too large") << QByteArray("99999999999999999999999") << 0;
    QTest::newRow("trailing letters") << QByteArray("12abc") << 0;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("decimal point") << QByteArray("1.5") << 0;
    QTest::newRow("hex") << QByteArray("0x10") << 0;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << 0;
    QTest::newRow("two signs") << QByteArray("--5") << 0;
    QTest::newRow("arabic-indic digit") << QByteArray("\xd9\xa3") << 0;
}

void SettingsTest::integerText()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    WriteBytes(path_, "[Spiel]\nZufallszeit=" + text + "\n");
    GameState state = ScrambledState();
    ReadSettings(path_, state);
    QCOMPARE(state.RandomStartSeconds, expected);
}

// Each key once with a value and once with garbage, alone in its section, so
// a key read from the wrong section or into the wrong field shows.
void SettingsTest::eachKeyHasItsSectionAndDefault_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("field"); // index into the fields listed in the test
    QTest::addColumn<int>("expected");

    const struct {
        const char* section;
        const char* key;
        int value;
        int defaultValue;
    } keys[] = {
        {"Filter", "LowCut", 5, 11},     {"Filter", "Highcut", 20, 22},
        {"Audio", "Volumen", 4, -10},    {"Audio", "Soundkarte", 3, 0},
        {"Spiel", "Selektmode", 0, 1},   {"Spiel", "SoundStop", 6, 0},
        {"Spiel", "Zufallszeit", 20, 0}, {"Spiel", "StartZeit", 5, 0},
    };
    int field = 0;
    for (const auto& k : keys) {
        QTest::addRow("%s value", k.key) << QByteArray(k.section) << QByteArray(k.key)
                                         << QByteArray::number(k.value) << field << k.value;
        QTest::addRow("%s garbage", k.key) << QByteArray(k.section) << QByteArray(k.key)
                                           << QByteArray("x") << field << k.defaultValue;
        ++field;
    }
}

void SettingsTest::eachKeyHasItsSectionAndDefault()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, text);
    QFETCH(int, field);
    QFETCH(int, expected);

    WriteBytes(path_, "[" + section + "]\n" + key + "=" + text + "\n");
    GameState state = ScrambledState();
    ReadSettings(path_, state);
    const int fields[] = {state.LowCutBand,         state.HighCutBand,
                          state.MasterVolume,       state.SoundCardId,
                          state.ScoringMode,        state.FeedbackTimeSetting,
                          state.RandomStartSeconds, state.AutoRestartSeconds};
    QCOMPARE(fields[field], expected);
}

void SettingsTest::cutRangeGuard_data()
{
    QTest::addColumn<QByteArray>("lowText");
    QTest::addColumn<QByteArray>("highText");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");

    // What the menus produce stays.
    QTest::newRow("menu widest") << QByteArray("1") << QByteArray("26") << 1 << 26;
    QTest::newRow("menu narrow") << QByteArray("12") << QByteArray("22") << 12 << 22;
    // Hand-edited values inside the table stay too.
    QTest::newRow("low 0") << QByteArray("0") << QByteArray("13") << 0 << 13;
    QTest::newRow("low 13") << QByteArray("13") << QByteArray("14") << 13 << 14;
    QTest::newRow("top pair") << QByteArray("25") << QByteArray("26") << 25 << 26;
    // Out of the table: the one side falls back.
    QTest::newRow("low negative") << QByteArray("-1") << QByteArray("20") << 11 << 20;
    QTest::newRow("low 26") << QByteArray("26") << QByteArray("26") << 11 << 26;
    QTest::newRow("high 27") << QByteArray("5") << QByteArray("27") << 5 << 22;
    QTest::newRow("high huge") << QByteArray("5") << QByteArray("2147483647") << 5 << 22;
    QTest::newRow("high 0") << QByteArray("5") << QByteArray("0") << 5 << 22;
    // An empty or inverted range: both fall back.
    QTest::newRow("equal") << QByteArray("12") << QByteArray("12") << 11 << 22;
    QTest::newRow("inverted") << QByteArray("20") << QByteArray("5") << 11 << 22;
    QTest::newRow("high 27 below low") << QByteArray("23") << QByteArray("27") << 11 << 22;
    QTest::newRow("low default above high") << QByteArray("x") << QByteArray("8") << 11 << 22;
    QTest::newRow("garbage low") << QByteArray("x") << QByteArray("26") << 11 << 26;
}

void SettingsTest::cutRangeGuard()
{
    QFETCH(QByteArray, lowText);
    QFETCH(QByteArray, highText);
    QFETCH(int, low);
    QFETCH(int, high);
    WriteBytes(path_, "[Filter]\nLowCut=" + lowText + "\nHighcut=" + highText + "\n");
    GameState state = ScrambledState();
    ReadSettings(path_, state);
    QCOMPARE(state.LowCutBand, low);
    QCOMPARE(state.HighCutBand, high);
}

void SettingsTest::volumeGuard_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("volume");
    QTest::newRow("bottom") << QByteArray("-12") << -12;
    QTest::newRow("top") << QByteArray("12") << 12;
    // Out of the fader's travel starts low, not at the nearer end.
    QTest::newRow("13") << QByteArray("13") << -11;
    QTest::newRow("-13") << QByteArray("-13") << -11;
    QTest::newRow("huge") << QByteArray("2147483647") << -11;
    QTest::newRow("garbage") << QByteArray("laut") << -10;
}

void SettingsTest::volumeGuard()
{
    QFETCH(QByteArray, text);
    QFETCH(int, volume);
    WriteBytes(path_, "[Audio]\nVolumen=" + text + "\n");
    GameState state = ScrambledState();
    ReadSettings(path_, state);
    QCOMPARE(state.MasterVolume, volume);
}

void SettingsTest::caseInsensitiveNamesUpdatedInPlace()
{
    WriteBytes(path_, "[filter]\nlowcut=3\nHIGHCUT=20\n[AUDIO]\nvolumen=2\n");
    GameState state;
    ReadSettings(path_, state);
    QCOMPARE(state.LowCutBand, 3);
    QCOMPARE(state.HighCutBand, 20);
    QCOMPARE(state.MasterVolume, 2);

    state.LowCutBand = 4;
    state.MasterVolume = -1;
    QVERIFY(WriteSettings(path_, state));
    const QByteArray expected = "[filter]\nlowcut=4\nHIGHCUT=20\n"
                                "[AUDIO]\nvolumen=-1\nSoundkarte=0\n"
                                "\n[Spiel]\nSelektmode=1\nSoundStop=0\nZufallszeit=0\nStartZeit=0\n"
                                "\n[Daten]\nDateiname=\n";
    QCOMPARE(ReadBytes(path_), expected);
}

void SettingsTest::foreignLinesSurviveWrite()
{
    WriteBytes(path_, "; Heulmeister Pro Einstellungen\n"
                      "\n"
                      "[Fenster]\n"
                      "Links=10\n"
                      "\n"
                      "[Filter]\n"
                      "; Bandgrenzen\n"
                      "Highcut = 24\n"
                      "Notiz=LowCut=3\n"
                      "LowCut=2\n"
                      "\n"
                      "; Klang\n"
                      "[Audio]\n"
                      "Soundkarte=1\n"
                      "Treiber=alsa\n"
                      "Volumen=-10\n"
                      "[Spiel]\n"
                      "Zufallszeit=7\n");
    GameState state = SampleState();
    ReadSettings(path_, state);
    QCOMPARE(state.LowCutBand, 2);
    QCOMPARE(state.RandomStartSeconds, 7);

    state.LowCutBand = 5;
    state.HighCutBand = 24;
    state.SoundCardId = 0;
    state.ScoringMode = 0;
    QVERIFY(WriteSettings(path_, state));
    QCOMPARE(ReadBytes(path_), QByteArray("; Heulmeister Pro Einstellungen\n"
                                          "\n"
                                          "[Fenster]\n"
                                          "Links=10\n"
                                          "\n"
                                          "[Filter]\n"
                                          "; Bandgrenzen\n"
                                          "Highcut = 24\n"
                                          "Notiz=LowCut=3\n"
                                          "LowCut=5\n"
                                          "\n"
                                          "; Klang\n"
                                          "[Audio]\n"
                                          "Soundkarte=0\n"
                                          "Treiber=alsa\n"
                                          "Volumen=-10\n"
                                          "[Spiel]\n"
                                          "Zufallszeit=7\n"
                                          "Selektmode=0\n"
                                          "SoundStop=0\n"
                                          "StartZeit=0\n"
                                          "\n"
                                          "[Daten]\n"
                                          "Dateiname=\n"));
}

void SettingsTest::crlfFileStaysCrlf()
{
    WriteBytes(path_,
               "[Filter]\r\nLowCut=3\r\nHighcut=20\r\n\r\n[Daten]\r\nDateiname=C:\\a.HMD\r\n");
    GameState state;
    ReadSettings(path_, state);
    QCOMPARE(state.ResultsFileName, QStringLiteral("C:\\a.HMD"));
    state.HighCutBand = 21;
    QVERIFY(WriteSettings(path_, state));
    QCOMPARE(
        ReadBytes(path_),
        QByteArray("[Filter]\r\nLowCut=3\r\nHighcut=21\r\n\r\n"
                   "[Daten]\r\nDateiname=C:\\a.HMD\r\n"
                   "\r\n[Spiel]\r\nSelektmode=1\r\nSoundStop=0\r\nZufallszeit=0\r\nStartZeit=0\r\n"
                   "\r\n[Audio]\r\nVolumen=-10\r\nSoundkarte=0\r\n"));
}

void SettingsTest::windows1252FileName()
{
    WriteBytes(path_, "[Daten]\r\nDateiname=C:\\Eigene Dateien\\M\xfcller\\\xdc"
                      "bung \x80.HMD\r\n");
    GameState state;
    ReadSettings(path_, state);
    const QString expected = QStringLiteral("C:\\Eigene Dateien\\Müller\\Übung €.HMD");
    QCOMPARE(state.ResultsFileName, expected);

    // Unchanged, the line keeps its bytes, so the Windows version still reads it.
    QVERIFY(WriteSettings(path_, state));
    QVERIFY(ReadBytes(path_).startsWith("[Daten]\r\nDateiname=C:\\Eigene Dateien\\M\xfcller\\\xdc"
                                        "bung \x80.HMD\r\n"));
    GameState read = ScrambledState();
    ReadSettings(path_, read);
    QCOMPARE(read.ResultsFileName, expected);
}

// One byte of the other encoding in a comment garbles no other line, and what
// the game did not change goes back byte for byte.
void SettingsTest::eachLineKeepsItsEncoding_data()
{
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<QByteArray>("u"); // "ü" in the encoding of the paths
    QTest::addColumn<QByteArray>("lineEnd");
    const QByteArray utf8U("\xc3\xbc");
    QTest::newRow("utf-8 paths, latin-1 comment")
        << QByteArray("; Gr\xfc\xdf") << utf8U << QByteArray("\n");
    QTest::newRow("the same with crlf")
        << QByteArray("; Gr\xfc\xdf") << utf8U << QByteArray("\r\n");
    QTest::newRow("windows-1252 paths, utf-8 comment")
        << QByteArray("; Gr\xc3\xbc\xc3\x9f") << QByteArray("\xfc") << QByteArray("\n");
}

void SettingsTest::eachLineKeepsItsEncoding()
{
    QFETCH(QByteArray, comment);
    QFETCH(QByteArray, u);
    QFETCH(QByteArray, lineEnd);
    QByteArray content = "[Filter]\nLowCut=11\nHighcut=22\n" + comment +
                         "\n[Audio]\nVolumen=-10\nSoundkarte=0\n[Spiel]\nSelektmode=1\n"
                         "SoundStop=0\nZufallszeit=0\nStartZeit=0\n[Daten]\nDateiname=/M" +
                         u +
                         "ller.HMD\n[Training]\nSchwerpunkt=0\nAnschwellen=0\n"
                         "Hintergrund=2\nMusik=/M" +
                         u + "ller.flac\n";
    content.replace("\n", lineEnd);
    WriteBytes(path_, content);

    GameState state;
    ReadSettings(path_, state);
    QCOMPARE(state.ResultsFileName, QStringLiteral("/Müller.HMD"));
    QCOMPARE(state.Training.Musik, QStringLiteral("/Müller.flac"));
    QVERIFY(WriteSettings(path_, state));
    QCOMPARE(ReadBytes(path_), content);
    state.MasterVolume = -3;
    QVERIFY(WriteSettings(path_, state));
    QCOMPARE(ReadBytes(path_), content.replace("Volumen=-10", "Volumen=-3"));
}

void SettingsTest::backslashesKeptVerbatim()
{
    GameState state;
    state.ResultsFileName = QStringLiteral("\\\\server\\Heulmeister Pro\\neu\\test.HMD");
    QVERIFY(WriteSettings(path_, state));
    QVERIFY(ReadBytes(path_).contains("\nDateiname=\\\\server\\Heulmeister Pro\\neu\\test.HMD\n"));

    GameState read;
    ReadSettings(path_, read);
    QCOMPARE(read.ResultsFileName, state.ResultsFileName);
}

void SettingsTest::lineBreakInFileNameIsNotWritten()
{
    GameState state;
    state.LowCutBand = 4;
    state.ResultsFileName = QStringLiteral("/tmp/a\n[Filter]\nLowCut=0\n.HMD");
    QVERIFY(WriteSettings(path_, state));

    GameState read = ScrambledState();
    ReadSettings(path_, read);
    QCOMPARE(read.LowCutBand, 4);
    QVERIFY(read.ResultsFileName.isEmpty());
}

// A lone carriage return inside a line is part of its value; writing back the
// value just read must keep it rather than forget the file name.
void SettingsTest::carriageReturnReadFromTheFileIsKept()
{
    const QByteArray content("[Daten]\nDateiname=/tmp/a\rb.HMD\n");
    WriteBytes(path_, content);
    GameState state;
    ReadSettings(path_, state);
    QCOMPARE(state.ResultsFileName, QStringLiteral("/tmp/a\rb.HMD"));
    QVERIFY(WriteSettings(path_, state));
    GameState read = ScrambledState();
    ReadSettings(path_, read);
    QCOMPARE(read.ResultsFileName, state.ResultsFileName);
    QVERIFY(ReadBytes(path_).startsWith(content));
}

void SettingsTest::settingsPathNextToProgram()
{
    QCOMPARE(SettingsFilePath(dir_.path()), dir_.path() + QStringLiteral("/Heulmeister Pro.inf"));
}

void SettingsTest::settingsPathFallsBackToConfigHome_data()
{
    QTest::addColumn<bool>("setConfigHome");
    QTest::addColumn<QString>("configHome"); // relative to the temporary folder when absolute
    QTest::addColumn<QString>("expectedFolder");

    QTest::newRow("config home") << true << "/xdg"
                                 << "/xdg/Heulmeister Pro";
    QTest::newRow("unset") << false << ""
                           << "/home/.config/Heulmeister Pro";
    QTest::newRow("empty") << true << ""
                           << "/home/.config/Heulmeister Pro";
    QTest::newRow("relative") << true << "xdg"
                              << "/home/.config/Heulmeister Pro";
}

void SettingsTest::settingsPathFallsBackToConfigHome()
{
    QFETCH(bool, setConfigHome);
    QFETCH(QString, configHome);
    QFETCH(QString, expectedFolder);

    // An installed program's folder: read-only even for root.
    const QString programDir = dir_.filePath(QStringLiteral("programm"));
    QVERIFY(QDir().mkpath(programDir));
    ScratchMount readOnly = ScratchMount::ReadOnly(programDir);
    QVERIFY2(readOnly.Mounted(), qPrintable(readOnly.Error()));

    EnvironmentOverride xdg("XDG_CONFIG_HOME");
    EnvironmentOverride home("HOME");
    home.Set(dir_.filePath(QStringLiteral("home")).toLocal8Bit());
    if (!setConfigHome)
        xdg.Unset();
    else if (configHome.startsWith(u'/'))
        xdg.Set((dir_.path() + configHome).toLocal8Bit());
    else
        xdg.Set(configHome.toLocal8Bit());

    const QString path = SettingsFilePath(programDir);
    QVERIFY2(readOnly.Unmount(), qPrintable(readOnly.Error()));
    QCOMPARE(path, dir_.path() + expectedFolder + QStringLiteral("/Heulmeister Pro.inf"));

    // The folder is created on the first write.
    QVERIFY(WriteSettings(path, SampleState()));
    GameState read;
    ReadSettings(path, read);
    QCOMPARE(read.ResultsFileName, SampleState().ResultsFileName);
    QVERIFY(QDir(dir_.path() + expectedFolder).removeRecursively());
}

void SettingsTest::unreadableFileIsNotReplaced()
{
    const QByteArray content("[Fenster]\nLinks=10\n");
    WriteBytes(path_, content);
    QVERIFY(QFile::setPermissions(path_, QFile::WriteOwner));
    QString error;
    bool written = false;
    {
        // Root reads any file; without that override the bits count.
        const WithoutPermissionOverride asUser;
        QVERIFY(asUser.Active());
        QFile probe(path_);
        QVERIFY(!probe.open(QIODevice::ReadOnly));
        written = WriteSettings(path_, SampleState(), &error);
    }
    QVERIFY(QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(!written);
    QVERIFY2(error.contains(QStringLiteral("Zugriff verweigert")), qPrintable(error));
    QCOMPARE(ReadBytes(path_), content);
}

// A full disk while the settings are written at exit: the old file stays
// byte for byte and the reason is given in German.
void SettingsTest::fullDiskKeepsTheFile_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file yet
    QTest::newRow("existing file") << QByteArray("; eigene Notiz\n[Filter]\nLowCut=5\n");
    QTest::newRow("new file") << QByteArray();
}

void SettingsTest::fullDiskKeepsTheFile()
{
    QFETCH(QByteArray, content);
    const QString folder = dir_.filePath(QStringLiteral("voll"));
    QVERIFY(QDir().mkpath(folder));
    ScratchMount tmpfs = ScratchMount::SmallTmpfs(folder, 64 * 1024);
    QVERIFY2(tmpfs.Mounted(), qPrintable(tmpfs.Error()));
    const QString path = folder + QStringLiteral("/Heulmeister Pro.inf");
    if (!content.isEmpty())
        WriteBytes(path, content);
    QVERIFY(FillFileSystem(folder));

    QString error;
    const bool written = WriteSettings(path, SampleState(), &error);

    QVERIFY(!written);
    QVERIFY2(error.contains(QStringLiteral("kein Platz")), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("Heulmeister Pro.inf")), qPrintable(error));
    QCOMPARE(QFile::exists(path), !content.isEmpty());
    QCOMPARE(ReadBytes(path), content);
    QStringList expectedFiles{QStringLiteral("filler")};
    if (!content.isEmpty())
        expectedFiles << QStringLiteral("Heulmeister Pro.inf");
    QCOMPARE(QDir(folder).entryList(QDir::Files), expectedFiles);
    QVERIFY2(tmpfs.Unmount(), qPrintable(tmpfs.Error()));
}

void SettingsTest::readOnlyFolderKeepsTheFile()
{
    const QByteArray content("[Filter]\nLowCut=5\n");
    WriteBytes(path_, content);
    ScratchMount readOnly = ScratchMount::ReadOnly(dir_.path());
    QVERIFY2(readOnly.Mounted(), qPrintable(readOnly.Error()));
    QString error;
    const bool written = WriteSettings(path_, SampleState(), &error);
    QVERIFY2(readOnly.Unmount(), qPrintable(readOnly.Error()));
    QVERIFY(!written);
    QVERIFY2(error.contains(QStringLiteral("schreibgeschützt")), qPrintable(error));
    QCOMPARE(ReadBytes(path_), content);
}

void SettingsTest::trainingSectionWrittenOnlyWhenPresentOrChanged_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("schwerpunkt");
    QTest::addColumn<QString>("musik");
    QTest::addColumn<QByteArray>("trainingAfter"); // the file from "[Training]" on; empty: none

    const QByteArray nine = "[Filter]\nLowCut=11\nHighcut=22\n\n[Spiel]\nSelektmode=1\n"
                            "SoundStop=0\nZufallszeit=0\nStartZeit=0\n\n[Audio]\nVolumen=-10\n"
                            "Soundkarte=0\n\n[Daten]\nDateiname=\n";
    QTest::newRow("never touched: no section") << nine << 0 << QString() << QByteArray();
    QTest::newRow("option on: the section is added")
        << nine << 1 << QString()
        << QByteArray("[Training]\nSchwerpunkt=1\nAnschwellen=0\nHintergrund=0\nMusik=\n");
    QTest::newRow("a music file alone adds it")
        << nine << 0 << QStringLiteral("/musik/bett.flac")
        << QByteArray("[Training]\nSchwerpunkt=0\nAnschwellen=0\nHintergrund=0\n"
                      "Musik=/musik/bett.flac\n");
    QTest::newRow("switched off again: the section stays, every line kept")
        << nine + "\n[Training]\n; mein Kommentar\nSchwerpunkt=1\nEigenerSchluessel=7\n"
        << 0 << QString()
        << QByteArray("[Training]\n; mein Kommentar\nSchwerpunkt=0\nEigenerSchluessel=7\n"
                      "Anschwellen=0\nHintergrund=0\nMusik=\n");
}

void SettingsTest::trainingSectionWrittenOnlyWhenPresentOrChanged()
{
    QFETCH(QByteArray, before);
    QFETCH(int, schwerpunkt);
    QFETCH(QString, musik);
    QFETCH(QByteArray, trainingAfter);
    WriteBytes(path_, before);
    GameState state;
    ReadSettings(path_, state);
    state.Training.Schwerpunkt = schwerpunkt;
    state.Training.Musik = musik;
    QVERIFY(WriteSettings(path_, state));
    const QByteArray after = ReadBytes(path_);
    const qsizetype section = after.indexOf("[Training]");
    if (trainingAfter.isEmpty()) {
        QCOMPARE(after, before); // byte for byte the file of a player who never used the menu
        return;
    }
    QVERIFY(section >= 0);
    QCOMPARE(after.mid(section), trainingAfter);
    // Everything in front of the section is kept as it was.
    const qsizetype oldSection = before.indexOf("[Training]");
    const qsizetype kept = oldSection >= 0 ? oldSection : before.size();
    QCOMPARE(after.left(kept), before.left(kept));
}

void SettingsTest::trainingValuesRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("schwerpunkt");
    QTest::addColumn<int>("anschwellen");
    QTest::addColumn<int>("hintergrund");
    QTest::addColumn<QString>("musik");
    QTest::newRow("no section") << QByteArray("[Spiel]\nSelektmode=0\n") << 0 << 0 << 0
                                << QString();
    QTest::newRow("all set") << QByteArray("[training]\nSCHWERPUNKT=1\nAnschwellen=1\n"
                                           "Hintergrund=2\nMusik=C:\\Musik\\a b.wav\n")
                             << 1 << 1 << 2 << QStringLiteral("C:\\Musik\\a b.wav");
    QTest::newRow("out of range reads as off")
        << QByteArray("[Training]\nSchwerpunkt=2\nAnschwellen=-1\nHintergrund=3\n") << 0 << 0 << 0
        << QString();
    QTest::newRow("not a number reads as off")
        << QByteArray("[Training]\nSchwerpunkt=ja\nHintergrund=1x\n") << 0 << 0 << 0 << QString();
}

void SettingsTest::trainingValuesRead()
{
    QFETCH(QByteArray, file);
    QFETCH(int, schwerpunkt);
    QFETCH(int, anschwellen);
    QFETCH(int, hintergrund);
    QFETCH(QString, musik);
    WriteBytes(path_, file);
    GameState state;
    state.Training.Schwerpunkt = 7; // must be overwritten
    ReadSettings(path_, state);
    QCOMPARE(state.Training.Schwerpunkt, schwerpunkt);
    QCOMPARE(state.Training.Anschwellen, anschwellen);
    QCOMPARE(state.Training.Hintergrund, hintergrund);
    QCOMPARE(state.Training.Musik, musik);
}

void SettingsTest::hintsAndPathRoundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("hinweise");
    QTest::addColumn<int>("lernpfad");
    QTest::addColumn<QList<int>>("bands");
    QTest::addColumn<QByteArray>("written"); // the section's new lines, in order
    QTest::newRow("both on, a grown path in the order added")
        << QByteArray("[Training]\nHinweise=1\nLernpfad=1\nLernpfadBaender=12 15 19 22 "
                      "13\nLernpfadRunde=7 6\n")
        << 1 << 1 << QList<int>{12, 15, 19, 22, 13}
        << QByteArray("Hinweise=1\nLernpfad=1\nLernpfadBaender=12 15 19 22 13\n"
                      "LernpfadRunde=7 6\n");
    QTest::newRow("on without bands: a fresh path")
        << QByteArray("[Training]\nLernpfad=1\n") << 0 << 1 << QList<int>{12, 15, 19, 22}
        << QByteArray("Musik=\nLernpfadBaender=12 15 19 22\nLernpfadRunde=0 0\n");
    QTest::newRow("off, the path kept for later; a band out of play leaves")
        << QByteArray("[Filter]\nLowCut=11\nHighcut=20\n[Training]\nLernpfad=0\n"
                      "LernpfadBaender=12 15 19 22 x 15\nLernpfadRunde=25 3\n")
        << 0 << 0 << QList<int>{12, 15, 19, 17}
        << QByteArray("Lernpfad=0\nLernpfadBaender=12 15 19 17\nLernpfadRunde=0 0\n");
    QTest::newRow("never used: no keys")
        << QByteArray("[Training]\nSchwerpunkt=1\n") << 0 << 0 << QList<int>{} << QByteArray();
}

void SettingsTest::hintsAndPathRoundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(int, hinweise);
    QFETCH(int, lernpfad);
    QFETCH(QList<int>, bands);
    QFETCH(QByteArray, written);
    WriteBytes(path_, file);
    GameState state;
    ReadSettings(path_, state);
    QCOMPARE(state.Training.Hinweise, hinweise);
    QCOMPARE(state.Training.Lernpfad, lernpfad);
    const std::vector<int>& path = state.Training.Path.Bands();
    QCOMPARE(QList<int>(path.begin(), path.end()), bands);
    QVERIFY(WriteSettings(path_, state));
    const QByteArray after = ReadBytes(path_);
    QVERIFY2(written.isEmpty() ? !after.contains("Hinweise") && !after.contains("Lernpfad")
                               : after.contains(written),
             after.constData());
    GameState again;
    ReadSettings(path_, again);
    QCOMPARE(again.Training.Path.Bands(), path);
    QCOMPARE(again.Training.Path.TurnsCounted(), state.Training.Path.TurnsCounted());
}

namespace {
long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

// A path holds at most every band once: 10 MB of valid bands in an edited
// file must not become millions of words in memory.
void SettingsTest::aHugePathListIsReadInLittleMemory()
{
    QByteArray bands;
    while (bands.size() < 10'000'000)
        bands += "12 15 19 22 13 ";
    WriteBytes(path_, "[Training]\nLernpfad=1\nLernpfadBaender=" + bands + "\n");
    const long beforeKb = PeakMemoryKb();
    GameState state;
    ReadSettings(path_, state);
    const long grownKb = PeakMemoryKb() - beforeKb;
    QVERIFY2(grownKb < 150'000, qPrintable(QStringLiteral("%1 kB more").arg(grownKb)));
    QCOMPARE(state.Training.Path.Bands(), (std::vector<int>{12, 15, 19, 22, 13}));
}

// What the files the player names are checked with before they are read.
void SettingsTest::onlyRegularFilesAreOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<QString>("reason"); // empty: opens
    QTest::newRow("regular file") << "file" << 0 << QString();
    QTest::newRow("missing") << "missing" << ENOENT << "existiert nicht";
    QTest::newRow("folder") << "folder" << EISDIR << "Ordner";
    QTest::newRow("named pipe") << "fifo" << 0
                                << "keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO).";
    QTest::newRow("device") << "device" << 0 << "keine gewöhnliche Datei, sondern ein Gerät.";
}

void SettingsTest::onlyRegularFilesAreOpened()
{
    QFETCH(QString, kind);
    QFETCH(int, errorNumber);
    QFETCH(QString, reason);
    QString path = dir_.filePath(QStringLiteral("probe-") + kind);
    std::unique_ptr<GuardedFifo> fifo;
    if (kind == "file")
        WriteBytes(path, "[Filter]\n");
    if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    if (kind == "fifo")
        fifo = std::make_unique<GuardedFifo>(path);
    if (kind == "device")
        path = QStringLiteral("/dev/null");

    const bool special = reason.startsWith(QStringLiteral("keine"));
    const ReadOnlyFile file(path);
    QCOMPARE(file.IsOpen(), reason.isEmpty());
    QCOMPARE(file.SpecialFile(), special);
    QCOMPARE(file.ErrorNumber(), errorNumber);
    QVERIFY2(file.Reason().contains(reason), qPrintable(file.Reason()));
    QCOMPARE(SpecialFileReason(path), special ? file.Reason() : QString());
    if (file.IsOpen()) {
        QCOMPARE(::fcntl(file.Descriptor(), F_GETFL) & O_NONBLOCK, 0); // reads wait for the disk
        char bytes[16] = {};
        QCOMPARE(::read(file.Descriptor(), bytes, sizeof bytes), ssize_t(9));
    }
    QVERIFY(!fifo || !fifo->Waited());
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
