// Results: the figure format, the counters of a find and of a wrong attempt,
// the status line texts, and the results data file on disk.

#include "model/FaderModel.h"
#include "platform/Clock.h"
#include "results/FormatFigure.h"
#include "results/ResultsCounters.h"
#include "results/ResultsFile.h"
#include "results/StatusLines.h"
#include "support/Builders.h"
#include "support/FakeClockAndRandom.h"
#include "support/ScratchMount.h"

#include <QtTest>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

namespace {

// One record's values, written to and read from bytes by hand after the
// documented layout, independently of the BandSlot struct.
struct Record {
    QByteArray label;
    double frequencyHz = 0;
    qint32 level = 0;
    qint32 finds = 0;
    qint32 attempts = 0;
    qint32 findTimeMs = 0;
    quint8 locked = 0;
};

constexpr int RecordBytes = 293;
constexpr int FileBytes = 28 * RecordBytes;

void PutLittleEndian(QByteArray& bytes, int offset, quint64 value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

quint64 GetLittleEndian(const QByteArray& bytes, int offset, int width)
{
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value |= quint64(quint8(bytes[offset + i])) << (8 * i);
    return value;
}

QByteArray EncodeRecord(const Record& r)
{
    QByteArray bytes(RecordBytes, '\0');
    bytes[0] = char(r.label.size());
    for (int i = 0; i < r.label.size(); ++i)
        bytes[1 + i] = r.label[i];
    PutLittleEndian(bytes, 256, std::bit_cast<quint64>(r.frequencyHz), 8);
    PutLittleEndian(bytes, 264, quint32(r.level), 4);
    PutLittleEndian(bytes, 268, quint32(r.finds), 4);
    PutLittleEndian(bytes, 272, quint32(r.attempts), 4);
    PutLittleEndian(bytes, 276, quint32(r.findTimeMs), 4);
    bytes[292] = char(r.locked);
    return bytes;
}

Record DecodeRecord(const QByteArray& file, int index)
{
    const int base = index * RecordBytes;
    Record r;
    r.label = file.mid(base + 1, quint8(file[base]));
    r.frequencyHz = std::bit_cast<double>(GetLittleEndian(file, base + 256, 8));
    r.level = qint32(GetLittleEndian(file, base + 264, 4));
    r.finds = qint32(GetLittleEndian(file, base + 268, 4));
    r.attempts = qint32(GetLittleEndian(file, base + 272, 4));
    r.findTimeMs = qint32(GetLittleEndian(file, base + 276, 4));
    r.locked = quint8(file[base + 292]);
    return r;
}

// The counters as the file's bytes or a slot hold them.
using Counts = BandCounters;

Counts CountsOf(const Record& r)
{
    return {r.finds, r.attempts, r.findTimeMs};
}

Counts CountsOf(const BandSlot& s)
{
    return BandCounters::Of(s);
}

Counts operator+(Counts a, Counts b)
{
    return {a.Finds + b.Finds, a.Attempts + b.Attempts, a.FindTime + b.FindTime};
}

// A file of 28 records with distinct values in every field.
QByteArray GoldenFile()
{
    QByteArray file;
    for (int i = 0; i < 28; ++i) {
        Record r;
        r.label = "B" + QByteArray::number(i);
        r.frequencyHz = 100.25 * (i + 1);
        r.level = i - 12;
        r.finds = i + 1;
        r.attempts = 2 * i + 3;
        r.findTimeMs = 1000 * i + 7;
        r.locked = quint8(i % 2);
        file += EncodeRecord(r);
    }
    return file;
}

Counts GoldenCounts(int band)
{
    return {band + 1, 2 * band + 3, 1000 * band + 7};
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Counts)

class ResultsTest : public QObject {
    Q_OBJECT

  private:
    GameState state_;
    FakeClock clock_;
    std::unique_ptr<ResultsFile> file_;
    std::unique_ptr<ResultsCounters> counters_;
    QList<bool> saveAsStates_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString PathOf(const QString& name) const { return dir_->filePath(name); }

    // A turn of band that took wrongAttempts wrong faders and durationMs.
    void PlayFind(int band, int wrongAttempts, std::uint32_t durationMs)
    {
        counters_->StartTurnClock();
        for (int i = 0; i < wrongAttempts; ++i)
            counters_->CountWrongAttempt(band == 12 ? 13 + i : 12 + i);
        clock_.nowMs += durationMs;
        state_.RingingBand = band;
        counters_->RecordFind();
    }

    Counts SavedCounts(const QString& path, int band)
    {
        return CountsOf(DecodeRecord(ReadFile(path), band));
    }

  private slots:
    void init()
    {
        state_ = GameState();
        // As at start-up: labels and frequencies set, stored table a copy.
        state_.BandTable = FreshBandTable();
        state_.StoredBandTable = state_.BandTable;
        clock_.nowMs = 50000;
        saveAsStates_.clear();
        file_ = std::make_unique<ResultsFile>(state_);
        counters_ = std::make_unique<ResultsCounters>(
            state_, clock_, *file_, [this](bool on) { saveAsStates_.append(on); });
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // ---- FormatFigure

    void formatFigure_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("german");
        QTest::addColumn<QString>("english");

        QTest::newRow("half away from zero") << 2.25 << 2 << "2,3"
                                             << "2.3";
        QTest::newRow("negative half") << -2.25 << 2 << "-2,3"
                                       << "-2.3";
        QTest::newRow("one decimal wins") << 4.321 << 4 << "4,3"
                                          << "4.3";
        QTest::newRow("thousands separator") << 1234.56 << 4 << "1.235,0"
                                             << "1,235.0";
        QTest::newRow("seven thirds") << 7.0 / 3.0 << 3 << "2,3"
                                      << "2.3";
        QTest::newRow("small positive") << 0.04 << 2 << "0,0"
                                        << "0.0";
        QTest::newRow("no minus on zero") << -0.03 << 2 << "0,0"
                                          << "0.0";
        QTest::newRow("zero") << 0.0 << 4 << "0,0"
                              << "0.0";
        QTest::newRow("half of first decimal") << 0.05 << 2 << "0,1"
                                               << "0.1";
        QTest::newRow("negative half of first decimal") << -0.05 << 2 << "-0,1"
                                                        << "-0.1";
        QTest::newRow("scientific") << 123.4 << 2 << "1,2E2"
                                    << "1.2E2";
        QTest::newRow("scientific integer") << 123.0 << 2 << "1,2E2"
                                            << "1.2E2";
        QTest::newRow("scientific one digit") << 100.0 << 2 << "1E2"
                                              << "1E2";
        QTest::newRow("scientific negative") << -155.0 << 2 << "-1,6E2"
                                             << "-1.6E2";
        QTest::newRow("scientific trailing zeros dropped") << 12003.0 << 4 << "1,2E4"
                                                           << "1.2E4";
        QTest::newRow("scientific four digits") << 12345.0 << 4 << "1,235E4"
                                                << "1.235E4";
        // On the decimal digits: these doubles lie just below the half.
        QTest::newRow("decimal half 0.15") << 0.15 << 3 << "0,2"
                                           << "0.2";
        QTest::newRow("decimal half 4.35") << 4.35 << 4 << "4,4"
                                           << "4.4";
        QTest::newRow("decimal half 1.45") << 1.45 << 3 << "1,5"
                                           << "1.5";
        QTest::newRow("carry stays fixed") << 99.96 << 3 << "100,0"
                                           << "100.0";
        QTest::newRow("carry into thousands") << 999.96 << 4 << "1.000,0"
                                              << "1,000.0";
        QTest::newRow("carry into scientific") << 9.96 << 1 << "1E1"
                                               << "1E1";
        QTest::newRow("carry below one") << 0.96 << 1 << "1,0"
                                         << "1.0";
        QTest::newRow("two groups") << 1234567.0 << 7 << "1.234.567,0"
                                    << "1,234,567.0";
        QTest::newRow("negative with groups") << -98765.4 << 5 << "-98.765,0"
                                              << "-98,765.0";
        QTest::newRow("exactly p digits") << 12.345 << 2 << "12,0"
                                          << "12.0";
    }

    void formatFigure()
    {
        QFETCH(double, x);
        QFETCH(int, digits);
        QFETCH(QString, german);
        QFETCH(QString, english);
        QCOMPARE(FormatFigure(x, digits, QLocale(QLocale::German, QLocale::Germany)), german);
        QCOMPARE(FormatFigure(x, digits, QLocale(QLocale::English, QLocale::UnitedStates)),
                 english);
    }

    void formatFigureHonoursOmittedGroupSeparator()
    {
        QLocale locale(QLocale::German, QLocale::Germany);
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        QCOMPARE(FormatFigure(1234.56, 4, locale), QStringLiteral("1235,0"));
    }

    void formatFigureDefaultLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString text = FormatFigure(1234.56, 4);
        QLocale::setDefault(saved);
        QCOMPARE(text, QStringLiteral("1.235,0"));
    }

    // ---- Counters

    void startTurnClockStartsTheTurn()
    {
        state_.TurnAttempts = 5;
        clock_.nowMs = 123456;
        counters_->StartTurnClock();
        QCOMPARE(state_.TurnAttempts, 0);
        QCOMPARE(state_.TurnStartTime, 123456u);
        QCOMPARE(state_.TurnClockRunning, std::uint8_t(1));
    }

    void wrongAttemptCountsOnceAndLocks()
    {
        counters_->StartTurnClock();
        counters_->CountWrongAttempt(14);
        QCOMPARE(state_.TurnAttempts, 1);
        // It reaches no band or game counter before the find.
        QCOMPARE(CountsOf(state_.BandTable[14]), Counts{});
        QCOMPARE(state_.GameAttempts, 0);
        counters_->CountWrongAttempt(-1);
        counters_->CountWrongAttempt(VolumeFader);
        QCOMPARE(state_.TurnAttempts, 1);
    }

    void recordFindInOrder()
    {
        clock_.nowMs = 10000;
        counters_->StartTurnClock();
        counters_->CountWrongAttempt(12);
        counters_->CountWrongAttempt(13);
        clock_.nowMs = 14321; // the find time is taken now, not at the last attempt
        state_.RingingBand = 15;
        QList<bool> saveAsEnabled;
        counters_ = std::make_unique<ResultsCounters>(
            state_, clock_, *file_, [&saveAsEnabled](bool on) { saveAsEnabled << on; });
        counters_->RecordFind();
        QCOMPARE(state_.TurnAttempts, 3); // the find is an attempt
        QCOMPARE(state_.LastFindTime, 4321u);
        QCOMPARE(CountsOf(state_.BandTable[15]), (Counts{1, 3, 4321}));
        QCOMPARE(state_.GameTime, 4321u);
        QCOMPARE(state_.GameAttempts, 3);
        QCOMPARE(state_.GameFinds, 1);
        // A find gives something to save.
        QCOMPARE(saveAsEnabled, QList<bool>{true});
    }

    void findAtFirstTry()
    {
        PlayFind(20, 0, 900);
        QCOMPARE(CountsOf(state_.BandTable[20]), (Counts{1, 1, 900}));
    }

    void findTimeAcrossClockWrap()
    {
        clock_.nowMs = 0xFFFFF000u;
        PlayFind(16, 1, 0x1100); // the clock wraps during the turn
        QCOMPARE(state_.LastFindTime, 0x1100u);
        QCOMPARE(std::int32_t(state_.BandTable[16].FindTime), 0x1100);
        QCOMPARE(state_.GameTime, 0x1100u);
    }

    void gameCountersAreTheBandSums()
    {
        std::mt19937 random(7);
        for (int turn = 0; turn < 40; ++turn) {
            const int band = 12 + int(random() % 11);
            PlayFind(band, int(random() % 5), 200 + random() % 20000);
            Counts sum;
            for (const BandSlot& slot : state_.BandTable)
                sum = sum + CountsOf(slot);
            QCOMPARE(state_.GameFinds, turn + 1);
            QCOMPARE(sum, (Counts{state_.GameFinds, state_.GameAttempts, qint32(state_.GameTime)}));
        }
    }

    void clearCurrentResults()
    {
        PlayFind(14, 2, 3000);
        state_.BandTable[3].Level = 7;
        state_.BandTable[3].Locked = 1;
        state_.StoredBandTable[14].Finds = 4;
        state_.StoredBandTable[14].Attempts = 9;
        counters_->ClearCurrentResults();
        for (const BandSlot& slot : state_.BandTable)
            QCOMPARE(CountsOf(slot), Counts{});
        // Levels and locks are the fader bank's, not the results'.
        QCOMPARE(std::int32_t(state_.BandTable[3].Level), 7);
        QCOMPARE(state_.BandTable[3].Locked, std::uint8_t(1));
        QCOMPARE(state_.TurnAttempts, 0);
        QCOMPARE(state_.GameAttempts, 0);
        QCOMPARE(state_.GameFinds, 0);
        QCOMPARE(state_.GameTime, 0u);
        QCOMPARE(state_.LastFindTime, 0u);
        QCOMPARE(saveAsStates_, (QList<bool>{true, false}));
        // Nothing was saved, so the stored results stay as they were.
        QCOMPARE(CountsOf(state_.StoredBandTable[14]), (Counts{4, 9, 0}));
    }

    // ---- Status lines

    void statusLines_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("clockRunning");
        QTest::addColumn<int>("gameFinds");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected"); // "=" leaves a label unchanged

        const QString idle = QString::fromLatin1(IdleNotice);
        QTest::newRow("searching") << int(ModeSearching) << 1 << 3 << "de_DE"
                                   << QStringList{"Aktuell: 2 Zeit:12,3s.", "", ""};
        QTest::newRow("searching, English") << int(ModeSearching) << 1 << 3 << "en_US"
                                            << QStringList{"Aktuell: 2 Zeit:12.3s.", "", ""};
        QTest::newRow("random delay")
            << int(ModeSearching) << 0 << 3 << "de_DE" << QStringList{"", "", ""};
        QTest::newRow("turn over")
            << int(ModeTurnOver) << 0 << 3 << "de_DE"
            << QStringList{"Aktuell: 2 Zeit:4,3s.", "  Total: 7 OK:3 Zeit:12,3s.",
                           "Schnitt: 2,3 Zeit:4,1s."};
        QTest::newRow("turn over, English")
            << int(ModeTurnOver) << 0 << 3 << "en_US"
            << QStringList{"Aktuell: 2 Zeit:4.3s.", "  Total: 7 OK:3 Zeit:12.3s.",
                           "Schnitt: 2.3 Zeit:4.1s."};
        QTest::newRow("turn over, no finds")
            << int(ModeTurnOver) << 0 << 0 << "de_DE"
            << QStringList{"Aktuell: 2 Zeit:4,3s.", "  Total: 7 OK:0 Zeit:12,3s.", "="};
        QTest::newRow("idle") << int(ModeIdle) << 0 << 3 << "de_DE"
                              << QStringList{"Neues Spiel", "", idle};
        QTest::newRow("generator playing") << int(ModeGeneratorPlaying) << 0 << 3 << "de_DE"
                                           << QStringList{"Feedbackgenerator", "", ""};
        QTest::newRow("generator silent") << int(ModeGeneratorSilent) << 1 << 3 << "de_DE"
                                          << QStringList{"Feedbackgenerator", "", ""};
        QTest::newRow("current attempts") << int(ModeCurrentAttempts) << 0 << 3 << "de_DE"
                                          << QStringList{"Auswertung Aktuell Versuche", "", ""};
        QTest::newRow("current times") << int(ModeCurrentTimes) << 0 << 3 << "de_DE"
                                       << QStringList{"Auswertung Aktuell Zeit", "", ""};
        QTest::newRow("total attempts")
            << int(ModeTotalAttempts) << 0 << 3 << "de_DE"
            << QStringList{"Auswertung aller Versuche", "Gespeichert und aktuell", ""};
        QTest::newRow("total times")
            << int(ModeTotalTimes) << 0 << 3 << "de_DE"
            << QStringList{"Auswertung aller Zeiten", "Gespeichert und aktuell", ""};
        QTest::newRow("progress attempts")
            << int(ModeProgressAttempts) << 0 << 3 << "de_DE"
            << QStringList{"Vergleich Versuche", "Gespeichert mit aktuell", ""};
        QTest::newRow("progress times")
            << int(ModeProgressTimes) << 0 << 3 << "de_DE"
            << QStringList{"Auswertung Zeiten", "Gespeichert mit aktuell", ""};
    }

    void statusLines()
    {
        QFETCH(int, mode);
        QFETCH(int, clockRunning);
        QFETCH(int, gameFinds);
        QFETCH(QString, locale);
        QFETCH(QStringList, expected);

        // Three finds, 7 attempts and 12 345 ms in all, the last with 2 attempts in 4 321 ms.
        state_.GameMode = GameModeValue(mode);
        state_.TurnClockRunning = std::uint8_t(clockRunning);
        state_.TurnAttempts = 2;
        state_.LastFindTime = 4321;
        state_.GameAttempts = 7;
        state_.GameFinds = gameFinds;
        state_.GameTime = 12345;
        state_.TurnStartTime = 1000;
        const StatusLines lines = ComposeStatusLines(state_, 13345, QLocale(locale));
        const StatusLine* all[] = {&lines.Label1, &lines.Label2, &lines.Label3};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(all[i]->write, expected[i] != "=");
            if (all[i]->write)
                QCOMPARE(all[i]->text, expected[i]);
        }
    }

    void liveTimeAcrossClockWrap()
    {
        state_.GameMode = ModeSearching;
        state_.TurnClockRunning = 1;
        state_.TurnAttempts = 0;
        state_.TurnStartTime = 0xFFFFFC18u; // 1 s before the wrap
        const StatusLines lines = ComposeStatusLines(state_, 1500, QLocale(QLocale::German));
        QCOMPARE(lines.Label1.text, QStringLiteral("Aktuell: 0 Zeit:2,5s."));
    }

    // ---- Results data file

    void goldenFileLoads()
    {
        const QString path = PathOf("golden.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        const BandArray before = state_.BandTable;
        const ResultsFileOutcome outcome = file_->LoadResults(path);
        QVERIFY(outcome.Succeeded());
        for (int i = 0; i < BandCount; ++i) {
            const BandSlot& s = state_.StoredBandTable[i];
            QCOMPARE(BandLabel(s), QStringLiteral("B%1").arg(i));
            QCOMPARE(double(s.Frequency), 100.25 * (i + 1));
            QCOMPARE(std::int32_t(s.Level), i - 12);
            QCOMPARE(CountsOf(s), GoldenCounts(i));
            QCOMPARE(s.Locked, std::uint8_t(i % 2));
        }
        QCOMPARE(state_.ResultsFileName, path);
        QCOMPARE(std::memcmp(&before, &state_.BandTable, sizeof before), 0);
    }

    void savedFileHasEveryFieldAtItsOffset()
    {
        PlayFind(15, 2, 4321);
        PlayFind(15, 0, 1000);
        state_.BandTable[15].Level = -7;
        state_.BandTable[16].Locked = 1;
        state_.StoredBandTable[15].Finds = 10;
        state_.StoredBandTable[15].Attempts = 25;
        state_.StoredBandTable[15].FindTime = 60000;
        state_.StoredBandTable[17].Finds = 1; // stored only
        state_.StoredBandTable[17].Attempts = 2;
        state_.StoredBandTable[17].FindTime = 3000;
        state_.StoredBandTable[17].Level = 9; // a stored level is not written
        const QString path = PathOf("saved.HMD");
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(state_.ResultsFileName, path);

        const QByteArray bytes = ReadFile(path);
        QCOMPARE(bytes.size(), FileBytes);
        for (int i = 0; i < BandCount; ++i) {
            const Record r = DecodeRecord(bytes, i);
            QCOMPARE(QString::fromLatin1(r.label), QString::fromLatin1(BandDefinitions[i].label));
            QCOMPARE(r.frequencyHz, BandDefinitions[i].frequencyHz);
            const int base = i * RecordBytes;
            for (int k = 1 + r.label.size(); k < 256; ++k)
                QCOMPARE(int(bytes[base + k]), 0);
            for (int k = 280; k < 292; ++k)
                QCOMPARE(int(bytes[base + k]), 0);
        }
        QCOMPARE(CountsOf(DecodeRecord(bytes, 15)), (Counts{12, 29, 65321}));
        QCOMPARE(DecodeRecord(bytes, 15).level, -7);
        QCOMPARE(CountsOf(DecodeRecord(bytes, 17)), (Counts{1, 2, 3000}));
        QCOMPARE(DecodeRecord(bytes, 17).level, 0);
        QCOMPARE(DecodeRecord(bytes, 16).locked, quint8(1));
        QCOMPARE(CountsOf(DecodeRecord(bytes, 14)), Counts{});
    }

    void savingTwiceGivesIdenticalFiles()
    {
        QVERIFY(WriteFile(PathOf("in.HMD"), GoldenFile()));
        QVERIFY(file_->LoadResults(PathOf("in.HMD")).Succeeded());
        PlayFind(13, 3, 7000);
        QVERIFY(file_->SaveResults(PathOf("a.HMD")).Succeeded());
        QVERIFY(file_->SaveResults(PathOf("b.HMD")).Succeeded());
        QVERIFY(file_->SaveResults(PathOf("a.HMD")).Succeeded());
        const QByteArray a = ReadFile(PathOf("a.HMD"));
        QCOMPARE(a.size(), FileBytes);
        QCOMPARE(a, ReadFile(PathOf("b.HMD")));
    }

    void loadThenSaveWritesTheLoadedCounters()
    {
        const QString path = PathOf("results.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(file_->LoadResults(path).Succeeded());
        QVERIFY(file_->SaveResults(path).Succeeded());
        const QByteArray saved = ReadFile(path);
        for (int i = 0; i < BandCount; ++i)
            QCOMPARE(CountsOf(DecodeRecord(saved, i)), GoldenCounts(i));
    }

    void storedRecordAddsOnlyWithAttempts_data()
    {
        QTest::addColumn<Counts>("stored");
        QTest::addColumn<Counts>("written");
        const Counts current{1, 2, 400};
        QTest::newRow("attempts positive") << Counts{3, 5, 900} << Counts{4, 7, 1300};
        QTest::newRow("attempts zero") << Counts{3, 0, 900} << current;
        QTest::newRow("attempts negative") << Counts{3, -4, 900} << current;
        QTest::newRow("one attempt, no finds") << Counts{0, 1, 0} << Counts{1, 3, 400};
    }

    void storedRecordAddsOnlyWithAttempts()
    {
        QFETCH(Counts, stored);
        QFETCH(Counts, written);
        Record r{"x", 1.0, 0, stored.Finds, stored.Attempts, stored.FindTime, 0};
        QByteArray image = GoldenFile();
        image.replace(18 * RecordBytes, RecordBytes, EncodeRecord(r));
        QVERIFY(WriteFile(PathOf("in.HMD"), image));
        QVERIFY(file_->LoadResults(PathOf("in.HMD")).Succeeded());
        PlayFind(18, 1, 400);
        QVERIFY(file_->SaveResults(PathOf("out.HMD")).Succeeded());
        QCOMPARE(SavedCounts(PathOf("out.HMD"), 18), written);
    }

    void missingFileLoadsNothing()
    {
        state_.ResultsFileName = QStringLiteral("remembered.HMD");
        const BandArray before = state_.StoredBandTable;
        const ResultsFileOutcome outcome = file_->LoadResults(PathOf("nope.HMD"));
        QCOMPARE(outcome.status, ResultsFileStatus::NotFound);
        QCOMPARE(std::memcmp(&before, &state_.StoredBandTable, sizeof before), 0);
        QCOMPARE(state_.ResultsFileName, QStringLiteral("remembered.HMD"));
    }

    void shortFileChangesNothing_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one record") << RecordBytes;
        QTest::newRow("one byte short") << FileBytes - 1;
    }

    void shortFileChangesNothing()
    {
        QFETCH(int, size);
        state_.StoredBandTable[12].Finds = 4;
        state_.StoredBandTable[12].Attempts = 8;
        state_.ResultsFileName = QStringLiteral("remembered.HMD");
        const BandArray before = state_.StoredBandTable;
        QVERIFY(WriteFile(PathOf("short.HMD"), GoldenFile().left(size)));
        const ResultsFileOutcome outcome = file_->LoadResults(PathOf("short.HMD"));
        QCOMPARE(outcome.status, ResultsFileStatus::Failed);
        QCOMPARE(outcome.errorText, QStringLiteral("Read beyond end of file."));
        QCOMPARE(std::memcmp(&before, &state_.StoredBandTable, sizeof before), 0);
        QCOMPARE(state_.ResultsFileName, QStringLiteral("remembered.HMD"));
    }

    void longerFileLoadsItsFirstRecords()
    {
        QByteArray image = GoldenFile();
        Record extra{"junk", 1.0, 0, 999, 999, 999, 1};
        image += EncodeRecord(extra) + QByteArray(17, 'x');
        QVERIFY(WriteFile(PathOf("long.HMD"), image));
        QVERIFY(file_->LoadResults(PathOf("long.HMD")).Succeeded());
        for (int i = 0; i < BandCount; ++i)
            QCOMPARE(CountsOf(state_.StoredBandTable[i]), GoldenCounts(i));
    }

    void readOnlyFileLoads()
    {
        const QString path = PathOf("readonly.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        const ResultsFileOutcome outcome = file_->LoadResults(path);
        QVERIFY2(outcome.Succeeded(), qPrintable(outcome.errorText));
        QCOMPARE(CountsOf(state_.StoredBandTable[27]), GoldenCounts(27));
        QCOMPARE(ReadFile(path), GoldenFile());
    }

    void directoryIsNotLoaded()
    {
        const BandArray before = state_.StoredBandTable;
        const ResultsFileOutcome outcome = file_->LoadResults(dir_->path());
        QCOMPARE(outcome.status, ResultsFileStatus::Failed);
        QCOMPARE(outcome.errorText, QStringLiteral("File access denied."));
        QCOMPARE(std::memcmp(&before, &state_.StoredBandTable, sizeof before), 0);
    }

    void saveErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing folder") << "gone/results.HMD"
                                        << "Invalid filename.";
        QTest::newRow("directory as file name") << "folder"
                                                << "File access denied.";
        QTest::newRow("empty name") << ""
                                    << "Invalid filename.";
    }

    void saveErrors()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QVERIFY(QDir(dir_->path()).mkdir("folder"));
        state_.ResultsFileName = QStringLiteral("remembered.HMD");
        PlayFind(14, 0, 100);
        const ResultsFileOutcome outcome =
            file_->SaveResults(name.isEmpty() ? QString() : PathOf(name));
        QCOMPARE(outcome.status, ResultsFileStatus::Failed);
        QCOMPARE(outcome.errorText, error);
        QCOMPARE(state_.ResultsFileName, QStringLiteral("remembered.HMD"));
        QVERIFY(QFileInfo(PathOf("folder")).isDir());
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList());
    }

    // Root ignores permission bits, so the refusal comes from a read-only
    // mount of the file or of its folder.
    void saveWithoutWritePermissionKeepsTheFile_data()
    {
        QTest::addColumn<bool>("lockFolder");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only folder") << true;
    }

    void saveWithoutWritePermissionKeepsTheFile()
    {
        QFETCH(bool, lockFolder);
        const QString path = PathOf("kept.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        const ScratchMount readOnly = ScratchMount::ReadOnly(lockFolder ? dir_->path() : path);
        QVERIFY2(readOnly.Mounted(), qPrintable(readOnly.Error()));
        state_.ResultsFileName = QStringLiteral("remembered.HMD");
        PlayFind(14, 0, 100);
        const ResultsFileOutcome outcome = file_->SaveResults(path);
        QCOMPARE(outcome.status, ResultsFileStatus::Failed);
        QCOMPARE(outcome.errorText, QStringLiteral("File access denied."));
        QCOMPARE(ReadFile(path), GoldenFile());
        QCOMPARE(state_.ResultsFileName, QStringLiteral("remembered.HMD"));
    }

    // A full disk: the old file stays byte for byte and the error says so,
    // whether the file is replaced or written new.
    void saveOnFullDiskKeepsTheFile_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("existing file") << true;
        QTest::newRow("new file") << false;
    }

    void saveOnFullDiskKeepsTheFile()
    {
        QFETCH(bool, replace);
        const QString folder = PathOf("voll");
        QVERIFY(QDir().mkpath(folder));
        ScratchMount tmpfs = ScratchMount::SmallTmpfs(folder, 64 * 1024);
        QVERIFY2(tmpfs.Mounted(), qPrintable(tmpfs.Error()));
        const QString path = folder + QStringLiteral("/kept.HMD");
        if (replace)
            QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(FillFileSystem(folder));
        state_.ResultsFileName = QStringLiteral("remembered.HMD");
        PlayFind(14, 0, 100);

        const ResultsFileOutcome outcome = file_->SaveResults(path);

        QCOMPARE(outcome.status, ResultsFileStatus::Failed);
        QCOMPARE(outcome.errorText, QStringLiteral("Disk full."));
        QCOMPARE(QFile::exists(path), replace);
        if (replace)
            QCOMPARE(ReadFile(path), GoldenFile());
        QCOMPARE(state_.ResultsFileName, QStringLiteral("remembered.HMD"));
        // No temporary file is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 replace ? (QStringList{"filler", "kept.HMD"}) : QStringList{"filler"});
        QVERIFY2(tmpfs.Unmount(), qPrintable(tmpfs.Error()));
    }

    // Counters stop at the largest value the file's fields hold: a wrapped
    // Attempts would read as negative, and the band's history would be
    // dropped at the next save.
    void countersStopAtTheirLimit_data()
    {
        QTest::addColumn<Counts>("stored");  // band 18 as loaded
        QTest::addColumn<Counts>("current"); // band 18 before one more find
        QTest::addColumn<quint32>("findMs");
        QTest::addColumn<Counts>("saved");
        const qint32 max = std::numeric_limits<qint32>::max();
        QTest::newRow("stored attempts")
            << Counts{5, max, 900} << Counts{} << 500u << Counts{6, max, 1400};
        QTest::newRow("stored finds and time")
            << Counts{max, max, max} << Counts{} << 500u << Counts{max, max, max};
        QTest::newRow("current counters")
            << Counts{1, 1, 1} << Counts{max, max, max - 9} << 500u << Counts{max, max, max};
        QTest::newRow("find longer than the time field")
            << Counts{} << Counts{} << 0x80000010u << Counts{1, 2, max};
    }

    void countersStopAtTheirLimit()
    {
        QFETCH(Counts, stored);
        QFETCH(Counts, current);
        QFETCH(quint32, findMs);
        QFETCH(Counts, saved);
        stored.StoreIn(state_.StoredBandTable[18]);
        current.StoreIn(state_.BandTable[18]);
        state_.GameFinds = current.Finds;
        state_.GameAttempts = current.Attempts;
        state_.GameTime = quint32(current.FindTime);
        PlayFind(18, 1, findMs);
        // The game's totals stay the band's sums.
        QCOMPARE((Counts{state_.GameFinds, state_.GameAttempts, qint32(state_.GameTime)}),
                 CountsOf(state_.BandTable[18]));
        const QString path = PathOf("full.HMD");
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 18), saved);
        // The next run loads the file and saves again: the history is kept.
        state_.BandTable = FreshBandTable();
        ResultsFile nextRun(state_);
        QVERIFY(nextRun.LoadResults(path).Succeeded() && nextRun.SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 18), saved);
    }

    // ---- Saved results stay intact

    void gameSavedBeforeResetStaysInTheFile()
    {
        const QString path = PathOf("results.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(file_->LoadResults(path).Succeeded());
        PlayFind(15, 2, 3000); // game 1
        QVERIFY(file_->SaveResults(path).Succeeded());
        counters_->ClearCurrentResults(); // NEUES SPIEL
        // The charts now count the saved game among the stored results.
        QCOMPARE(CountsOf(state_.StoredBandTable[15]), (GoldenCounts(15) + Counts{1, 3, 3000}));
        PlayFind(15, 0, 500); // game 2
        PlayFind(16, 1, 800);
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 15), (GoldenCounts(15) + Counts{2, 4, 3500}));
        QCOMPARE(SavedCounts(path, 16), (GoldenCounts(16) + Counts{1, 2, 800}));
        QCOMPARE(SavedCounts(path, 14), GoldenCounts(14));
    }

    void unsavedGameIsGoneAfterReset()
    {
        const QString path = PathOf("results.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(file_->LoadResults(path).Succeeded());
        PlayFind(15, 2, 3000);
        QVERIFY(file_->SaveResults(path).Succeeded());
        PlayFind(15, 0, 700); // played after the save, never saved
        counters_->ClearCurrentResults();
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 15), (GoldenCounts(15) + Counts{1, 3, 3000}));
    }

    void reloadThenSaveCountsTheGameOnce()
    {
        const QString path = PathOf("results.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(file_->LoadResults(path).Succeeded());
        PlayFind(20, 1, 2000);
        QVERIFY(file_->SaveResults(path).Succeeded());
        QVERIFY(file_->LoadResults(path).Succeeded());
        // Stored stays the file's results without the current game.
        QCOMPARE(CountsOf(state_.StoredBandTable[20]), GoldenCounts(20));
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 20), (GoldenCounts(20) + Counts{1, 2, 2000}));
        PlayFind(20, 0, 1000); // played on after the reload
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 20), (GoldenCounts(20) + Counts{2, 3, 3000}));
    }

    void reloadAfterResetCountsTheGameOnce()
    {
        const QString path = PathOf("results.HMD");
        QVERIFY(WriteFile(path, GoldenFile()));
        QVERIFY(file_->LoadResults(path).Succeeded());
        PlayFind(20, 1, 2000);
        QVERIFY(file_->SaveResults(path).Succeeded());
        counters_->ClearCurrentResults();
        QVERIFY(file_->LoadResults(path).Succeeded());
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 20), (GoldenCounts(20) + Counts{1, 2, 2000}));
    }

    void otherFileGetsTheWholeGame()
    {
        QVERIFY(WriteFile(PathOf("first.HMD"), GoldenFile()));
        QVERIFY(WriteFile(PathOf("second.HMD"), GoldenFile()));
        QVERIFY(file_->LoadResults(PathOf("first.HMD")).Succeeded());
        PlayFind(18, 0, 1500);
        QVERIFY(file_->SaveResults(PathOf("first.HMD")).Succeeded());
        QVERIFY(file_->LoadResults(PathOf("second.HMD")).Succeeded());
        QCOMPARE(CountsOf(state_.StoredBandTable[18]), GoldenCounts(18));
        QVERIFY(file_->SaveResults(PathOf("second.HMD")).Succeeded());
        QCOMPARE(SavedCounts(PathOf("second.HMD"), 18), (GoldenCounts(18) + Counts{1, 1, 1500}));
    }

    void replacedFileIsTakenAsItIs()
    {
        const QString path = PathOf("results.HMD");
        PlayFind(18, 0, 1500);
        QVERIFY(file_->SaveResults(path).Succeeded());
        // Someone puts a file without this game under the same name.
        QByteArray empty;
        for (int i = 0; i < BandCount; ++i)
            empty += EncodeRecord(Record{"x", 1.0, 0, 0, 0, 0, 0});
        QVERIFY(WriteFile(path, empty));
        QVERIFY(file_->LoadResults(path).Succeeded());
        QCOMPARE(CountsOf(state_.StoredBandTable[18]), Counts{});
        QVERIFY(file_->SaveResults(path).Succeeded());
        QCOMPARE(SavedCounts(path, 18), (Counts{1, 1, 1500}));
    }
};

QTEST_GUILESS_MAIN(ResultsTest)
#include "tst_results.moc"
