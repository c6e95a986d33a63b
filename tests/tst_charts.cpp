// The evaluation charts, painted through the real fader renderer and read back
// pixel by pixel. A paint box of 1280 x 400 gives columns 40 wide and
// TrackTop 40: baseline at y 280, zero line at y 160, band labels from y 312.

#include "display/FaderGeometry.h"
#include "display/FaderRenderer.h"
#include "display/Nearest.h"
#include "display/PixelExactCanvas.h"
#include "model/FaderModel.h"
#include "results/Charts.h"
#include "support/Builders.h"
#include "support/PictureCompare.h"
#include "support/SizedBank.h"

#include <QPainter>
#include <QtTest>

#include <climits>
#include <optional>

namespace {

const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const QColor WhiteColour(255, 255, 255);

const QSize PaintBox(1280, 400);
constexpr int T = 40;
constexpr int Baseline = 280;
constexpr int ZeroLine = 160;
constexpr int LabelTop = 312;

QLocale German()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

// Band i's bar spans 0.1 to 0.8 of its column, which starts at (i + 1) x 40.
int BarLeft(int band)
{
    return 40 * band + 44;
}
int BarRight(int band)
{
    return 40 * band + 72;
}
int Centre(int band)
{
    return 40 * band + 60;
}

void SetCounters(BandSlot& slot, int finds, int attempts, int findTimeMs = 0)
{
    slot.Finds = finds;
    slot.Attempts = attempts;
    slot.FindTime = findTimeMs;
}

// What one band column should show: a bar to `end`, or the mark on the line,
// and a label whose top is at labelTop.
struct Column {
    int band = 0;
    std::optional<int> barEnd; // empty: the mark
    QString label;
    int labelTop = 0;
};

QImage NewImage(const QImage& like)
{
    QImage image(like.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(like.dotsPerMeterX());
    image.setDotsPerMeterY(like.dotsPerMeterY());
    image.fill(Black);
    return image;
}

void DrawLabel(QImage& image, int fontSize, int band, int top, const QString& text, int shiftY = 0)
{
    QPainter painter(&image);
    painter.translate(0, shiftY);
    PixelExactCanvas canvas(painter);
    canvas.SetFont(ArialFont(fontSize));
    canvas.SetFontColor(WhiteColour);
    canvas.SetBrushClear();
    canvas.TextOut(Nearest(Centre(band) - canvas.TextWidth(text) / 2.0), top, text);
}

// The chart area as the rules draw it: black, a 3-pixel mark on rows
// lineY - 2 .. lineY for each column without a bar, bars between the line and
// their end, labels in white glyphs without a background.
QImage ExpectedChart(const QImage& like, int fontSize, int lineY, const QList<Column>& columns)
{
    QImage image = NewImage(like);
    QPainter painter(&image);
    for (int band = 0; band < BandCount; ++band) {
        std::optional<int> end;
        for (const Column& column : columns)
            if (column.band == band)
                end = column.barEnd;
        const int width = BarRight(band) - BarLeft(band);
        if (end) {
            const int top = std::min(*end, lineY);
            painter.fillRect(BarLeft(band), top, width, std::max(*end, lineY) - top, WhiteColour);
        } else {
            painter.fillRect(BarLeft(band), lineY - 2, width, 3, WhiteColour);
        }
    }
    painter.end();
    for (const Column& column : columns)
        DrawLabel(image, fontSize, column.band, column.labelTop, column.label);
    return image;
}

// Rows above the band labels must match exactly: empty when they do.
QString DifferenceAbove(const QImage& actual, const QImage& expected, int rows)
{
    const QImage shown = actual.copy(0, 0, actual.width(), rows);
    const QImage wanted = expected.copy(0, 0, expected.width(), rows);
    const std::optional<QPoint> at = FirstDifference(shown, wanted);
    return at ? DescribeDifference(at, shown, wanted, QStringLiteral("chart")) : QString();
}

struct ChartRenderer {
    FaderRenderer renderer;
    ChartRenderer()
    {
        renderer.FormResize(PaintBox, 96);
        renderer.SetChartColumnPainter(MakeChartColumnPainter(German()));
    }
    QImage Paint(const GameState& state) { return renderer.FaderPaint(state).copy(); }
    int FontSize() const { return renderer.LabelFontSize(); }
    int TextHeight() const
    {
        const QImage picture = renderer.FaderPaint(GameState());
        return QFontMetrics(ArialFont(FontSize()), &picture).height();
    }
};

GameModeValue Mode(int value)
{
    return static_cast<GameModeValue>(value);
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT

  private slots:
    void geometryOfThePaintBox();
    void attemptsExample();
    void progressExample();
    void noFindsGivesMarksOnly_data();
    void noFindsGivesMarksOnly();
    void cutBandsNeverCharted_data();
    void cutBandsNeverCharted();
    void comparisonColumns_data();
    void comparisonColumns();
    void totalAddsSums_data();
    void totalAddsSums();
    void currentWithoutStoredFinds();
    void barPastTheTopIsNotClipped();
    void barOnAnotherPaintBox();
    void scientificLabelStandsOnItsBar();
    void hugeCountersDrawAtOnce_data();
    void hugeCountersDrawAtOnce();
    void neighboursOfAHugeBarStayDrawn();
    void chartValue_data();
    void chartValue();
    void chartLabel_data();
    void chartLabel();
};

void TestCharts::geometryOfThePaintBox()
{
    ChartRenderer chart;
    QCOMPARE(chart.renderer.TrackTop(), T);
    QCOMPARE(chart.renderer.ColumnWidth(), 40);
    QCOMPARE(chart.renderer.LabelTop(), LabelTop);
}

void TestCharts::attemptsExample()
{
    // Band 15 found 4 times with 10 attempts: 2,5 attempts per find.
    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = ModeCurrentAttempts;
    SetCounters(state.BandTable[15], 4, 10);
    const QImage image = chart.Paint(state);

    // The bar covers x 644..671 and y 220..279.
    QCOMPARE(CountColour(image, QRect(644, 220, 28, 60), White), 28 * 60);
    QCOMPARE(image.pixel(644, 219), Black);
    QCOMPARE(image.pixel(643, 250), Black);
    QCOMPARE(image.pixel(672, 250), Black);
    QCOMPARE(image.pixel(660, 280), Black);

    const int h = chart.TextHeight();
    const QImage expected = ExpectedChart(image, chart.FontSize(), Baseline,
                                          {{15, 220, QStringLiteral("2,5"), 220 - h}});
    QVERIFY(CountColour(image, QRect(620, 220 - h, 80, h), White) > 0);
    const QString difference = DifferenceAbove(image, expected, LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestCharts::progressExample()
{
    // Stored 6 finds with 21 attempts (3,5), now 4 with 10 (2,5): one attempt better.
    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = ModeProgressAttempts;
    SetCounters(state.BandTable[15], 4, 10);
    SetCounters(state.StoredBandTable[15], 6, 21);
    const QImage image = chart.Paint(state);

    QCOMPARE(CountColour(image, QRect(644, 136, 28, 24), White), 28 * 24);
    QCOMPARE(image.pixel(660, 160), Black);
    QCOMPARE(image.pixel(660, 135), Black);

    const int h = chart.TextHeight();
    const QImage expected = ExpectedChart(image, chart.FontSize(), ZeroLine,
                                          {{15, 136, QStringLiteral("-1,0"), 136 - h}});
    const QString difference = DifferenceAbove(image, expected, LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestCharts::noFindsGivesMarksOnly_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("lineY");
    QTest::newRow("Aktuell Versuche") << int(ModeCurrentAttempts) << Baseline;
    QTest::newRow("Aktuell Zeit") << int(ModeCurrentTimes) << Baseline;
    QTest::newRow("Total Versuche") << int(ModeTotalAttempts) << Baseline;
    QTest::newRow("Total Zeit") << int(ModeTotalTimes) << Baseline;
    QTest::newRow("Fortschritt Versuche") << int(ModeProgressAttempts) << ZeroLine;
    QTest::newRow("Fortschritt Zeit") << int(ModeProgressTimes) << ZeroLine;
}

void TestCharts::noFindsGivesMarksOnly()
{
    QFETCH(int, mode);
    QFETCH(int, lineY);
    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = Mode(mode);
    // Attempts and times without a find are no result.
    SetCounters(state.BandTable[15], 0, 3, 4000);
    const QImage image = chart.Paint(state);

    const QImage expected = ExpectedChart(image, chart.FontSize(), lineY, {});
    const QString difference = DifferenceAbove(image, expected, LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(CountColour(image, QRect(0, 0, 1280, LabelTop), White), 28 * 28 * 3);
}

void TestCharts::cutBandsNeverCharted_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("lowCut");
    QTest::addColumn<int>("highCut");
    for (int mode : {1, 2, 5, 6, 7, 8}) {
        QTest::addRow("mode %d, default cuts", mode) << mode << 11 << 22;
        QTest::addRow("mode %d, cuts 3 and 25", mode) << mode << 3 << 25;
    }
}

void TestCharts::cutBandsNeverCharted()
{
    QFETCH(int, mode);
    QFETCH(int, lowCut);
    QFETCH(int, highCut);
    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = Mode(mode);
    state.LowCutBand = lowCut;
    state.HighCutBand = highCut;
    // Every band has results, current and stored, that would give a bar.
    for (int band = 0; band < BandCount; ++band) {
        SetCounters(state.BandTable[band], 2, 4, 4000);
        SetCounters(state.StoredBandTable[band], 2, 8, 8000);
    }
    const QImage image = chart.Paint(state);
    const bool comparison = mode == 7 || mode == 8;
    const int lineY = comparison ? ZeroLine : Baseline;

    for (int band = 0; band < BandCount; ++band) {
        const QRect column(BarLeft(band), 0, 28, LabelTop);
        const QRect mark(BarLeft(band), lineY - 2, 28, 3);
        const bool inRange = lowCut < band && band < highCut;
        const int white = CountColour(image, column, White);
        if (inRange) {
            // A bar of at least 24 rows with its label.
            QVERIFY2(white > 28 * 24, qPrintable(QString::number(band)));
        } else {
            QCOMPARE(CountColour(image, mark, White), 28 * 3);
            QVERIFY2(white == 28 * 3, qPrintable(QString::number(band)));
        }
    }
}

void TestCharts::comparisonColumns_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("currentFinds");
    QTest::addColumn<int>("currentSum");
    QTest::addColumn<int>("storedFinds");
    QTest::addColumn<int>("storedSum");
    QTest::addColumn<bool>("bar");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("labelAbove");

    // Attempts: d = stored average - current average; end = 160 - 24 d.
    QTest::newRow("equal") << 7 << 2 << 5 << 4 << 10 << false << 160 << "0,0" << false;
    QTest::newRow("slightly better")
        << 7 << 25 << 50 << 25 << 51 << false << 159 << "0,0" << true; // d 0.04
    QTest::newRow("slightly worse")
        << 7 << 25 << 51 << 25 << 50 << false << 161 << "+0,0" << false; // d -0.04
    QTest::newRow("one worse") << 7 << 4 << 14 << 6 << 15 << true << 184 << "+1,0" << false;
    QTest::newRow("half better") << 7 << 2 << 3 << 2 << 4 << true << 148 << "-0,5" << true;
    // Times in ms: d = (stored - current average) / 1000 s.
    QTest::newRow("exactly 0.05 s better")
        << 8 << 1 << 1000 << 2 << 2100 << true << 159 << "-0,1" << true;
    QTest::newRow("exactly 0.05 s worse")
        << 8 << 2 << 2100 << 1 << 1000 << true << 161 << "+0,1" << false;
    QTest::newRow("0.049 s worse")
        << 8 << 1 << 1049 << 1 << 1000 << false << 161 << "+0,0" << false;
    QTest::newRow("2.5 s better") << 8 << 2 << 3000 << 1 << 4000 << true << 100 << "-2,5" << true;
}

void TestCharts::comparisonColumns()
{
    QFETCH(int, mode);
    QFETCH(int, currentFinds);
    QFETCH(int, currentSum);
    QFETCH(int, storedFinds);
    QFETCH(int, storedSum);
    QFETCH(bool, bar);
    QFETCH(int, end);
    QFETCH(QString, label);
    QFETCH(bool, labelAbove);

    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = Mode(mode);
    const int band = 20;
    if (mode == ModeProgressAttempts) {
        SetCounters(state.BandTable[band], currentFinds, currentSum);
        SetCounters(state.StoredBandTable[band], storedFinds, storedSum);
    } else {
        SetCounters(state.BandTable[band], currentFinds, currentFinds, currentSum);
        SetCounters(state.StoredBandTable[band], storedFinds, storedFinds, storedSum);
    }
    const QImage image = chart.Paint(state);

    Column column{band, std::nullopt, label, 0};
    if (bar)
        column.barEnd = end;
    column.labelTop = labelAbove ? end - chart.TextHeight() : end;
    const QImage expected = ExpectedChart(image, chart.FontSize(), ZeroLine, {column});
    const QString difference = DifferenceAbove(image, expected, LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestCharts::totalAddsSums_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("currentFinds");
    QTest::addColumn<int>("currentSum");
    QTest::addColumn<int>("storedFinds");
    QTest::addColumn<int>("storedSum");
    QTest::addColumn<int>("top");
    QTest::addColumn<QString>("label");

    // 37 / 10 = 3,7, not the mean of 1 and 4: top = Nearest(280 - 24 x 3.7) = 191.
    QTest::newRow("attempts") << 5 << 1 << 1 << 9 << 36 << 191 << "3,7";
    QTest::newRow("times") << 6 << 1 << 1000 << 9 << 36000 << 191 << "3,7";
    QTest::newRow("stored only") << 5 << 0 << 0 << 2 << 5 << 220 << "2,5";
    QTest::newRow("current times only") << 2 << 3 << 12345 << 0 << 0 << 181 << "4,1";
    // 24 x 0.25 = 6: the bar is 6 rows high, label 0,3 (half away from zero).
    QTest::newRow("quarter second") << 6 << 4 << 1000 << 0 << 0 << 274 << "0,3";
}

void TestCharts::totalAddsSums()
{
    QFETCH(int, mode);
    QFETCH(int, currentFinds);
    QFETCH(int, currentSum);
    QFETCH(int, storedFinds);
    QFETCH(int, storedSum);
    QFETCH(int, top);
    QFETCH(QString, label);

    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = Mode(mode);
    const int band = 12;
    const bool times = mode == ModeCurrentTimes || mode == ModeTotalTimes;
    SetCounters(state.BandTable[band], currentFinds, times ? currentFinds : currentSum,
                times ? currentSum : 0);
    SetCounters(state.StoredBandTable[band], storedFinds, times ? storedFinds : storedSum,
                times ? storedSum : 0);
    const QImage image = chart.Paint(state);

    const QImage expected = ExpectedChart(image, chart.FontSize(), Baseline,
                                          {{band, top, label, top - chart.TextHeight()}});
    const QString difference = DifferenceAbove(image, expected, LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestCharts::currentWithoutStoredFinds()
{
    ChartRenderer chart;
    GameState state = StartUpState();
    SetCounters(state.BandTable[14], 1, 2, 3000);

    state.GameMode = ModeProgressAttempts;
    QImage image = chart.Paint(state);
    QString difference =
        DifferenceAbove(image, ExpectedChart(image, chart.FontSize(), ZeroLine, {}), LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    state.GameMode = ModeTotalAttempts;
    image = chart.Paint(state);
    // 2 attempts: top = 280 - 48 = 232.
    difference =
        DifferenceAbove(image,
                        ExpectedChart(image, chart.FontSize(), Baseline,
                                      {{14, 232, QStringLiteral("2,0"), 232 - chart.TextHeight()}}),
                        LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestCharts::barPastTheTopIsNotClipped()
{
    // 123 s per find: the bar runs out of the picture, its label far above it.
    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = ModeCurrentTimes;
    SetCounters(state.BandTable[16], 1, 1, 123000);
    const QImage image = chart.Paint(state);
    QCOMPARE(CountColour(image, QRect(BarLeft(16), 0, 28, Baseline), White), 28 * Baseline);
    QCOMPARE(CountColour(image, QRect(BarLeft(16) - 4, 0, 4, Baseline), White), 0);
    QCOMPARE(CountColour(image, QRect(BarRight(16), 0, 4, Baseline), White), 0);
}

void TestCharts::barOnAnotherPaintBox()
{
    // 1280 x 430: TrackTop 43, so 25,8 pixels per attempt and the baseline at
    // 301; 2,5 attempts reach Nearest(236.5) = 236, an exact half going even.
    SizedBank renderer(QSize(1280, 430));
    renderer.SetChartColumnPainter(MakeChartColumnPainter(German()));
    QCOMPARE(renderer.TrackTop(), 43);
    GameState state = StartUpState();
    state.GameMode = ModeCurrentAttempts;
    SetCounters(state.BandTable[15], 4, 10);
    const QImage& image = renderer.FaderPaint(state);
    QCOMPARE(CountColour(image, QRect(BarLeft(15), 236, 28, 301 - 236), White), 28 * 65);
    QCOMPARE(CountColour(image, QRect(BarLeft(15), 235, 28, 1), White), 0);
    QCOMPARE(CountColour(image, QRect(BarLeft(15), 301, 28, 1), White), 0);
    // A mark of band 14: rows 299..301.
    QCOMPARE(CountColour(image, QRect(BarLeft(14), 299, 28, 3), White), 28 * 3);
    QCOMPARE(CountColour(image, QRect(BarLeft(14), 280, 28, 19), White), 0);
}

void TestCharts::scientificLabelStandsOnItsBar()
{
    // Painted on a tall picture shifted down, so that the label of a bar far
    // above the paint box can be read: 123 s gives top = 280 - 0.024 x 123000.
    const int shift = 2800;
    const int top = 280 - 2952;
    GameState state = StartUpState();
    state.GameMode = ModeCurrentTimes;
    SetCounters(state.BandTable[16], 1, 1, 123000);
    const FaderGeometry geometry = FaderGeometry::For(PaintBox, FaderGeometry::TrackSize(PaintBox));
    QCOMPARE(geometry.TrackTop, T);
    const int fontSize = 15;

    QImage image(1280, 3200, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Black);
    int textHeight = 0;
    {
        QPainter painter(&image);
        painter.translate(0, shift);
        PixelExactCanvas canvas(painter);
        canvas.SetFont(ArialFont(fontSize));
        canvas.SetFontColor(WhiteColour);
        textHeight = canvas.TextHeight(QString());
        MakeChartColumnPainter(German())(canvas, state, 16, geometry);
    }
    QImage expected = NewImage(image);
    {
        QPainter painter(&expected);
        painter.fillRect(BarLeft(16), top + shift, 28, Baseline - top, WhiteColour);
    }
    DrawLabel(expected, fontSize, 16, top - textHeight, QStringLiteral("1,2E2"), shift);
    QVERIFY(CountColour(image, QRect(600, top - textHeight + shift, 160, textHeight), White) > 0);
    const QString difference = DifferenceAbove(image, expected, image.height());
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Counters near the 32-bit limits, as a hand-made results file holds them:
// the bar is clipped to the picture and drawn at once. The work is counted in
// rows, not timed.
void TestCharts::hugeCountersDrawAtOnce_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("current"); // finds, attempts, find time
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<int>("barTop"); // band 16's bar covers rows barTop..barBottom-1
    QTest::addColumn<int>("barBottom");

    const int max = INT_MAX;
    const int min = INT_MIN;
    const QList<int> none{0, 0, 0};
    QTest::newRow("total attempts near 2^31")
        << int(ModeTotalAttempts) << none << QList<int>{1, max, 0} << 0 << Baseline;
    QTest::newRow("total times near 2^31")
        << int(ModeTotalTimes) << none << QList<int>{1, 1, max} << 0 << Baseline;
    QTest::newRow("total sums past 32 bits") << int(ModeTotalAttempts) << QList<int>{1, max, max}
                                             << QList<int>{1, max, max} << 0 << Baseline;
    QTest::newRow("current attempts near 2^31")
        << int(ModeCurrentAttempts) << QList<int>{1, max, 0} << none << 0 << Baseline;
    QTest::newRow("negative attempts hang to the bottom")
        << int(ModeCurrentAttempts) << QList<int>{1, min, 0} << none << Baseline << 400;
    QTest::newRow("negative time hangs to the bottom")
        << int(ModeCurrentTimes) << QList<int>{1, 1, min} << none << Baseline << 400;
    QTest::newRow("progress: huge improvement") << int(ModeProgressAttempts) << QList<int>{1, 1, 0}
                                                << QList<int>{1, max, 0} << 0 << ZeroLine;
    QTest::newRow("progress: huge worsening") << int(ModeProgressAttempts) << QList<int>{1, max, 0}
                                              << QList<int>{1, 1, 0} << ZeroLine << 400;
    QTest::newRow("progress times: widest difference")
        << int(ModeProgressTimes) << QList<int>{1, 1, max} << QList<int>{1, 1, min} << ZeroLine
        << 400;
}

void TestCharts::hugeCountersDrawAtOnce()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, current);
    QFETCH(QList<int>, stored);
    QFETCH(int, barTop);
    QFETCH(int, barBottom);

    GameState state = StartUpState();
    state.GameMode = Mode(mode);
    SetCounters(state.BandTable[16], current[0], current[1], current[2]);
    SetCounters(state.StoredBandTable[16], stored[0], stored[1], stored[2]);
    const FaderGeometry geometry = FaderGeometry::For(PaintBox, FaderGeometry::TrackSize(PaintBox));
    QImage image(PaintBox, QImage::Format_ARGB32_Premultiplied);
    image.fill(Black);
    std::int64_t rows = 0;
    {
        QPainter painter(&image);
        PixelExactCanvas canvas(painter);
        canvas.SetFont(ArialFont(15));
        canvas.SetFontColor(WhiteColour);
        const auto paintColumn = MakeChartColumnPainter(German());
        for (int band = 0; band < BandCount; ++band)
            paintColumn(canvas, state, band, geometry);
        rows = canvas.RowsVisited();
    }
    // 27 marks of 3 rows; the bar's rows on the picture (with a row of slack
    // either side) walked once and filled as outline, outline and inside.
    const int pictureRows = PaintBox.height() + 2;
    QVERIFY2(rows <= 27 * 3 + 4 * pictureRows,
             qPrintable(QStringLiteral("%1 rows visited").arg(rows)));
    const int barRows = barBottom - barTop;
    QCOMPARE(CountColour(image, QRect(BarLeft(16), barTop, 28, barRows), White), 28 * barRows);
    QCOMPARE(CountColour(image, QRect(BarLeft(16), 0, 28, PaintBox.height()), White), 28 * barRows);
    QCOMPARE(CountColour(image, QRect(BarLeft(16) - 4, 0, 4, PaintBox.height()), White), 0);
    QCOMPARE(CountColour(image, QRect(BarRight(16), 0, 4, PaintBox.height()), White), 0);
}

void TestCharts::neighboursOfAHugeBarStayDrawn()
{
    // Beside a bar of 2^31 - 1 attempts per find, the other bands keep their
    // bars and labels.
    ChartRenderer chart;
    GameState state = StartUpState();
    state.GameMode = ModeTotalAttempts;
    SetCounters(state.BandTable[15], 4, 10);
    SetCounters(state.StoredBandTable[16], 1, INT_MAX);
    SetCounters(state.StoredBandTable[17], 1, 3);
    const QImage image = chart.Paint(state);

    const int h = chart.TextHeight();
    const QImage expected =
        ExpectedChart(image, chart.FontSize(), Baseline,
                      {{15, 220, QStringLiteral("2,5"), 220 - h},
                       {16, 0, QStringLiteral("2,1E9"), -1000},
                       {17, Baseline - 72, QStringLiteral("3,0"), Baseline - 72 - h}});
    const QString difference = DifferenceAbove(image, expected, LabelTop);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestCharts::chartValue_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("currentFinds");
    QTest::addColumn<int>("currentAttempts");
    QTest::addColumn<int>("storedFinds");
    QTest::addColumn<int>("storedAttempts");
    QTest::addColumn<bool>("charted");
    QTest::addColumn<double>("value");

    QTest::newRow("no finds") << 1 << 15 << 0 << 0 << 3 << 6 << false << 0.0;
    QTest::newRow("current") << 1 << 15 << 4 << 10 << 3 << 6 << true << 2.5;
    QTest::newRow("stored only, Total") << 5 << 15 << 0 << 0 << 3 << 6 << true << 2.0;
    QTest::newRow("stored only, Fortschritt") << 7 << 15 << 0 << 0 << 3 << 6 << false << 0.0;
    QTest::newRow("low cut band") << 1 << 11 << 4 << 10 << 0 << 0 << false << 0.0;
    QTest::newRow("high cut band") << 5 << 22 << 4 << 10 << 0 << 0 << false << 0.0;
    QTest::newRow("just inside") << 5 << 21 << 4 << 10 << 0 << 0 << true << 2.5;
    // Sums that a 32-bit addition could not hold.
    QTest::newRow("large sums") << 5 << 15 << 1 << INT_MAX << 1 << INT_MAX << true
                                << double(INT_MAX);
    // Finds from a foreign file that cancel out: nothing to divide by.
    QTest::newRow("finds add to 0") << 5 << 15 << 2 << 4 << -2 << 4 << false << 0.0;
    QTest::newRow("negative stored finds") << 7 << 15 << 2 << 4 << -2 << 4 << false << 0.0;
}

void TestCharts::chartValue()
{
    QFETCH(int, mode);
    QFETCH(int, band);
    QFETCH(int, currentFinds);
    QFETCH(int, currentAttempts);
    QFETCH(int, storedFinds);
    QFETCH(int, storedAttempts);
    QFETCH(bool, charted);
    QFETCH(double, value);

    GameState state = StartUpState();
    state.GameMode = Mode(mode);
    SetCounters(state.BandTable[band], currentFinds, currentAttempts);
    SetCounters(state.StoredBandTable[band], storedFinds, storedAttempts);
    const ChartEntry entry = ChartValue(state, band);
    QCOMPARE(entry.charted, charted);
    if (charted)
        QCOMPARE(entry.value, value);
}

void TestCharts::chartLabel_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("label");

    QTest::newRow("average") << 1 << 2.5 << "2,5";
    QTest::newRow("two digits") << 5 << 2.25 << "2,3";
    QTest::newRow("seconds") << 2 << 12.345 << "12,0";
    QTest::newRow("123 seconds") << 2 << 123.0 << "1,2E2";
    QTest::newRow("100 attempts") << 1 << 100.0 << "1E2";
    QTest::newRow("improved") << 7 << 1.0 << "-1,0";
    QTest::newRow("worse") << 7 << -1.0 << "+1,0";
    QTest::newRow("tiny improvement") << 8 << 0.04 << "0,0";
    QTest::newRow("tiny worsening") << 8 << -0.04 << "+0,0";
    QTest::newRow("unchanged") << 7 << 0.0 << "0,0";
    QTest::newRow("much slower") << 8 << -123.0 << "+1,2E2";
    QTest::newRow("much faster") << 8 << 155.0 << "-1,6E2";
}

void TestCharts::chartLabel()
{
    QFETCH(int, mode);
    QFETCH(double, value);
    QFETCH(QString, label);
    QCOMPARE(ChartLabel(Mode(mode), value, German()), label);
}

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
