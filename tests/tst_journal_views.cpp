// The journal's views and export: the confusion matrix and the learning curve
// from a seeded journal, their windows (also on an empty journal), and the CSV
// export against RFC 4180.

#include "game/MainForm.h"
#include "game/TrainingMenu.h"
#include "journal/ConfusionView.h"
#include "journal/CurvePlotModule.h"
#include "journal/Journal.h"
#include "journal/JournalExport.h"
#include "journal/JournalService.h"
#include "journal/JournalStats.h"
#include "journal/LearningCurveView.h"
#include "support/GameHarness.h"
#include "support/JournalFiles.h"
#include "support/ScratchMount.h"
#include "support/Watchdog.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QLabel>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>

#include <optional>

namespace {

// What a screen reader says when the window opens: a window role and its title.
bool AnnouncedAsWindow(QWidget* window, const char* title)
{
    QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(window);
    return announced &&
           (announced->role() == QAccessible::Dialog || announced->role() == QAccessible::Window) &&
           announced->text(QAccessible::Name) == QString::fromUtf8(title);
}

QDateTime Utc(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

// The turns the computations below are checked against: two days of play,
// the second on `lastDay`, at times that fall on the same date in any zone
// within eleven hours of UTC.
QList<JournalTurn> LearningTurns(QDate lastDay = QDate(2026, 12, 3))
{
    const QDate firstDay = lastDay.addDays(-2);
    auto at = [](QDate day, int hour) { return QDateTime(day, QTime(hour, 0), Qt::UTC); };
    return {
        // The first day: two finds (2 s at once, 6 s after 800 Hz and 2 kHz), two given up
        MakeTurn(at(firstDay, 11), 15, TurnOutcome::Found, 1, {}, 2000),
        MakeTurn(at(firstDay, 12), 15, TurnOutcome::Found, 3, {14, 18}, 6000),
        MakeTurn(at(firstDay, 12), 12, TurnOutcome::Abandoned, 1, {18}),
        MakeTurn(at(firstDay, 13), 12, TurnOutcome::Abandoned, 0, {}),
        // The second: three finds
        MakeTurn(at(lastDay, 11), 15, TurnOutcome::Found, 2, {16}, 3000),
        MakeTurn(at(lastDay, 12), 20, TurnOutcome::Found, 1, {}, 1000),
        MakeTurn(at(lastDay, 13), 20, TurnOutcome::Found, 4, {22, 19, 25}, 9000),
    };
}

// A week of play up to 7 December 2026 and the week before it, for the
// confusion window's figures; the comments give them as worked out by hand.
QList<JournalTurn> CoachTurns()
{
    auto week = [](int day, int minute) { return Utc(2026, 12, day, 10, minute); };
    auto before = [](int day, int minute) { return Utc(2026, 11, day, 10, minute); };
    using O = TurnOutcome;
    return {
        // 1 kHz: six turns, two found at the first try, 800 Hz tried in three;
        // wrong tries -1, -1 -2, +1, -1 -3: median -1.
        MakeTurn(week(2, 0), 15, O::Found, 1),
        MakeTurn(week(2, 1), 15, O::Found, 2, {14}),
        MakeTurn(week(3, 0), 15, O::Found, 3, {14, 13}),
        MakeTurn(week(4, 0), 15, O::Found, 2, {16}),
        MakeTurn(week(5, 0), 15, O::Abandoned, 2, {14, 12}),
        MakeTurn(week(7, 0), 15, O::Found, 1),
        // 3,15 kHz: five turns, two at the first try; +2, +1, +3: median +2.
        MakeTurn(week(2, 5), 20, O::Found, 2, {22}),
        MakeTurn(week(3, 5), 20, O::Found, 2, {21}),
        MakeTurn(week(4, 5), 20, O::Abandoned, 1, {23}),
        MakeTurn(week(5, 5), 20, O::Found, 1),
        MakeTurn(week(6, 5), 20, O::Found, 1),
        // 315 Hz: five turns, -1 and +1: median 0.
        MakeTurn(week(1, 0), 10, O::Found, 2, {9}),
        MakeTurn(week(1, 1), 10, O::Found, 2, {11}),
        MakeTurn(week(1, 2), 10, O::Found, 1),
        MakeTurn(week(1, 3), 10, O::Found, 1),
        MakeTurn(week(1, 4), 10, O::Found, 1),
        // 500 Hz: one turn, too few for a direction.
        MakeTurn(week(6, 0), 12, O::Found, 2, {10}),
        // The week before: 1 kHz 1 of 4 at the first try, 3,15 kHz 2 of 2.
        MakeTurn(before(24, 0), 15, O::Found, 1),
        MakeTurn(before(26, 0), 15, O::Found, 2, {14}),
        MakeTurn(before(28, 0), 15, O::Abandoned, 0),
        MakeTurn(before(30, 0), 15, O::Found, 2, {16}),
        MakeTurn(before(25, 0), 20, O::Found, 1),
        MakeTurn(before(29, 0), 20, O::Found, 1),
        // Earlier still: in neither week; -1 for 3,15 kHz.
        MakeTurn(before(23, 0), 20, O::Abandoned, 1, {19}),
    };
}

// Six turns of every band in the last week and six the week before, with
// misses all around: the widest confusion window there is, with a direction
// line and an arrow for every band.
std::vector<JournalTurn> EveryBandTurns()
{
    std::vector<JournalTurn> turns;
    for (int b = 0; b < BandCount; ++b) {
        const auto band = [b](int step) { return (b + step) % BandCount; };
        for (int weekBefore : {0, 7}) {
            const auto at = [weekBefore](int i) {
                return Utc(2026, 12, 7, 8).addDays(-(weekBefore + i));
            };
            turns.push_back(MakeTurn(at(0), b, TurnOutcome::Found, 1));
            turns.push_back(MakeTurn(at(1), b, TurnOutcome::Found, 2, {band(1)}));
            turns.push_back(MakeTurn(at(2), b, TurnOutcome::Found, 3, {band(27), band(2)}));
            turns.push_back(MakeTurn(at(3), b, TurnOutcome::Abandoned, 2, {band(3), band(4)}));
            turns.push_back(MakeTurn(at(4), b, TurnOutcome::Found, 1 + weekBefore / 7));
            turns.push_back(MakeTurn(at(5), b, TurnOutcome::Found, 2, {band(5)}));
        }
    }
    return turns;
}

// Every text of `window` that a player reads, where it is: labels and
// choosers as widgets, plus `more` (in the window's coordinates). The first
// two that overlap or one outside the window, as a message; empty when none.
QString OverlapIn(QWidget* window, QList<QPair<QString, QRect>> more)
{
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            more << qMakePair(label->text(),
                              QRect(widget->mapTo(window, QPoint()), widget->size()));
        else if (qobject_cast<QComboBox*>(widget))
            more << qMakePair(QStringLiteral("Zeitraum"),
                              QRect(widget->mapTo(window, QPoint()), widget->size()));
    }
    for (qsizetype i = 0; i < more.size(); ++i) {
        if (!window->rect().contains(more[i].second))
            return QStringLiteral("outside: %1").arg(more[i].first);
        for (qsizetype j = i + 1; j < more.size(); ++j)
            if (more[i].second.intersects(more[j].second))
                return QStringLiteral("%1 and %2").arg(more[i].first, more[j].first);
    }
    return {};
}

std::vector<JournalTurn> AsVector(const QList<JournalTurn>& turns)
{
    return std::vector<JournalTurn>(turns.begin(), turns.end());
}

// An RFC 4180 reader written from the RFC, not from the writer: records end
// in CRLF, fields are separated by commas, a quoted field may hold commas,
// CR, LF and doubled quotes. Nullopt for text that breaks the grammar.
std::optional<QList<QStringList>> ParseCsv(const QByteArray& bytes)
{
    QList<QStringList> records;
    QStringList record;
    QByteArray field;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        if (bytes[i] == '"') {
            ++i;
            for (;;) {
                if (i >= n)
                    return std::nullopt; // unterminated
                if (bytes[i] == '"') {
                    if (i + 1 < n && bytes[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += bytes[i++];
            }
        } else {
            while (i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n') {
                if (bytes[i] == '"')
                    return std::nullopt; // a quote inside an unquoted field
                field += bytes[i++];
            }
        }
        record << QString::fromUtf8(field);
        field.clear();
        if (i < n && bytes[i] == ',') {
            ++i;
            continue;
        }
        if (i + 1 < n && bytes[i] == '\r' && bytes[i + 1] == '\n') {
            i += 2;
            records << record;
            record.clear();
            continue;
        }
        return std::nullopt; // a bare CR or LF, or no line end at the end
    }
    return records;
}

} // namespace

class TestJournalViews : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GameHarness> rig_;

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init() { rig_ = std::make_unique<GameHarness>(); }
    void cleanup()
    {
        rig_.reset();
        SetCurvePlotSearchPath({QStringLiteral(BUILD_DIR)});
    }

    // Runs first, before any test loads the module for the rest of the run.
    void learningCurveWithoutItsPlotModule()
    {
        SetCurvePlotSearchPath({QDir::tempPath() + "/no-such-folder"});
        LearningCurveView view;
        QString problem;
        const CreateCurvePlotFunction createPlot = LoadCurvePlot(&problem);
        view.ShowCurve(ComputeLearningCurve(AsVector(LearningTurns()), QTimeZone::systemTimeZone()),
                       createPlot, problem);
        QVERIFY(!view.Plot());
        QVERIFY2(view.NoticeText().contains("heulmeister-curveplot.so"),
                 qPrintable(view.NoticeText()));
        QCOMPARE(view.BandTable()->item(15, 1)->text(), QStringLiteral("3")); // the table stays
    }

    // ---- confusion matrix ----------------------------------------------------------

    void confusionMatrixOfAPeriod_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("turns");
        QTest::addColumn<QList<QList<int>>>("cells"); // ringing, tried, count
        QTest::newRow("last 7 days")
            << int(JournalPeriod::Last7Days) << 4
            << QList<QList<int>>{{15, 14, 2}, {15, 16, 1}, {15, 15, 0}, {20, 20, 1},
                                 {12, 13, 0}, {12, 12, 0}, {18, 17, 1}};
        QTest::newRow("last 30 days")
            << int(JournalPeriod::Last30Days) << 6
            << QList<QList<int>>{{15, 14, 3}, {15, 15, 0}, {12, 13, 0}, {18, 17, 2}};
        QTest::newRow("all") << int(JournalPeriod::All) << 7
                             << QList<QList<int>>{{15, 14, 3}, {15, 16, 1}, {15, 15, 0},
                                                  {12, 13, 1}, {12, 12, 0}, {20, 20, 1},
                                                  {14, 15, 0}};
    }

    void confusionMatrixOfAPeriod()
    {
        QFETCH(int, period);
        QFETCH(int, turns);
        QFETCH(QList<QList<int>>, cells);
        // "Now" is 7 December, 12:00 UTC; the last 7 days begin on 1 December.
        const QList<JournalTurn> seeded = {
            MakeTurn(Utc(2026, 12, 7, 8), 15, TurnOutcome::Found, 3, {14, 16}),
            MakeTurn(Utc(2026, 12, 4, 8), 15, TurnOutcome::Found, 2, {14}),
            MakeTurn(Utc(2026, 12, 7, 9), 20, TurnOutcome::Found, 1, {}),
            MakeTurn(Utc(2026, 12, 1, 0), 18, TurnOutcome::Abandoned, 1, {17}),
            MakeTurn(Utc(2026, 11, 30, 23, 59), 15, TurnOutcome::Abandoned, 1, {14}),
            MakeTurn(Utc(2026, 11, 8, 0), 18, TurnOutcome::Abandoned, 1, {17}),
            MakeTurn(Utc(2026, 10, 20, 8), 12, TurnOutcome::Found, 2, {13}),
        };
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, seeded));
        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        const auto read = journal.ReadTurns();
        QVERIFY(read);
        const ConfusionMatrix matrix = ComputeConfusionMatrix(
            *read, JournalPeriod(period), Utc(2026, 12, 7, 12), QTimeZone::utc());
        QCOMPARE(matrix.turns, turns);
        for (const QList<int>& cell : cells)
            QVERIFY2(matrix.counts[cell[0]][cell[1]] == cell[2],
                     qPrintable(QStringLiteral("%1 -> %2: %3")
                                    .arg(cell[0])
                                    .arg(cell[1])
                                    .arg(matrix.counts[cell[0]][cell[1]])));
    }

    void mostConfusedPairs()
    {
        const QList<JournalTurn> seeded = {
            MakeTurn(Utc(2026, 12, 7, 8), 15, TurnOutcome::Found, 3, {14, 16}),
            MakeTurn(Utc(2026, 12, 4, 8), 15, TurnOutcome::Found, 2, {14}),
            MakeTurn(Utc(2026, 11, 30, 8), 15, TurnOutcome::Abandoned, 1, {14}),
            MakeTurn(Utc(2026, 10, 20, 8), 12, TurnOutcome::Found, 2, {13}),
            MakeTurn(Utc(2026, 10, 21, 8), 22, TurnOutcome::Found, 2, {21}),
        };
        const ConfusionMatrix matrix = ComputeConfusionMatrix(
            AsVector(seeded), JournalPeriod::All, Utc(2026, 12, 7, 12), QTimeZone::utc());
        QCOMPARE(int(matrix.mostConfused.size()), 3);
        // Three times 800 Hz for 1 kHz; then the ties in band order.
        QCOMPARE(matrix.mostConfused[0].ringingBand, 15);
        QCOMPARE(matrix.mostConfused[0].triedBand, 14);
        QCOMPARE(matrix.mostConfused[0].count, 3);
        QCOMPARE(matrix.mostConfused[1].ringingBand, 12);
        QCOMPARE(matrix.mostConfused[2].ringingBand, 15);
        QCOMPARE(matrix.mostConfused[2].triedBand, 16);
        QCOMPARE(ConfusionSummary(matrix, QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("Am häufigsten wurde 1 kHz für 800 Hz gehalten (3-mal), danach "
                                "500 Hz für 625 Hz (einmal) und 1 kHz für 1,25 kHz (einmal)."));
    }

    void confusionSharesPerTurn_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("ringing");
        QTest::addColumn<int>("tried");
        QTest::addColumn<double>("share");
        const int week = int(JournalPeriod::Last7Days);
        const int all = int(JournalPeriod::All);
        QTest::newRow("1 kHz at the first try") << week << 15 << 15 << 2.0 / 6;
        QTest::newRow("800 Hz in three turns of six") << week << 15 << 14 << 3.0 / 6;
        QTest::newRow("a turn given up counts") << week << 15 << 12 << 1.0 / 6;
        QTest::newRow("never tried for 1 kHz") << week << 15 << 20 << 0.0;
        QTest::newRow("3,15 kHz at the first try") << week << 20 << 20 << 2.0 / 5;
        QTest::newRow("500 Hz never at once") << week << 12 << 12 << 0.0;
        QTest::newRow("500 Hz as 315 Hz") << week << 12 << 10 << 1.0;
        QTest::newRow("all: 1 kHz") << all << 15 << 15 << 3.0 / 10;
        QTest::newRow("all: 3,15 kHz as 2,5 kHz") << all << 20 << 19 << 1.0 / 8;
    }

    void confusionSharesPerTurn()
    {
        QFETCH(int, period);
        QFETCH(int, ringing);
        QFETCH(int, tried);
        QFETCH(double, share);
        QVERIFY(SeedJournal(rig_->JournalPath(), CoachTurns()));
        ScriptedDialogs dialogs;
        Journal journal(dialogs, rig_->JournalPath());
        const auto turns = journal.ReadToneTurns();
        QVERIFY(turns);
        const ConfusionMatrix matrix = ComputeConfusionMatrix(
            *turns, JournalPeriod(period), Utc(2026, 12, 7, 12), QTimeZone::utc());
        QVERIFY(matrix.Share(ringing, tried));
        QCOMPARE(*matrix.Share(ringing, tried), share);
    }

    void confusionDirectionsAndTrend_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("earlier");    // the turn of 23 November is in it
        QTest::addColumn<QString>("arrow1k"); // and its tool tip
        QTest::addColumn<QString>("arrow3k15");
        QTest::newRow("last 7 days, against the week before")
            << int(JournalPeriod::Last7Days) << false
            << "1 kHz beim ersten Versuch gefunden: 33 %, im Zeitraum davor 25 %."
            << "3,15 kHz beim ersten Versuch gefunden: 40 %, im Zeitraum davor 100 %.";
        // Nothing was played in the 30 days before.
        QTest::newRow("last 30 days") << int(JournalPeriod::Last30Days) << true << ""
                                      << "";
        QTest::newRow("all") << int(JournalPeriod::All) << true << ""
                             << "";
    }

    void confusionDirectionsAndTrend()
    {
        QFETCH(int, period);
        QFETCH(bool, earlier);
        QFETCH(QString, arrow1k);
        QFETCH(QString, arrow3k15);
        ConfusionView view;
        view.ShowMatrices(ComputeConfusionMatrices(AsVector(CoachTurns()), Utc(2026, 12, 7, 12),
                                                   QTimeZone::utc()));
        view.SetPeriod(JournalPeriod(period));
        view.show(); // the arrows need their rows' height
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.Matrix().rows, std::vector<int>({10, 12, 15, 20}));
        std::vector<int> columns{9, 10, 11, 12, 13, 14, 15, 16, 20, 21, 22, 23};
        if (earlier)
            columns.insert(columns.begin() + 8, 19);
        QCOMPARE(view.Matrix().columns, columns);
        // With the turn of 23 November 3,15 kHz misses by +2 +1 +3 -1: median 1.5, two bands.
        QCOMPARE(view.DirectionTexts(),
                 QStringList({"315 Hz: mal zu hoch, mal zu tief", "1 kHz: meist eine Terz zu tief",
                              "3,15 kHz: meist zwei Terzen zu hoch"}));
        QCOMPARE(view.HeatMap()->ArrowToolTip(15), arrow1k);
        QCOMPARE(view.HeatMap()->ArrowToolTip(20), arrow3k15);
        QCOMPARE(view.HeatMap()->ArrowToolTip(10), QString()); // not played the week before
        QStringList arrows;
        for (const auto& text : view.HeatMap()->Texts())
            if (text.text == "↑" || text.text == "↓" || text.text == "→")
                arrows << text.text;
        QCOMPARE(arrows, arrow1k.isEmpty() ? QStringList() : QStringList({"↑", "↓"}));
    }

    void numbersAreGermanOnAnEnglishDesktop()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString direction =
            DirectionLines(ComputeConfusionMatrix(AsVector(CoachTurns()), JournalPeriod::All,
                                                  Utc(2026, 12, 7, 12), QTimeZone::utc()))
                .last();
        LearningCurveView curve;
        curve.ShowCurve(ComputeLearningCurve(AsVector(LearningTurns()), QTimeZone::utc()), nullptr,
                        QString());
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(direction, QStringLiteral("3,15 kHz: meist zwei Terzen zu hoch"));
        QCOMPARE(curve.BandTable()->item(15, 5)->text(), QStringLiteral("3,0 s"));
    }

    void stageRowsAreNoToneTurns()
    {
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, CoachTurns()));
        QString error;
        QVERIFY2(RunSql(path,
                        {"INSERT INTO turns (started_at, ringing_band, frequency_hz, attempts, "
                         "tried, find_ms, outcome, kind) VALUES ('2026-12-07T08:00:00Z', 15, "
                         "1000, 2, '14', 3000, 'found', 'buehne')"},
                        &error),
                 qPrintable(error));
        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        QCOMPARE(journal.ReadTurns()->size(), std::size_t(CoachTurns().size() + 1));
        QCOMPARE(journal.ReadToneTurns()->size(), std::size_t(CoachTurns().size()));
    }

    void labelsNeverOverlap_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("bands"); // the lowest that rang
        QTest::newRow("1280x800, every band") << QSize(1280, 800) << 0;
        QTest::newRow("1920x1080, every band") << QSize(1920, 1080) << 0;
        QTest::newRow("1280x800, four bands") << QSize(1280, 800) << 24;
        QTest::newRow("1920x1080, four bands") << QSize(1920, 1080) << 24;
    }

    void labelsNeverOverlap()
    {
        QFETCH(QSize, screen);
        QFETCH(int, bands);
        std::vector<JournalTurn> turns = EveryBandTurns();
        std::erase_if(turns, [bands](const JournalTurn& turn) { return turn.ringingBand < bands; });

        ConfusionView confusions;
        confusions.ShowMatrices(
            ComputeConfusionMatrices(turns, Utc(2026, 12, 7, 12), QTimeZone::utc()));
        confusions.SetPeriod(JournalPeriod::Last7Days);
        confusions.resize(screen);
        confusions.show();
        QVERIFY(QTest::qWaitForWindowExposed(&confusions));
        QCOMPARE(confusions.size(), screen);
        QList<QPair<QString, QRect>> texts;
        int shares = 0;
        ConfusionHeatMap* map = confusions.HeatMap();
        for (const auto& text : map->Texts()) {
            texts << qMakePair(text.text, text.box.translated(map->mapTo(&confusions, QPoint())));
            shares += text.text.endsWith(" %") ? 1 : 0;
        }
        QString overlap = OverlapIn(&confusions, texts);
        QVERIFY2(overlap.isEmpty(), qPrintable(overlap));
        // Every share that is not zero, and every diagonal, is readable.
        int cells = 0;
        for (int r : confusions.Matrix().rows)
            for (int c : confusions.Matrix().columns)
                cells += r == c || confusions.Matrix().counts[r][c] > 0 ? 1 : 0;
        QCOMPARE(shares, cells);

        // The learning curve's own texts; its plot lays out its axes itself.
        LearningCurveView curve;
        curve.ShowCurve(ComputeLearningCurve(turns, QTimeZone::utc()), nullptr, QString());
        curve.ShowWeights(WeakBandWeights(turns));
        curve.resize(screen);
        curve.show();
        QVERIFY(QTest::qWaitForWindowExposed(&curve));
        overlap = OverlapIn(&curve, {});
        QVERIFY2(overlap.isEmpty(), qPrintable(overlap));
    }

    // ---- learning curve --------------------------------------------------------------

    void learningCurvePerDay()
    {
        const LearningCurve curve =
            ComputeLearningCurve(AsVector(LearningTurns()), QTimeZone::utc());
        QCOMPARE(int(curve.days.size()), 2);
        const LearningFigures& first = curve.days[0].figures;
        QCOMPARE(curve.days[0].day, QDate(2026, 12, 1));
        QCOMPARE(first.turns, 4);
        QCOMPARE(first.found, 2);
        QCOMPARE(*first.firstAttemptShare, 0.5);
        // First tries: 1 kHz itself, 800 Hz (a neighbour), 2 kHz for 500 Hz
        // (not); the fourth turn has none.
        QCOMPARE(*first.nearFirstTryShare, 2.0 / 3.0);
        QCOMPARE(*first.medianFindSeconds, 4.0);
        const LearningFigures& second = curve.days[1].figures;
        QCOMPARE(curve.days[1].day, QDate(2026, 12, 3));
        QCOMPARE(*second.firstAttemptShare, 1.0 / 3.0);
        QCOMPARE(*second.nearFirstTryShare, 2.0 / 3.0);
        QCOMPARE(*second.medianFindSeconds, 3.0);
    }

    void learningCurveDaysAreLocal_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("day");
        QTest::newRow("UTC") << QByteArray("UTC") << QDate(2026, 12, 1);
        QTest::newRow("Berlin, already the next day")
            << QByteArray("Europe/Berlin") << QDate(2026, 12, 2);
        QTest::newRow("New York, still the day")
            << QByteArray("America/New_York") << QDate(2026, 12, 1);
    }

    void learningCurveDaysAreLocal()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, day);
        const std::vector<JournalTurn> turns = {
            MakeTurn(Utc(2026, 12, 1, 23, 30), 15, TurnOutcome::Found, 1)};
        const LearningCurve curve = ComputeLearningCurve(turns, QTimeZone(zone));
        QCOMPARE(int(curve.days.size()), 1);
        QCOMPARE(curve.days[0].day, day);
    }

    void learningCurvePerBand_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("turns");
        QTest::addColumn<int>("found");
        QTest::addColumn<double>("firstAttempt"); // -1: none
        QTest::addColumn<double>("nearTry");      // -1: none
        QTest::addColumn<double>("median");       // -1: none
        QTest::newRow("1 kHz") << 15 << 3 << 3 << 1.0 / 3 << 1.0 << 3.0;
        QTest::newRow("500 Hz, never found") << 12 << 2 << 0 << -1.0 << 0.0 << -1.0;
        QTest::newRow("2 kHz") << 20 << 2 << 2 << 0.5 << 0.5 << 5.0;
        QTest::newRow("630 Hz: only its last 20 turns") << 13 << 20 << 0 << -1.0 << -1.0 << -1.0;
        QTest::newRow("never rang") << 3 << 0 << 0 << -1.0 << -1.0 << -1.0;
    }

    void learningCurvePerBand()
    {
        QFETCH(int, band);
        QFETCH(int, turns);
        QFETCH(int, found);
        QFETCH(double, firstAttempt);
        QFETCH(double, nearTry);
        QFETCH(double, median);
        QList<JournalTurn> seeded = LearningTurns();
        // 625 Hz: five quick finds, then twenty turns given up untried.
        for (int i = 0; i < 25; ++i)
            seeded << (i < 5 ? MakeTurn(Utc(2026, 12, 4, 8, i), 13, TurnOutcome::Found, 1)
                             : MakeTurn(Utc(2026, 12, 4, 8, i), 13, TurnOutcome::Abandoned, 0));
        const LearningCurve curve = ComputeLearningCurve(AsVector(seeded), QTimeZone::utc());
        const LearningFigures& figures = curve.bands[band];
        QCOMPARE(figures.turns, turns);
        QCOMPARE(figures.found, found);
        auto same = [](const std::optional<double>& value, double expected) {
            return expected < 0 ? !value.has_value() : value && qFuzzyCompare(*value, expected);
        };
        QVERIFY(same(figures.firstAttemptShare, firstAttempt));
        QVERIFY(same(figures.nearFirstTryShare, nearTry));
        QVERIFY(same(figures.medianFindSeconds, median));
    }

    // ---- windows ------------------------------------------------------------------------

    void viewsOnAnEmptyJournal()
    {
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        const TrainingMenuActions& training = rig_->form->Training()->Actions();
        training.Verwechslungen->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        ConfusionView* confusions = rig_->form->OpenConfusions();
        QVERIFY(confusions);
        QVERIFY(QTest::qWaitForWindowExposed(confusions));
        QVERIFY(AnnouncedAsWindow(confusions, "Verwechslungen"));
        QVERIFY2(confusions->SummaryText().contains("keine Runde"),
                 qPrintable(confusions->SummaryText()));
        QCOMPARE(confusions->Matrix().turns, 0);
        confusions->SetPeriod(JournalPeriod::Last7Days);
        QVERIFY(confusions->SummaryText().contains("keine Runde"));

        training.Lernkurve->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        LearningCurveView* curve = rig_->form->OpenLearningCurve();
        QVERIFY(curve);
        QVERIFY(QTest::qWaitForWindowExposed(curve));
        QVERIFY(AnnouncedAsWindow(curve, "Lernkurve"));
        QVERIFY(!curve->Plot());
        QVERIFY2(curve->NoticeText().contains("noch keine Runde"), qPrintable(curve->NoticeText()));
        QVERIFY(curve->BandTable()->isHidden());  // no table of dashes
        QVERIFY(rig_->dialogs.boxes.size() == 1); // the safety warning, nothing else
    }

    void viewsShowTheRecordedTurns()
    {
        // Two days of play ending today, and one turn long ago.
        QList<JournalTurn> seeded = LearningTurns(QDate::currentDate());
        seeded << MakeTurn(QDateTime::currentDateTimeUtc().addDays(-60), 18, TurnOutcome::Found, 2,
                           {17});
        QVERIFY(SeedJournal(rig_->JournalPath(), seeded));
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        const TrainingMenuActions& training = rig_->form->Training()->Actions();

        training.Verwechslungen->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        ConfusionView* confusions = rig_->form->OpenConfusions();
        QVERIFY(QTest::qWaitForWindowExposed(confusions));
        QCOMPARE(confusions->Period(), JournalPeriod::All);
        QCOMPARE(confusions->Matrix().turns, 8);
        QCOMPARE(confusions->Matrix().counts[15][14], 1);
        QCOMPARE(confusions->Matrix().counts[12][18], 1);
        QCOMPARE(confusions->Matrix().counts[18][17], 1);
        QCOMPARE(
            confusions->HeatMap()->CellToolTip(15, 14),
            QStringLiteral("Es klang 1 kHz, versucht wurde 800 Hz: in 1 von 3 Runden (33 %)."));
        QCOMPARE(confusions->HeatMap()->CellToolTip(15, 15),
                 QStringLiteral("1 kHz klang in 3 Runden und wurde in 1 davon beim ersten Versuch "
                                "gefunden (33 %)."));
        const QRect cell = confusions->HeatMap()->CellRect(15, 14);
        QVERIFY(confusions->HeatMap()->CellAt(cell.center()) == std::make_pair(15, 14));
        QVERIFY(!confusions->HeatMap()->CellAt(QPoint(1, 1)));
        // The player picks "Letzte 7 Tage": the turn of two months ago drops out.
        confusions->PeriodChooser()->setCurrentIndex(0);
        QCOMPARE(confusions->Period(), JournalPeriod::Last7Days);
        QCOMPARE(confusions->Matrix().turns, 7);
        QCOMPARE(confusions->Matrix().counts[18][17], 0);
        QVERIFY(confusions->SummaryText().startsWith("Am häufigsten wurde "));

        training.Lernkurve->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        LearningCurveView* curve = rig_->form->OpenLearningCurve();
        QVERIFY(QTest::qWaitForWindowExposed(curve));
        QVERIFY2(curve->Plot(), qPrintable(curve->NoticeText()));
        QCOMPARE(curve->Plot()->metaObject()->className(), "QChartView");
        QCOMPARE(int(curve->Curve().days.size()), 3);
        QTableWidget* table = curve->BandTable();
        QVERIFY(table->isVisible());
        QVERIFY(table->isRowHidden(3)); // never rang
        QVERIFY(!table->isRowHidden(12));
        QCOMPARE(table->item(15, 0)->text(), QStringLiteral("1 kHz"));
        QCOMPARE(table->item(15, 1)->text(), QStringLiteral("3"));
        QCOMPARE(table->item(15, 3)->text(), QStringLiteral("33 %"));
        QCOMPARE(table->item(15, 4)->text(), QStringLiteral("100 %"));
        QCOMPARE(table->item(15, 5)->text(), QStringLiteral("3,0 s"));
        // The draw's weights: (1 + mean wrong tries of the finds)^2.
        QCOMPARE(table->item(15, 6)->text(), QStringLiteral("4,00")); // 0, 2, 1 wrong
        QCOMPARE(table->item(20, 6)->text(), QStringLiteral("6,25")); // 0, 3 wrong

        // Opening again shows what was recorded since.
        rig_->StartTurnRinging(DrawFor1k);
        rig_->ClickFader(15);
        training.Lernkurve->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        QTRY_VERIFY(rig_->form->OpenLearningCurve() && rig_->form->OpenLearningCurve() != curve);
        QCOMPARE(rig_->form->OpenLearningCurve()->BandTable()->item(15, 1)->text(),
                 QStringLiteral("4"));
    }

    void learningCurveAxesNeverRepeatALabel_data()
    {
        QTest::addColumn<QList<int>>("findMs"); // one day each
        QTest::newRow("under 2 s") << QList<int>{1400, 900, 1200};
        QTest::newRow("under a second") << QList<int>{300, 450};
        QTest::newRow("a minute") << QList<int>{61000, 12000, 5000};
    }

    void learningCurveAxesNeverRepeatALabel()
    {
        QFETCH(QList<int>, findMs);
        QList<JournalTurn> turns;
        for (int day = 0; day < findMs.size(); ++day)
            turns << MakeTurn(Utc(2026, 12, 1 + day, 12), 15, TurnOutcome::Found, 1, {},
                              findMs[day]);
        QVERIFY(SeedJournal(rig_->JournalPath(), turns));
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        rig_->form->Training()->Actions().Lernkurve->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        auto* chart = qobject_cast<QGraphicsView*>(rig_->form->OpenLearningCurve()->Plot());
        QVERIFY(chart);
        QVERIFY(QTest::qWaitForWindowExposed(chart->window()));
        // The labels as drawn: the find-time axis is the right one.
        QStringList seconds, days;
        const QRegularExpression number("^\\d+(,\\d+)?$");
        const QRegularExpression date("^\\d\\d\\.\\d\\d\\.\\d+$");
        for (QGraphicsItem* item : chart->scene()->items()) {
            auto* text = dynamic_cast<QGraphicsTextItem*>(item);
            if (!text || !text->isVisible())
                continue;
            const QString label = text->toPlainText();
            if (number.match(label).hasMatch() && item->scenePos().x() > chart->width() / 2)
                seconds << label;
            else if (date.match(label).hasMatch())
                days << label;
        }
        QVERIFY2(seconds.size() >= 3 &&
                     seconds.size() == QSet<QString>(seconds.begin(), seconds.end()).size(),
                 qPrintable(seconds.join(" ")));
        QVERIFY2(!days.isEmpty(), qPrintable(days.join(" ")));
        for (const QString& day : days)
            QVERIFY2(QRegularExpression("^\\d\\d\\.12\\.2026$").match(day).hasMatch(),
                     qPrintable(day));
    }

    void largeJournalFillsTheWindowsLater()
    {
        constexpr int Turns = 200000;
        QVERIFY(SeedManyTurns(rig_->JournalPath(), Turns));
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n[Training]\nSchwerpunkt=1\n"));
        JournalService& journal = rig_->form->TrainingJournal();
        const TrainingMenuActions& training = rig_->form->Training()->Actions();
        const QString target = rig_->programDir.filePath("Journal.csv");
        rig_->dialogs.fileAnswers = {target};

        // Each window is there at once and says it is reading; so is the export.
        training.Verwechslungen->trigger();
        training.Lernkurve->trigger();
        training.Exportieren->trigger();
        ConfusionView* confusions = rig_->form->OpenConfusions();
        LearningCurveView* curve = rig_->form->OpenLearningCurve();
        QVERIFY(confusions->isVisible() && curve->isVisible());
        QVERIFY(!confusions->IsFilled() && !curve->IsFilled());
        QCOMPARE(confusions->SummaryText(),
                 QStringLiteral("Das Trainingsjournal wird gelesen ..."));
        QProgressDialog* progress = rig_->form->form.findChild<QProgressDialog*>();
        QVERIFY(progress && progress->isVisible());

        journal.WaitUntilIdle();
        QCOMPARE(confusions->Matrix().turns, Turns);
        QVERIFY(curve->Plot());
        QCOMPARE(curve->Curve().turns, Turns);
        QCOMPARE(ParseCsv(FileBytes(target))->size(), Turns + 1);
        QTRY_VERIFY(!rig_->form->form.findChild<QProgressDialog*>());
        // The weighted draw was ready without a read at START.
        QVERIFY(journal.DrillWeights());
        QCOMPARE(rig_->dialogs.boxes.size(), 2); // the safety warning, the export's
    }

    // ---- CSV ------------------------------------------------------------------------------

    void csvField_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("plain") << QVariant("found") << QByteArray("found");
        QTest::newRow("spaces stay bare") << QVariant("14 16 13") << QByteArray("14 16 13");
        QTest::newRow("comma") << QVariant("a,b") << QByteArray("\"a,b\"");
        QTest::newRow("quote") << QVariant("sagt \"hallo\"")
                               << QByteArray("\"sagt \"\"hallo\"\"\"");
        QTest::newRow("line feed") << QVariant("a\nb") << QByteArray("\"a\nb\"");
        QTest::newRow("carriage return") << QVariant("a\rb") << QByteArray("\"a\rb\"");
        QTest::newRow("empty text") << QVariant("") << QByteArray("");
        QTest::newRow("NULL") << QVariant() << QByteArray("");
        QTest::newRow("integer") << QVariant(qlonglong(-42)) << QByteArray("-42");
        QTest::newRow("real, point as separator")
            << QVariant(905.6074719) << QByteArray("905.6074719");
        QTest::newRow("real keeps every digit")
            << QVariant(1106.8535595036305) << QByteArray("1106.8535595036305");
        QTest::newRow("UTF-8") << QVariant("Bänder") << QByteArray("B\xc3\xa4nder");
    }

    void csvField()
    {
        QFETCH(QVariant, value);
        QFETCH(QByteArray, field);
        QCOMPARE(CsvField(value), field);
    }

    // Text another tool stored that a spreadsheet would run as a formula gets
    // a leading apostrophe in both file types; numbers, negative ones too,
    // stay as they are.
    void formulasAreExportedAsText_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QByteArray>("field"); // the same in both file types
        QTest::newRow("=HYPERLINK") << "tried" << QVariant("=HYPERLINK(\"http://x.example/\")")
                                    << QByteArray("\"'=HYPERLINK(\"\"http://x.example/\"\")\"");
        QTest::newRow("+1+1") << "outcome" << QVariant("+1+1") << QByteArray("'+1+1");
        QTest::newRow("@SUM") << "tried" << QVariant("@SUM(1+1)*cmd|' /C calc'!A0")
                              << QByteArray("'@SUM(1+1)*cmd|' /C calc'!A0");
        QTest::newRow("-2+3+cmd") << "outcome" << QVariant("-2+3+cmd|' /C calc'!A0")
                                  << QByteArray("'-2+3+cmd|' /C calc'!A0");
        QTest::newRow("tab") << "tried" << QVariant("\t=1+1") << QByteArray("'\t=1+1");
        QTest::newRow("carriage return")
            << "tried" << QVariant("\r=1+1") << QByteArray("\"'\r=1+1\"");
        QTest::newRow("negative real") << "frequency_hz" << QVariant(-3.5) << QByteArray("-3.5");
        QTest::newRow("negative integer")
            << "attempts" << QVariant(qlonglong(-12)) << QByteArray("-12");
        QTest::newRow("negative number as text") << "tried" << QVariant("-12") << QByteArray("-12");
        QTest::newRow("signed exponent as text")
            << "tried" << QVariant("+1.5e-3") << QByteArray("+1.5e-3");
        QTest::newRow("equals sign inside") << "tried" << QVariant("a=b") << QByteArray("a=b");
    }

    void formulasAreExportedAsText()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, stored);
        QFETCH(QByteArray, field);
        // A row no view trusts, with nothing but this cell: written as stored.
        QList<QVariant> row(ExportColumns.size());
        const qsizetype at = ExportColumns.indexOf(column);
        row[at] = stored;

        QList<QByteArray> rfc(ExportColumns.size());
        rfc[at] = field;
        QCOMPARE(JournalCsv({row}).split('\n').value(1), rfc.join(',') + '\r');

        // The spreadsheet's columns: where each comes from, -1 for "Art".
        const QList<qsizetype> sources = {1,  -1, 2, 3, 7, 8,  9,  10, 11, 12,
                                          13, 14, 4, 5, 6, 16, 17, 18, 19, 20};
        QList<QByteArray> spreadsheet(sources.size());
        spreadsheet[1] = "Ton";
        spreadsheet[sources.indexOf(at)] = field;
        QCOMPARE(JournalSpreadsheetCsv({row}, QTimeZone::utc()).split('\n').value(1),
                 spreadsheet.join(';') + '\r');
    }

    void csvReadsBackAsRecorded()
    {
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, LearningTurns()));
        QString error;
        // What other tools may have put in: text with every character CSV quotes.
        QVERIFY2(RunSql(path,
                        {"INSERT INTO turns (started_at, ringing_band, frequency_hz, attempts, "
                         "tried, outcome) VALUES ('2026-12-05T08:00:00Z', 15, 1000.25, 1, "
                         "'x,\"y\"' || char(13) || char(10) || 'z', 'aufgegeben, \"ja\"')"},
                        &error),
                 qPrintable(error));
        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        const auto rows = journal.ReadRows();
        QVERIFY(rows);
        const QByteArray csv = JournalCsv(*rows);
        QVERIFY(csv.startsWith("id,started_at,ringing_band,frequency_hz,scoring_mode,low_cut,"
                               "high_cut,attempts,tried,find_ms,outcome,feedback_time,"
                               "random_start,swell,bed,kind,howl_hz,gain_won_db,auto_gain_db,"
                               "set_id,set_points\r\n"));
        const auto records = ParseCsv(csv);
        QVERIFY(records);
        QCOMPARE(records->size(), int(rows->size()) + 1);
        for (qsizetype r = 0; r < qsizetype(rows->size()); ++r) {
            const QStringList& record = (*records)[r + 1];
            QCOMPARE(record.size(), ExportColumns.size());
            for (int c = 0; c < ExportColumns.size(); ++c) {
                const QVariant& value = (*rows)[r][c];
                if (value.typeId() == QMetaType::Double)
                    QCOMPARE(record[c].toDouble(), value.toDouble()); // exactly, by its text
                else
                    QCOMPARE(record[c], value.isNull() ? QString() : value.toString());
            }
        }
        QCOMPARE(records->last()[8], QStringLiteral("x,\"y\"\r\nz"));
        QCOMPARE((*records)[2][8], QStringLiteral("14 18"));
        QCOMPARE((*records)[2][1], QStringLiteral("2026-12-01T12:00:00Z"));
        QCOMPARE((*records)[3][9], QString()); // not found: no find time
    }

    void exportFromTheMenu()
    {
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        rig_->StartTurnRinging(DrawFor1k);
        rig_->ClickFader(14);
        rig_->clock.Advance(1500);
        rig_->ClickFader(15);
        const QString target = rig_->programDir.filePath("Journal.csv");
        rig_->dialogs.fileAnswers = {target};
        rig_->form->Training()->Actions().Exportieren->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        QCOMPARE(rig_->dialogs.fileDialogs.size(), 1);
        QCOMPARE(rig_->dialogs.fileDialogs[0].defaultExtension, QStringLiteral("csv"));
        const auto records = ParseCsv(FileBytes(target));
        QVERIFY(records);
        QCOMPARE(records->size(), 2);
        QCOMPARE((*records)[1][2], QStringLiteral("15"));
        QCOMPARE((*records)[1][7], QStringLiteral("2"));
        QCOMPARE((*records)[1][8], QStringLiteral("14"));
        QCOMPARE((*records)[1][9], QStringLiteral("1500"));
        QCOMPARE((*records)[1][10], QStringLiteral("found"));
        QCOMPARE((*records)[1][3].toDouble(), rig_->State().ToneFrequency);
        // The safety warning, then where the file went.
        QCOMPARE(rig_->dialogs.boxes.size(), 2);
        QCOMPARE(rig_->dialogs.boxes[1].icon, DialogIcon::Information);
        QCOMPARE(rig_->dialogs.boxes[1].text,
                 QStringLiteral("Eine Runde wurde in die Datei „%1“ exportiert.").arg(target));

        // Cancelling the dialog writes nothing.
        QVERIFY(QFile::remove(target));
        rig_->form->Training()->Actions().Exportieren->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        QVERIFY(!QFileInfo::exists(target));
    }

    void spreadsheetExport()
    {
        QList<JournalTurn> turns = {
            MakeTurn(Utc(2026, 12, 1, 11, 5), 16, TurnOutcome::Found, 3, {14, 18}, 6049),
            MakeTurn(Utc(2026, 12, 1, 12), 12, TurnOutcome::Abandoned, 1, {18}),
        };
        turns[0].frequencyHz = 1234.56;
        turns[0].feedbackTime = 3;
        turns[0].randomStart = 2;
        turns[0].swell = 1;
        turns[0].bed = 1;
        turns[0].setId = 7;
        turns[0].scoringMode = 0;
        turns[1].frequencyHz = 512.04;
        turns[1].scoringMode = 1;
        turns[1].stage = true;
        turns[1].howlHz = 512.04;
        turns[1].gainWonDb = 3;
        turns[1].autoGainDb = 4.5;
        const QString path = rig_->JournalPath();
        QVERIFY(SeedJournal(path, turns));
        QVERIFY(RunSql(path, {"INSERT INTO sets VALUES (7, '2026-12-01T11:00:00Z', "
                              "'2026-12-01T11:20:00Z', 64, 'beendet')"}));
        // A row another tool wrote, which no view trusts: written as stored.
        QVERIFY(RunSql(path, {"INSERT INTO turns (started_at, ringing_band, frequency_hz, "
                              "attempts, tried, outcome) VALUES ('2026-12-05T08:00:00Z', 15, "
                              "1000.25, 1, 'x;\"y\"', 'found')"}));
        ScriptedDialogs dialogs;
        Journal journal(dialogs, path);
        const QByteArray expected =
            "\xEF\xBB\xBF"
            "Beginn;Art;Band;Frequenz;Versuche;Versuchte B\xC3\xA4nder;Fundzeit;Ergebnis;"
            "Feedback Zeit;Zufallsstart;Anschwellen;Hintergrund;Reglerwertung;Filter unten;"
            "Filter oben;R\xC3\xBC"
            "ckkopplung;Gewinn (dB);Automatik (dB);\xC3\x9C"
            "bungssatz;Punkte des Satzes\r\n"
            "01.12.2026 12:05:00;Ton;1,25 kHz;1234,6;3;800 Hz 2 kHz;6,0;gefunden;3;2;ja;"
            "Rosa Rauschen;Anwahl;400 Hz;5 kHz;;;;7;64\r\n"
            "01.12.2026 13:00:00;B\xC3\xBC"
            "hne;500 Hz;512,0;1;2 kHz;;abgebrochen;0;0;nein;Keiner;"
            "Anwahl und Absenkung;400 Hz;5 kHz;512,0;3,0;4,5;;\r\n"
            "2026-12-05T08:00:00Z;Ton;15;1000.25;1;\"x;\"\"y\"\"\";;found;;;0;0;;;;;;;;\r\n";
        QCOMPARE(JournalSpreadsheetCsv(*journal.ReadRows(), QTimeZone("Europe/Berlin")), expected);

        // From the menu, the second file type.
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        const QString target = rig_->programDir.filePath("Tabelle.csv");
        rig_->dialogs.fileAnswers = {target};
        rig_->dialogs.filterAnswers = {1};
        rig_->form->Training()->Actions().Exportieren->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        QVERIFY(rig_->dialogs.fileDialogs[0].filter.contains("|Tabellenkalkulation (;)|*.csv|"));
        const QList<QByteArray> lines = FileBytes(target).split('\n');
        QCOMPARE(lines.size(), 5); // the header, three rows, nothing after the last line end
        QCOMPARE(lines[0] + '\n', expected.left(expected.indexOf('\n') + 1));
        QCOMPARE(rig_->dialogs.boxes.size(), 2);
        QCOMPARE(rig_->dialogs.boxes[1].text,
                 QStringLiteral("3 Runden wurden in die Datei „%1“ exportiert.").arg(target));
    }

    void exportAsksBeforeReplacingAFile_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<int>("answerCode");
        QTest::addColumn<QString>("says");
        const QByteArray results(8204, '\x07'); // a results file (.HMD)
        const QByteArray earlier = "id,started_at,ringing_band,frequency_hz,scoring_mode,low_cut,"
                                   "high_cut,attempts,tried,find_ms,outcome,feedback_time,"
                                   "random_start,swell,bed\r\n";
        QTest::newRow("results file, no") << results << int(DialogResult::No) << "kein Export";
        QTest::newRow("results file, yes") << results << int(DialogResult::Yes) << "kein Export";
        QTest::newRow("earlier export, no")
            << earlier << int(DialogResult::No) << "früheren Export";
        QTest::newRow("earlier export, yes")
            << earlier << int(DialogResult::Yes) << "früheren Export";
    }

    void exportAsksBeforeReplacingAFile()
    {
        QFETCH(QByteArray, old);
        QFETCH(int, answerCode);
        const auto answer = DialogResult(answerCode);
        QFETCH(QString, says);
        QVERIFY(SeedJournal(rig_->JournalPath(), LearningTurns()));
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
        const QString target = rig_->programDir.filePath("Ergebnisse.HMD");
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        rig_->dialogs.fileAnswers = {target};
        rig_->dialogs.boxAnswers = {answer};
        rig_->form->Training()->Actions().Exportieren->trigger();
        rig_->form->TrainingJournal().WaitUntilIdle();
        // The safety warning, the question, and for a yes where the file went.
        QCOMPARE(rig_->dialogs.boxes.size(), answer == DialogResult::Yes ? 3 : 2);
        const MessageBoxRequest& box = rig_->dialogs.boxes[1];
        QCOMPARE(box.caption, QStringLiteral("Datei existiert bereits"));
        QCOMPARE(box.icon, DialogIcon::Question);
        QCOMPARE(box.buttons, DialogButtons::YesNo);
        QCOMPARE(box.defaultButton, DialogResult::No);
        QVERIFY2(box.text.contains(target) && box.text.contains(says), qPrintable(box.text));
        if (answer == DialogResult::No)
            QCOMPARE(FileBytes(target), old);
        else
            QCOMPARE(ParseCsv(FileBytes(target))->size(), LearningTurns().size() + 1);
    }

    // Opening a pipe waits until another program opens its other end: the
    // export refuses it before it is opened, and the window never waits.
    void exportRefusesAPipe()
    {
        QVERIFY(SeedJournal(rig_->JournalPath(), LearningTurns()));
        const QString target = rig_->programDir.filePath("Journal.csv");
        const GuardedFifo fifo(target);
        QVERIFY2(fifo.Made(), qPrintable(fifo.Error()));
        ScriptedDialogs dialogs;
        dialogs.fileAnswers = {target};
        dialogs.boxAnswers = {DialogResult::No}; // a question asked is not answered with a write
        Journal journal(dialogs, rig_->JournalPath());
        QVERIFY(!ExportJournal(journal, dialogs));
        QVERIFY(!fifo.Waited());
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes[0].caption, QStringLiteral("Trainingsjournal exportieren"));
        QCOMPARE(dialogs.boxes[0].icon, DialogIcon::Error);
        const QString text = dialogs.boxes[0].text;
        QVERIFY2(text.contains(target) && text.contains("benannte Pipe (FIFO)"), qPrintable(text));
    }

    void exportToAFullDiskKeepsTheOldFile()
    {
        QList<JournalTurn> many;
        for (int i = 0; i < 2000; ++i)
            many << MakeTurn(Utc(2026, 12, 1, 8).addSecs(i * 60), 12 + i % 10, TurnOutcome::Found,
                             1 + i % 4, QList<int>{2, 3, 4}.mid(0, i % 4), 1000 + i);
        QVERIFY(SeedJournal(rig_->JournalPath(), many));
        const QString folder = rig_->programDir.filePath("stick");
        QVERIFY(QDir().mkpath(folder));
        ScratchMount stick = ScratchMount::SmallTmpfs(folder, 64 * 1024);
        QVERIFY2(stick.Mounted(), qPrintable(stick.Error()));
        const QString target = folder + "/Journal.csv";
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("die alte Datei\r\n");
        }
        ScriptedDialogs dialogs;
        dialogs.fileAnswers = {target};
        dialogs.boxAnswers = {DialogResult::Yes}; // replace the old file
        Journal journal(dialogs, rig_->JournalPath());
        QVERIFY(!ExportJournal(journal, dialogs));
        QCOMPARE(dialogs.boxes.size(), 2);
        QCOMPARE(dialogs.boxes[1].caption, QStringLiteral("Trainingsjournal exportieren"));
        // The German reason first, the system's words in brackets.
        const QString text = dialogs.boxes[1].text;
        QVERIFY2(text.contains(target) &&
                     text.contains("Auf dem Datenträger ist kein Platz mehr frei. (") &&
                     text.contains("No space left on device)"),
                 qPrintable(text));
        QCOMPARE(FileBytes(target), QByteArray("die alte Datei\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"Journal.csv"}); // no leftovers
        QVERIFY(!journal.IsOff()); // the journal itself is fine
    }
};

QTEST_MAIN(TestJournalViews)
#include "tst_journal_views.moc"
