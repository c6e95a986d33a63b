// The fader bank picture, read back pixel by pixel, and the frequency text.

#include "display/FaderRenderer.h"
#include "display/FormatFrequency.h"
#include "display/Nearest.h"
#include "display/PixelExactCanvas.h"
#include "model/FaderModel.h"
#include "support/Builders.h"
#include "support/SizedBank.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QRandomGenerator>
#include <QtTest>

#include <climits>

namespace {

const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Aqua = qRgb(0, 255, 255);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Grey = qRgb(128, 128, 128);

// The smallest rectangle holding every pixel of a colour in an area.
QRect ColourBounds(const QImage& image, QRect area, QRgb colour)
{
    QRect bounds;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                bounds = bounds.united(QRect(x, y, 1, 1));
    return bounds;
}

QRgb Pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y);
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT

  private slots:
    void formatFrequency_data();
    void formatFrequency();
    void formatFrequencyUsesDefaultLocale();
    void nearest_data();
    void nearest();
    void arialHasArialMetrics();

    void geometryOf1280x900();
    void trackPictureOf1280x900();
    void bankOf1280x900();
    void knobLevels_data();
    void knobLevels();
    void knobColours_data();
    void knobColours();
    void marksBesideTheColours_data();
    void marksBesideTheColours();
    void volumeFaderColours_data();
    void volumeFaderColours();
    void frequencyText_data();
    void frequencyText();
    void frequencyTextIsTheTextDrawn_data();
    void frequencyTextIsTheTextDrawn();
    void chartModesDrawNoFaders_data();
    void chartModesDrawNoFaders();
    void chartColumnPainterCalledPerBand();
    void chartOnlyInChartModes_data();
    void chartOnlyInChartModes();
    void columnWidthHalfToEven();
    void labelFontSizeSearch_data();
    void labelFontSizeSearch();
    void labelFontSizeMonotoneInWidth();
    void pointSizesFollowResolution();
    void coverIsBlack_data();
    void coverIsBlack();
    void whiteWithoutTrackPicture();
    void paintMatchesStraightforward_data();
    void paintMatchesStraightforward();
    void paintOfARegionMatchesThere_data();
    void paintOfARegionMatchesThere();
    void figuresAtTheIntLimits_data();
    void figuresAtTheIntLimits();
};

void TestDisplay::formatFrequency_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("frequencyHz");
    QTest::addColumn<QString>("expected");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("en 99.97") << english << 99.97 << "100.0Hz";
    QTest::newRow("en 1000") << english << 1000.0 << "1,000Hz";
    QTest::newRow("en 1004.6") << english << 1004.6 << "1,005Hz";
    QTest::newRow("en 1004.5 half up") << english << 1004.5 << "1,005Hz";
    QTest::newRow("en 1009.99") << english << 1009.99 << "1,010Hz";
    QTest::newRow("en 1010") << english << 1010.0 << "1.01kHz";
    QTest::newRow("en 9999.6") << english << 9999.6 << "10.00kHz";
    QTest::newRow("en 10000") << english << 10000.0 << "10.0kHz";
    QTest::newRow("en 16000") << english << 16000.0 << "16.0kHz";
    QTest::newRow("en 31.5") << english << 31.5 << "31.5Hz";
    QTest::newRow("en 25") << english << 25.0 << "25.0Hz";
    QTest::newRow("en 100") << english << 100.0 << "100Hz";
    QTest::newRow("en 437.2") << english << 437.2 << "437Hz";
    QTest::newRow("en 1250") << english << 1250.0 << "1.25kHz";
    QTest::newRow("en 12500") << english << 12500.0 << "12.5kHz";
    QTest::newRow("en 6301.7") << english << 6301.7 << "6.30kHz";
    QTest::newRow("de 31.5") << german << 31.5 << "31,5Hz";
    QTest::newRow("de 99.97") << german << 99.97 << "100,0Hz";
    QTest::newRow("de 1000") << german << 1000.0 << "1.000Hz";
    QTest::newRow("de 1004.6") << german << 1004.6 << "1.005Hz";
    QTest::newRow("de 437.2") << german << 437.2 << "437Hz";
    QTest::newRow("de 1250") << german << 1250.0 << "1,25kHz";
    QTest::newRow("de 9999.6") << german << 9999.6 << "10,00kHz";
    QTest::newRow("de 12500") << german << 12500.0 << "12,5kHz";
}

void TestDisplay::formatFrequency()
{
    QFETCH(QLocale, locale);
    QFETCH(double, frequencyHz);
    QFETCH(QString, expected);
    QCOMPARE(FormatFrequency(frequencyHz, locale), expected);
}

void TestDisplay::formatFrequencyUsesDefaultLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = FormatFrequency(31.5);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString english = FormatFrequency(31.5);
    QLocale::setDefault(before);
    QCOMPARE(german, QStringLiteral("31,5Hz"));
    QCOMPARE(english, QStringLiteral("31.5Hz"));
}

void TestDisplay::nearest_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("21.5 to even above") << 21.5 << 22;
    QTest::newRow("110.5 to even below") << 110.5 << 110;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("123.29") << 900 / 7.3 << 123;
    QTest::newRow("3.4999") << 3.4999 << 3;
    QTest::newRow("3.5001") << 3.5001 << 4;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("-21.5") << -21.5 << -22;
    QTest::newRow("-3.6") << -3.6 << -4;
    QTest::newRow("-3.4") << -3.4 << -3;
}

void TestDisplay::nearest()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(Nearest(value), expected);
}

void TestDisplay::arialHasArialMetrics()
{
    // Any other substitute measures the labels differently and shifts the sizes.
    QCOMPARE(QFontInfo(ArialFont(15)).family(), QStringLiteral("Liberation Sans"));
}

void TestDisplay::geometryOf1280x900()
{
    SizedBank renderer(QSize(1280, 900));
    QCOMPARE(renderer.ColumnWidth(), 40);
    QCOMPARE(renderer.TrackHeight(), 600);
    QCOMPARE(renderer.StepPitch(), 24.0);
    QCOMPARE(renderer.TrackTop(), 90);
    QCOMPARE(renderer.LabelTop(), 702);
    QCOMPARE(renderer.ColumnCentre(0), 60.0);
    QCOMPARE(renderer.FaderImage().size(), QSize(40, 600));
    QCOMPARE(renderer.Geometry().KnobTop(0), 378);
    QCOMPARE(renderer.Geometry().KnobBottom(0), 402);
    QCOMPARE(renderer.Geometry().KnobLineY(0), 390);
}

void TestDisplay::trackPictureOf1280x900()
{
    SizedBank renderer(QSize(1280, 900));
    const QImage& track = renderer.FaderImage();

    // Scale marks from x 4 to 36 (exclusive) at y 12, 36, ..., 588, hidden by
    // the slot between its outlines.
    for (int k = 1; k <= 25; ++k) {
        const int y = 24 * k - 12;
        QVERIFY2(y == 300 || Pixel(track, 4, y) == White, qPrintable(QString::number(y)));
        QCOMPARE(Pixel(track, 3, y), Black);
        QCOMPARE(Pixel(track, 36, y), Black);
        QCOMPARE(Pixel(track, 11, y), y == 300 ? Red : White);
        QCOMPARE(Pixel(track, 35, y), y == 300 ? Red : White);
        QCOMPARE(Pixel(track, 14, y), Black);
        QCOMPARE(Pixel(track, 25, y), Black);
    }
    QCOMPARE(CountColour(track, QRect(4, 13, 32, 11), White), 4 * 11); // only the slot's sides

    // The 0 mark: red, three rows around y 300.
    for (int y = 299; y <= 301; ++y) {
        QCOMPARE(Pixel(track, 4, y), Red);
        QCOMPARE(Pixel(track, 35, y), Red);
    }
    QCOMPARE(Pixel(track, 4, 298), Black);
    QCOMPARE(Pixel(track, 4, 302), Black);

    // The slot from x 12 to 28 with a two-pixel white outline and a black inside.
    for (int y : {24, 150, 300, 450}) {
        QCOMPARE(Pixel(track, 12, y), White);
        QCOMPARE(Pixel(track, 13, y), White);
        QCOMPARE(Pixel(track, 14, y), Black);
        QCOMPARE(Pixel(track, 25, y), Black);
        QCOMPARE(Pixel(track, 26, y), White);
        QCOMPARE(Pixel(track, 27, y), White);
    }
    // Its 20 x 20 corners round the ends: the outermost columns stay black at
    // the top and bottom rows, the middle ones are the outline.
    QCOMPARE(Pixel(track, 12, 0), Black);
    QCOMPARE(Pixel(track, 27, 599), Black);
    QCOMPARE(Pixel(track, 20, 0), White);
    QCOMPARE(Pixel(track, 20, 1), White);
    QCOMPARE(Pixel(track, 20, 2), Black);
    QCOMPARE(Pixel(track, 20, 599), White);
}

void TestDisplay::bankOf1280x900()
{
    SizedBank renderer(QSize(1280, 900));
    const GameState state = StartUpState();
    const QImage image = renderer.FaderPaint(state);
    QCOMPARE(image.size(), QSize(1280, 900));
    const QImage& track = renderer.FaderImage();

    // Band 0's track at (40, 90) outside its knob; band 27's at 1120; the
    // volume fader's at 1200.
    for (int left : {40, 1120, 1200}) {
        for (int y = 0; y < 600; y += 7) {
            const bool knobRows =
                (y + 90 >= 378 && y + 90 < 402) || (left == 1200 && y + 90 >= 618 && y + 90 < 642);
            if (knobRows)
                continue;
            for (int x = 0; x < 40; ++x)
                QCOMPARE(image.pixel(left + x, 90 + y), track.pixel(x, y));
        }
    }
    QCOMPARE(Pixel(image, 44, 89), Black);
    QCOMPARE(Pixel(image, 44, 102), White); // first scale mark

    // Band 0 (locked) at level 0: knob 44..75 x 378..401, outline white, red inside.
    QCOMPARE(Pixel(image, 44, 385), White);
    QCOMPARE(Pixel(image, 75, 385), White);
    QCOMPARE(Pixel(image, 43, 385), Black);
    QCOMPARE(Pixel(image, 76, 385), Black);
    QCOMPARE(Pixel(image, 60, 378), White);
    QCOMPARE(Pixel(image, 60, 401), White);
    QCOMPARE(Pixel(image, 60, 377), Black);
    QCOMPARE(Pixel(image, 60, 402), Black);
    QCOMPARE(Pixel(image, 46, 382), Red);
    QCOMPARE(Pixel(image, 73, 398), Red);
    // Its knob line: x 48..71, rows 389..391.
    for (int y = 389; y <= 391; ++y) {
        QCOMPARE(Pixel(image, 48, y), White);
        QCOMPARE(Pixel(image, 71, y), White);
        QCOMPARE(Pixel(image, 47, y), Red);
        QCOMPARE(Pixel(image, 72, y), Red);
    }
    QCOMPARE(Pixel(image, 60, 388), Red);
    QCOMPARE(Pixel(image, 60, 392), Red);

    // Column 29 stays empty; with no frequency text it is black top to bottom.
    QCOMPARE(CountColour(image, QRect(1160, 0, 40, 900), Black), 40 * 900);
    // Column 0 and the columns past the volume fader as well.
    QCOMPARE(CountColour(image, QRect(0, 0, 40, 900), Black), 40 * 900);
    QCOMPARE(CountColour(image, QRect(1240, 0, 40, 900), Black), 40 * 900);

    // Volume -10, unselected: grey knob centred on 1220, rows 618..641, line at 630.
    QCOMPARE(Pixel(image, 1204, 625), White);
    QCOMPARE(Pixel(image, 1235, 625), White);
    QCOMPARE(Pixel(image, 1206, 625), Grey);
    QCOMPARE(Pixel(image, 1220, 630), White);
    QCOMPARE(Pixel(image, 1220, 618), White);
    QCOMPARE(Pixel(image, 1220, 617), Black);
    // Grey knobs for the open bands 11..22, red for the others.
    QCOMPARE(Pixel(image, Nearest(renderer.ColumnCentre(11)) - 12, 382), Grey);
    QCOMPARE(Pixel(image, Nearest(renderer.ColumnCentre(22)) - 12, 382), Grey);
    QCOMPARE(Pixel(image, Nearest(renderer.ColumnCentre(10)) - 12, 382), Red);
    QCOMPARE(Pixel(image, Nearest(renderer.ColumnCentre(23)) - 12, 382), Red);

    // Labels in white from y 702 down, "VOL" centred on 1220, none yellow.
    const int labelHeight = QFontMetrics(ArialFont(15), &image).height();
    const QRect labelRow(0, 702, 1280, labelHeight);
    QVERIFY(CountColour(image, QRect(40, 702, 40, labelHeight), White) > 0);
    const QRect vol = ColourBounds(image, QRect(1200, 702, 40, labelHeight), White);
    QVERIFY(!vol.isEmpty());
    QVERIFY(qAbs(vol.center().x() - 1220) <= 2);
    QCOMPARE(CountColour(image, labelRow, Yellow), 0);
    QCOMPARE(CountColour(image, QRect(0, 0, 1280, 702), White) > 0, true);
    QCOMPARE(CountColour(image, QRect(0, 702 - 1, 1280, 1), White), 0); // nothing between
    QCOMPARE(CountColour(image, QRect(0, 702 + labelHeight, 1280, 900 - 702 - labelHeight), Black),
             1280 * (900 - 702 - labelHeight));
}

void TestDisplay::knobLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom"); // exclusive
    QTest::newRow("+12") << 12 << 90 << 114;
    QTest::newRow("0") << 0 << 378 << 402;
    QTest::newRow("-12") << -12 << 666 << 690;
    QTest::newRow("+1") << 1 << 354 << 378;
}

void TestDisplay::knobLevels()
{
    QFETCH(int, level);
    QFETCH(int, top);
    QFETCH(int, bottom);
    SizedBank renderer(QSize(1280, 900));
    GameState state = StartUpState();
    state.BandTable[5].Level = level;
    state.BandTable[5].Locked = 0;
    state.SelectedFader = 5;
    const QImage& image = renderer.FaderPaint(state);
    const int centre = 260; // band 5 in column 6
    QCOMPARE(Nearest(renderer.ColumnCentre(5)), centre);
    const QRect knob = ColourBounds(image, QRect(centre - 20, 90, 40, 600), Yellow);
    QCOMPARE(knob.left(), centre - 15);
    QCOMPARE(knob.right(), centre + 14);
    QCOMPARE(knob.top(), top + 1);
    QCOMPARE(knob.bottom(), bottom - 2);
    QCOMPARE(Pixel(image, centre, top), White);
    QCOMPARE(Pixel(image, centre, bottom - 1), White);
    QCOMPARE(Pixel(image, centre, (top + bottom) / 2), White); // the knob line
}

void TestDisplay::knobColours_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("ringing");
    QTest::addColumn<QRgb>("knob");
    QTest::addColumn<QRgb>("label");
    QTest::newRow("open") << int(ModeSearching) << false << false << false << Grey << White;
    QTest::newRow("open selected")
        << int(ModeSearching) << false << true << false << Yellow << Yellow;
    QTest::newRow("locked") << int(ModeIdle) << true << false << false << Red << White;
    QTest::newRow("locked selected") << int(ModeTurnOver) << true << true << false << Red << Yellow;
    QTest::newRow("ringing locked, generator playing")
        << int(ModeGeneratorPlaying) << true << false << true << Aqua << White;
    QTest::newRow("ringing locked selected, generator playing")
        << int(ModeGeneratorPlaying) << true << true << true << Aqua << Yellow;
    QTest::newRow("ringing locked, generator silent")
        << int(ModeGeneratorSilent) << true << false << true << Red << White;
    QTest::newRow("ringing locked, searching")
        << int(ModeSearching) << true << false << true << Red << White;
    QTest::newRow("ringing open, generator playing")
        << int(ModeGeneratorPlaying) << false << false << true << Grey << White;
    QTest::newRow("other locked, generator playing")
        << int(ModeGeneratorPlaying) << true << false << false << Red << White;
}

void TestDisplay::knobColours()
{
    QFETCH(int, mode);
    QFETCH(bool, locked);
    QFETCH(bool, selected);
    QFETCH(bool, ringing);
    QFETCH(QRgb, knob);
    QFETCH(QRgb, label);
    SizedBank renderer(QSize(1280, 900));
    GameState state = StartUpState();
    const int band = 16;
    state.GameMode = static_cast<GameModeValue>(mode);
    state.BandTable[band].Locked = locked ? 1 : 0;
    state.SelectedFader = selected ? band : 3;
    state.RingingBand = ringing ? band : 12;
    state.ToneFrequency = 1250;
    const QImage layered = renderer.FaderPaint(state);
    const QImage plain = renderer.PaintStraightforward(state);
    for (const QImage* image : {&layered, &plain}) {
        const int centre = Nearest(renderer.ColumnCentre(band));
        QCOMPARE(Pixel(*image, centre - 12, 382), knob);
        const int labelHeight = QFontMetrics(ArialFont(renderer.LabelFontSize()), image).height();
        const QRect labelCell(centre - 20, renderer.LabelTop(), 40, labelHeight);
        QVERIFY(CountColour(*image, labelCell, label) > 0);
        QCOMPARE(CountColour(*image, labelCell, label == White ? Yellow : White), 0);
    }
}

void TestDisplay::marksBesideTheColours_data()
{
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("wrongTry");
    QTest::addColumn<bool>("hint");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("ringing");
    QTest::addColumn<QString>("marked"); // the knob's parts with black in them
    const QString stripe = "topLeft bottomRight";
    const QString cross = "topLeft topRight bottomLeft bottomRight";
    QTest::newRow("open") << false << false << false << false << NoFader << "";
    QTest::newRow("locked out of play") << true << false << false << false << NoFader << "";
    QTest::newRow("wrong try") << true << true << false << false << 18 << stripe;
    QTest::newRow("wrong try, Hinweise") << true << true << true << false << NoFader << cross;
    // An arrow towards the ringing band, its point at the knob's side.
    QTest::newRow("Hinweise, zu tief")
        << true << true << true << false << 18 << cross + " rightEdge";
    QTest::newRow("Hinweise, zu hoch")
        << true << true << true << false << 12 << "topLeft topRight bottomRight leftEdge";
    QTest::newRow("unlocked again") << false << true << true << false << 18 << "";
    QTest::newRow("answer, Hinweise") << true << false << false << true << NoFader << "";
}

// Red, orange and green alone are lost on a red-green colour-blind player.
void TestDisplay::marksBesideTheColours()
{
    QFETCH(bool, locked);
    QFETCH(bool, wrongTry);
    QFETCH(bool, hint);
    QFETCH(bool, answer);
    QFETCH(int, ringing);
    QFETCH(QString, marked);
    SizedBank renderer(QSize(1280, 900));
    GameState state = StartUpState();
    const int band = 16;
    state.RingingBand = ringing;
    state.GameMode = answer ? ModeTurnOver : ModeSearching;
    state.BandTable[band].Locked = locked ? 1 : 0;
    state.WrongTry[band] = wrongTry ? 1 : 0;
    state.WrongTryHint[band] = hint ? 1 : 0;
    state.AnswerHintBand = answer ? band : NoFader;
    state.ToneFrequency = 1250;
    const FaderGeometry& g = renderer.Geometry();
    const int centre = Nearest(renderer.ColumnCentre(band));
    const int half = g.KnobHalfWidth() - 2;
    const int top = g.KnobTop(0) + 2;
    const int lineY = g.KnobLineY(0);
    const int quarter = lineY - 3 - top;
    const QRect topLeft(centre - half, top, half - 3, quarter);
    const QRect topRight(centre + 4, top, half - 3, quarter);
    const QRect bottomLeft(centre - half, lineY + 4, half - 3, quarter);
    const QRect bottomRight(centre + 4, lineY + 4, half - 3, quarter);
    // Just above the level line, at each side: where an arrow points.
    const QRect leftEdge(centre - half, lineY - 3, 4, 2);
    const QRect rightEdge(centre + half - 4, lineY - 3, 4, 2);
    const QImage layered = renderer.FaderPaint(state);
    const QImage plain = renderer.PaintStraightforward(state);
    for (const QImage* image : {&layered, &plain}) {
        const std::pair<const char*, QRect> parts[] = {
            {"topLeft", topLeft},         {"topRight", topRight}, {"bottomLeft", bottomLeft},
            {"bottomRight", bottomRight}, {"leftEdge", leftEdge}, {"rightEdge", rightEdge}};
        for (const auto& [name, part] : parts)
            QVERIFY2((CountColour(*image, part, Black) > 0) ==
                         marked.split(' ').contains(QLatin1String(name)),
                     name);
        const int labelHeight = QFontMetrics(ArialFont(renderer.LabelFontSize()), image).height();
        const QRect underCell(centre - 20, renderer.LabelTop() + labelHeight, 40, 2);
        const QRgb green = qRgb(0, 220, 0);
        // A full row under the text: "1.25" is wider than a third of its column.
        QCOMPARE(CountColour(*image, underCell, green) > 2 * 40 / 3, answer);
    }
}

void TestDisplay::volumeFaderColours_data()
{
    QTest::addColumn<int>("selectedFader");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("selected") << VolumeFader << Yellow;
    QTest::newRow("band selected") << 15 << Grey;
    QTest::newRow("none selected") << NoFader << Grey;
}

void TestDisplay::volumeFaderColours()
{
    QFETCH(int, selectedFader);
    QFETCH(QRgb, colour);
    SizedBank renderer(QSize(1280, 900));
    GameState state = StartUpState();
    state.SelectedFader = selectedFader;
    state.MasterVolume = 0;
    // Locks never reach the volume fader's knob.
    for (BandSlot& slot : state.BandTable)
        slot.Locked = 1;
    const QImage& image = renderer.FaderPaint(state);
    QCOMPARE(Pixel(image, 1208, 382), colour);
    const QRect volLabel(1200, 702, 40, 30);
    QVERIFY(CountColour(image, volLabel, colour == Yellow ? Yellow : White) > 0);
    QCOMPARE(CountColour(image, volLabel, colour == Yellow ? White : Yellow), 0);
}

void TestDisplay::frequencyText_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("shown");
    QTest::newRow("idle") << int(ModeIdle) << false;
    QTest::newRow("generator playing") << int(ModeGeneratorPlaying) << true;
    QTest::newRow("generator silent") << int(ModeGeneratorSilent) << false;
    QTest::newRow("turn over") << int(ModeTurnOver) << true;
    QTest::newRow("searching") << int(ModeSearching) << false;
    QTest::newRow("chart") << int(ModeTotalTimes) << false;
}

void TestDisplay::frequencyText()
{
    QFETCH(int, mode);
    QFETCH(bool, shown);
    SizedBank renderer(QSize(1280, 900));
    GameState state = StartUpState();
    state.GameMode = static_cast<GameModeValue>(mode);
    state.ToneFrequency = 1250; // no descenders in "1.25kHz"
    const QImage& image = renderer.FaderPaint(state);
    // Below the tracks nothing else is grey.
    const QRect below(0, 690, 1280, 210);
    const QRect text = ColourBounds(image, below, Grey);
    QCOMPARE(!text.isEmpty(), shown);
    if (!shown)
        return;
    // 123 points at 96 dpi: a 164-pixel font, its digits about 0.72 of that.
    const QFont font = ArialFont(123);
    const QFontMetrics metrics(font, &image);
    QCOMPARE(metrics.height() > 150, true);
    const QString expected = FormatFrequency(1250);
    const int width = metrics.horizontalAdvance(expected);
    QVERIFY2(text.height() > 110 && text.height() < 130,
             qPrintable(QString::number(text.height())));
    QCOMPARE(text.bottom() < 900, true);
    QVERIFY(text.bottom() >= 900 - metrics.descent() - 2);
    // Centred: the ink lies within the advance that starts at (cw - width) / 2.
    const int left = Nearest((1280 - width) / 2.0);
    QVERIFY(text.left() >= left && text.left() <= left + 20);
    QVERIFY(text.right() < left + width && text.right() >= left + width - 20);
    // Drawn over the labels' row without a background box.
    QCOMPARE(CountColour(image, QRect(0, 702, 1280, 1), White) +
                 CountColour(image, QRect(0, 702, 1280, 1), Black) +
                 CountColour(image, QRect(0, 702, 1280, 1), Grey),
             1280);
}

void TestDisplay::frequencyTextIsTheTextDrawn_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("frequencyHz");
    QTest::newRow("1280x900, 1.25kHz") << QSize(1280, 900) << 1250.0;
    QTest::newRow("1280x900, 801Hz") << QSize(1280, 900) << 800.767;
    QTest::newRow("640x400, 31.5Hz") << QSize(640, 400) << 31.5;
    QTest::newRow("3840x2160, 12.5kHz") << QSize(3840, 2160) << 12500.0;
}

void TestDisplay::frequencyTextIsTheTextDrawn()
{
    // The text's pixels are kept and copied: they must be what drawing the
    // text there gives, over the same bank without it.
    QFETCH(QSize, size);
    QFETCH(double, frequencyHz);
    SizedBank renderer(size);
    GameState state = StartUpState();
    state.ToneFrequency = frequencyHz;
    state.GameMode = ModeGeneratorSilent; // the same knobs, no text
    QImage expected = renderer.FaderPaint(state);
    {
        QPainter painter(&expected);
        PixelExactCanvas canvas(painter);
        canvas.SetBrushClear();
        canvas.SetFontColor(QColor(128, 128, 128));
        canvas.SetFont(ArialFont(Nearest(size.height() / 7.3)));
        const QString text = FormatFrequency(frequencyHz);
        canvas.TextOut(Nearest((size.width() - canvas.TextWidth(text)) / 2.0),
                       size.height() - canvas.TextHeight(text), text);
    }
    state.GameMode = ModeTurnOver;
    const QImage first = renderer.FaderPaint(state);
    QVERIFY(first == expected);
    QVERIFY(renderer.FaderPaint(state) == expected);
    QVERIFY(renderer.PaintStraightforward(state) == expected);
}

void TestDisplay::chartModesDrawNoFaders_data()
{
    QTest::addColumn<int>("mode");
    for (GameModeValue mode : {ModeCurrentAttempts, ModeCurrentTimes, ModeTotalAttempts,
                               ModeTotalTimes, ModeProgressAttempts, ModeProgressTimes})
        QTest::newRow(qPrintable(QString::number(mode))) << int(mode);
}

void TestDisplay::chartModesDrawNoFaders()
{
    QFETCH(int, mode);
    SizedBank renderer(QSize(1280, 900));
    GameState state = StartUpState();
    state.GameMode = static_cast<GameModeValue>(mode);
    state.SelectedFader = 15;
    state.ToneFrequency = 1000;
    const QImage& image = renderer.FaderPaint(state);
    const QRect all = image.rect();
    QCOMPARE(CountColour(image, QRect(0, 0, 1280, 702), Black), 1280 * 702);
    for (QRgb colour : {Red, Grey, Yellow, Aqua})
        QCOMPARE(CountColour(image, all, colour), 0);
    // White band labels, but no "VOL".
    QVERIFY(CountColour(image, QRect(Nearest(renderer.ColumnCentre(15)) - 20, 702, 40, 30), White) >
            0);
    QCOMPARE(CountColour(image, QRect(1200, 0, 80, 900), Black), 80 * 900);
}

void TestDisplay::chartOnlyInChartModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("chart");
    QTest::newRow("idle") << int(ModeIdle) << false;
    QTest::newRow("current attempts") << int(ModeCurrentAttempts) << true;
    QTest::newRow("current times") << int(ModeCurrentTimes) << true;
    QTest::newRow("generator playing") << int(ModeGeneratorPlaying) << false;
    QTest::newRow("generator silent") << int(ModeGeneratorSilent) << false;
    QTest::newRow("total attempts") << int(ModeTotalAttempts) << true;
    QTest::newRow("total times") << int(ModeTotalTimes) << true;
    QTest::newRow("progress attempts") << int(ModeProgressAttempts) << true;
    QTest::newRow("progress times") << int(ModeProgressTimes) << true;
    QTest::newRow("turn over") << int(ModeTurnOver) << false;
    QTest::newRow("searching") << int(ModeSearching) << false;
}

// A chart mode shows the chart columns and no fader; every other mode the bank.
void TestDisplay::chartOnlyInChartModes()
{
    QFETCH(int, mode);
    QFETCH(bool, chart);
    SizedBank renderer(QSize(1280, 900));
    int columns = 0;
    renderer.SetChartColumnPainter(
        [&columns](PixelExactCanvas&, const GameState&, int, const FaderGeometry&) { ++columns; });
    GameState state = StartUpState();
    state.GameMode = static_cast<GameModeValue>(mode);
    const QImage& image = renderer.FaderPaint(state);
    QCOMPARE(columns, chart ? BandCount : 0);
    // Above the labels a chart with empty columns is all black; the bank is not.
    const QRect aboveLabels(0, 0, image.width(), renderer.Geometry().LabelTop);
    QCOMPARE(CountColour(image, aboveLabels, Black) == aboveLabels.width() * aboveLabels.height(),
             chart);
}

void TestDisplay::chartColumnPainterCalledPerBand()
{
    SizedBank renderer(QSize(1280, 900));
    QList<int> bands;
    renderer.SetChartColumnPainter([&bands](PixelExactCanvas& canvas, const GameState&, int band,
                                            const FaderGeometry& geometry) {
        bands.append(band);
        // A bar that reaches into the label row: the label is drawn over it.
        const int left = Nearest((band + 1.1) * geometry.ColumnWidth);
        const int right = Nearest((band + 1.8) * geometry.ColumnWidth);
        canvas.SetPen(QColor(255, 255, 255), 3);
        canvas.SetBrushColor(QColor(255, 255, 255));
        canvas.Rectangle(left, 7 * geometry.TrackTop, right, geometry.LabelTop + 40);
        canvas.SetBrushClear();
    });
    GameState state = StartUpState();
    state.GameMode = ModeCurrentAttempts;
    const QImage& image = renderer.FaderPaint(state);
    QList<int> expected;
    for (int band = 0; band < BandCount; ++band)
        expected.append(band);
    QCOMPARE(bands, expected);
    // Bars from y 630 for band 0: x 44..71.
    QCOMPARE(Pixel(image, 44, 630), White);
    QCOMPARE(Pixel(image, 71, 630), White);
    QCOMPARE(Pixel(image, 43, 630), Black);
    QCOMPARE(Pixel(image, 72, 630), Black);
    QCOMPARE(Pixel(image, 44, 629), Black);
    // The label "25" has its black cell over the bar.
    QVERIFY(CountColour(image, QRect(44, 702, 28, 20), Black) > 0);

    bands.clear();
    state.GameMode = ModeSearching;
    renderer.FaderPaint(state);
    QVERIFY(bands.isEmpty());
}

void TestDisplay::columnWidthHalfToEven()
{
    SizedBank renderer(QSize(688, 500));
    QCOMPARE(renderer.ColumnWidth(), 22);
    renderer.FormResize(QSize(656, 500), 96); // 20.5
    QCOMPARE(renderer.ColumnWidth(), 20);
}

void TestDisplay::labelFontSizeSearch_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<qreal>("dpi");
    QTest::newRow("1280") << 1280 << qreal(96);
    QTest::newRow("1920") << 1920 << qreal(96);
    QTest::newRow("800 at 120 dpi") << 800 << qreal(120);
    QTest::newRow("3840") << 3840 << qreal(96);
}

void TestDisplay::labelFontSizeSearch()
{
    QFETCH(int, width);
    QFETCH(qreal, dpi);
    SizedBank renderer(QSize(width, 700), dpi);
    const int size = renderer.LabelFontSize();
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    probe.setDotsPerMeterX(qRound(dpi / 0.0254));
    probe.setDotsPerMeterY(qRound(dpi / 0.0254));
    auto measured = [&probe](int points) {
        return QFontMetrics(ArialFont(points), &probe).horizontalAdvance(QStringLiteral("1.25"));
    };
    QVERIFY(measured(size) >= width / 34.0);
    for (int smaller = 1; smaller < size; ++smaller) // the first size, not just a boundary
        QVERIFY2(measured(smaller) < width / 34.0, qPrintable(QString::number(smaller)));
    if (width == 1280 && dpi == 96)
        QCOMPARE(size, 15);
}

void TestDisplay::labelFontSizeMonotoneInWidth()
{
    FaderRenderer renderer;
    int previous = 0;
    for (int width = 40; width <= 3000; width += 53) {
        renderer.FormResize(QSize(width, 600), 96);
        QVERIFY2(renderer.LabelFontSize() >= previous, qPrintable(QString::number(width)));
        previous = renderer.LabelFontSize();
    }
    QVERIFY(previous > 15);
    renderer.FormResize(QSize(20, 600), 96);
    QCOMPARE(renderer.LabelFontSize(), 1);
}

void TestDisplay::pointSizesFollowResolution()
{
    // The same window on a screen of twice the density: twice the device pixels.
    FaderRenderer single;
    single.FormResize(QSize(1280, 900), 96);
    FaderRenderer dense;
    dense.FormResize(QSize(2560, 1800), 96, 2.0);
    GameState state = StartUpState();
    state.GameMode = ModeTurnOver;
    state.ToneFrequency = 1250;
    const QImage& small = single.FaderPaint(state);
    const QImage& large = dense.FaderPaint(state);
    QCOMPARE(small.devicePixelRatio(), 1.0);
    QCOMPARE(large.devicePixelRatio(), 2.0);
    QCOMPARE(large.size(), QSize(2560, 1800));
    QCOMPARE(dense.ColumnWidth(), 80);
    const QRect smallText = ColourBounds(small, QRect(0, 690, 1280, 210), Grey);
    const QRect largeText = ColourBounds(large, QRect(0, 1380, 2560, 420), Grey);
    QVERIFY(qAbs(largeText.height() - 2 * smallText.height()) <= 4);
    QVERIFY(qAbs(largeText.width() - 2 * smallText.width()) <= 8);
    QVERIFY(qAbs(dense.LabelFontSize() - single.LabelFontSize()) <= 1);
    // A 120 dpi screen at ratio 1 sets the same point size in more pixels.
    FaderRenderer denser;
    denser.FormResize(QSize(1280, 900), 120);
    const QRect text120 = ColourBounds(denser.FaderPaint(state), QRect(0, 600, 1280, 300), Grey);
    QVERIFY(text120.height() > smallText.height() * 1.15);
}

void TestDisplay::coverIsBlack_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("resized");
    for (GameModeValue mode : {ModeIdle, ModeTurnOver, ModeGeneratorPlaying, ModeProgressTimes})
        QTest::newRow(qPrintable(QString::number(mode))) << int(mode) << true;
    QTest::newRow("before the first resize") << int(ModeIdle) << false;
}

void TestDisplay::coverIsBlack()
{
    QFETCH(int, mode);
    QFETCH(bool, resized);
    FaderRenderer renderer;
    if (resized)
        renderer.FormResize(QSize(640, 480), 96);
    else
        renderer.SetPaintBox(QSize(640, 480), 96);
    renderer.CoverShown = true;
    GameState state = StartUpState();
    state.GameMode = static_cast<GameModeValue>(mode);
    state.ToneFrequency = 440;
    const QImage& image = renderer.FaderPaint(state);
    QCOMPARE(image.size(), QSize(640, 480));
    QCOMPARE(CountColour(image, image.rect(), Black), 640 * 480);

    renderer.CoverShown = false;
    const QImage& uncovered = renderer.FaderPaint(state);
    QCOMPARE(CountColour(uncovered, uncovered.rect(), Black) < 640 * 480, true);
}

void TestDisplay::whiteWithoutTrackPicture()
{
    FaderRenderer renderer;
    renderer.SetPaintBox(QSize(300, 200), 96);
    QVERIFY(!renderer.HasFaderImage());
    GameState state = StartUpState();
    state.GameMode = ModeTurnOver;
    state.ToneFrequency = 1000;
    const QImage& image = renderer.FaderPaint(state);
    QCOMPARE(image.size(), QSize(300, 200));
    QCOMPARE(CountColour(image, image.rect(), White), 300 * 200);
}

namespace {

// A random state of the game as the renderer sees it; every tenth one with
// a cut range out of range, as an edited settings file can give.
GameState RandomState(QRandomGenerator& random, int round)
{
    const GameModeValue modes[] = {ModeIdle,         ModeGeneratorPlaying, ModeGeneratorSilent,
                                   ModeTurnOver,     ModeSearching,        ModeCurrentAttempts,
                                   ModeProgressTimes};
    GameState state = StartUpState();
    state.GameMode = modes[round % std::size(modes)];
    state.SelectedFader = random.bounded(-1, 30);
    state.RingingBand = random.bounded(-1, 28);
    state.MasterVolume = random.bounded(MinLevel, MaxLevel + 1);
    state.ToneFrequency = 20.0 + random.bounded(17000.0);
    for (BandSlot& slot : state.BandTable) {
        slot.Level = random.bounded(MinLevel, MaxLevel + 1);
        slot.Locked = random.bounded(2);
    }
    if (round % 10 == 9) {
        state.LowCutBand = 29; // 28 is then no volume fader
        state.SelectedFader = VolumeFader;
    }
    if (round % 13 == 12)
        state.BandTable[round % BandCount].Level = 14; // beyond the track
    return state;
}

void SizesWithRatios()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("1280x900") << QSize(1280, 900) << qreal(1);
    QTest::newRow("1920x1080") << QSize(1920, 1080) << qreal(1);
    QTest::newRow("688x500") << QSize(688, 500) << qreal(1);
    QTest::newRow("1001x777") << QSize(1001, 777) << qreal(1);
    QTest::newRow("1600x1125 at 1.25") << QSize(1600, 1125) << qreal(1.25);
    QTest::newRow("2560x1800 at 2") << QSize(2560, 1800) << qreal(2);
    QTest::newRow("333x211") << QSize(333, 211) << qreal(1);
    // Labels wider than their columns and knobs beyond the tracks.
    QTest::newRow("97x63") << QSize(97, 63) << qreal(1);
    QTest::newRow("1500x90 flat") << QSize(1500, 90) << qreal(1);
    QTest::newRow("15x10") << QSize(15, 10) << qreal(1);
    QTest::newRow("3x2") << QSize(3, 2) << qreal(1);
}

} // namespace

void TestDisplay::paintMatchesStraightforward_data()
{
    SizesWithRatios();
}

void TestDisplay::paintMatchesStraightforward()
{
    QFETCH(QSize, size);
    QFETCH(qreal, dpr);
    SizedBank renderer(size, 96, dpr);
    QRandomGenerator random(4711);
    for (int round = 0; round < 40; ++round) {
        const GameState state = RandomState(random, round);
        const QImage picture = renderer.FaderPaint(state);
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.devicePixelRatio(), dpr);
        QVERIFY2(picture == renderer.PaintStraightforward(state),
                 qPrintable(QStringLiteral("round %1").arg(round)));
    }
}

void TestDisplay::paintOfARegionMatchesThere_data()
{
    SizesWithRatios();
}

void TestDisplay::paintOfARegionMatchesThere()
{
    // Random rectangles painted on a picture of another state: inside them the
    // pixels become the new picture's, outside they stay.
    QFETCH(QSize, size);
    QFETCH(qreal, dpr);
    SizedBank renderer(size, 96, dpr);
    QRandomGenerator random(815);
    for (int round = 0; round < 30; ++round) {
        const GameState before = RandomState(random, round + 1);
        const GameState after = RandomState(random, round);
        QImage canvas = renderer.PaintStraightforward(before);
        canvas.setDevicePixelRatio(1);
        QRegion region;
        for (int i = random.bounded(1, 4); i > 0; --i) {
            const int x = random.bounded(-5, size.width() + 5);
            const int y = random.bounded(-5, size.height() + 5);
            region += QRect(x, y, random.bounded(1, size.width() / 3 + 2),
                            random.bounded(1, size.height() / 3 + 2));
        }
        QPainter painter(&canvas);
        painter.setClipRegion(region);
        renderer.Paint(painter, region, after);
        painter.end();

        QImage expected = renderer.PaintStraightforward(before);
        expected.setDevicePixelRatio(1);
        QImage wanted = renderer.PaintStraightforward(after);
        wanted.setDevicePixelRatio(1);
        QPainter copy(&expected);
        copy.setClipRegion(region);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        copy.drawImage(0, 0, wanted);
        copy.end();
        QVERIFY2(canvas == expected, qPrintable(QStringLiteral("round %1").arg(round)));
    }
}

// Figures whose coordinates reach the int limits (a bar of a counter near
// 2^31) land clipped on the picture, and cost rows of the picture only.
void TestDisplay::figuresAtTheIntLimits_data()
{
    QTest::addColumn<int>("figure");
    QTest::addColumn<QRect>("white"); // what the figure covers on a 200 x 100 picture

    enum { Rectangle, RoundRect, FillRect, VerticalLine, HorizontalLine };
    QTest::newRow("rectangle over the whole int range") << int(Rectangle) << QRect(10, 0, 20, 100);
    QTest::newRow("round rectangle, ends swapped") << int(RoundRect) << QRect(10, 0, 20, 100);
    QTest::newRow("fill across all columns") << int(FillRect) << QRect(0, 40, 200, 20);
    QTest::newRow("vertical line, 3 wide") << int(VerticalLine) << QRect(49, 0, 3, 100);
    QTest::newRow("horizontal line drawn leftwards") << int(HorizontalLine) << QRect(0, 49, 200, 3);
}

void TestDisplay::figuresAtTheIntLimits()
{
    QFETCH(int, figure);
    QFETCH(QRect, white);
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    std::int64_t rows = 0;
    {
        QPainter painter(&image);
        PixelExactCanvas canvas(painter);
        canvas.SetPen(Qt::white, 3);
        canvas.SetBrushColor(Qt::white);
        switch (figure) {
        case 0:
            canvas.Rectangle(10, INT_MIN, 30, INT_MAX);
            break;
        case 1:
            canvas.RoundRect(10, INT_MAX, 30, INT_MIN, INT_MIN, INT_MAX);
            break;
        case 2:
            canvas.FillRect(INT_MIN, 40, INT_MAX, 60);
            break;
        case 3:
            canvas.MoveTo(50, INT_MIN);
            canvas.LineTo(50, INT_MAX);
            break;
        default:
            canvas.MoveTo(INT_MAX, 50);
            canvas.LineTo(INT_MIN, 50);
            break;
        }
        rows = canvas.RowsVisited();
    }
    QVERIFY2(rows <= 4 * 102, qPrintable(QStringLiteral("%1 rows visited").arg(rows)));
    int whitePixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 255, 255))
                ++whitePixels;
    QCOMPARE(whitePixels, white.width() * white.height());
    for (int y = white.top(); y <= white.bottom(); ++y)
        for (int x = white.left(); x <= white.right(); ++x)
            QCOMPARE(image.pixel(x, y), qRgb(255, 255, 255));
}

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
