// The practice options "Lernpfad" and "Hinweise": the path's rule on its own
// and played by a simulated listener, the path through the window, and the
// hint colours as the X server shows them.

#include "display/FaderRenderer.h"
#include "game/TrainingMenu.h"
#include "model/TurnDraw.h"
#include "support/Builders.h"
#include "support/GameHarness.h"
#include "support/PictureCompare.h"
#include "support/XvfbDisplay.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QtTest>

#include <cstdio>

using IntList = QList<int>;

namespace {

IntList List(const std::vector<int>& bands)
{
    return {bands.begin(), bands.end()};
}

const char* const ChildFlag = "--hints-on-this-screen";
const QRgb Amber = qRgb(255, 150, 0);
const QRgb Green = qRgb(0, 220, 0);
constexpr int WrongBand = 20;
constexpr int FoundBand = 15; // DrawFor1k

// On the X server: START, a wrong try, the find and START again, with
// "Hinweise" on or off; the screen after each step goes to step0..3.png.
bool PlayHintsOnThisScreen(const char* hinweise, const QString& folder)
{
    GameHarness rig;
    if (!rig.Start(QByteArray("[Spiel]\nSelektmode=0\n[Training]\nHinweise=") + hinweise))
        return false;
    const std::function<void()> steps[] = {
        [&] { rig.StartTurnRinging(DrawFor1k); }, [&] { rig.ClickFader(WrongBand); },
        [&] { rig.ClickFader(FoundBand); }, [&] { rig.StartTurnRinging(DrawFor800); }};
    for (int i = 0; i < 4; ++i) {
        steps[i]();
        // The partial repaint must bring the whole picture to the screen.
        QImage shown;
        const QImage expected = rig.form->Renderer().FaderPaint(rig.State());
        if (!QTest::qWaitFor(
                [&] { return !FirstDifference(shown = ScreenPictureOfFader(*rig.form), expected); },
                3000)) {
            std::fprintf(stderr, "%s\n",
                         qPrintable(DescribeDifference(FirstDifference(shown, expected), shown,
                                                       expected, QString::number(i))));
            return false;
        }
        shown.save(QStringLiteral("%1/step%2.png").arg(folder).arg(i));
    }
    return true;
}

} // namespace

class TrainingOptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void fitToTheCutRange_data()
    {
        QTest::addColumn<IntList>("before");
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<IntList>("after");
        const IntList grown{12, 15, 19, 22, 16, 20};
        QTest::newRow("fresh, default cut") << IntList{} << 11 << 22 << IntList{12, 15, 19, 22};
        QTest::newRow("fresh, whole table") << IntList{} << 0 << 27 << IntList{1, 10, 18, 27};
        QTest::newRow("fresh, three in play") << IntList{} << 11 << 14 << IntList{12, 13, 14};
        QTest::newRow("four stay, in their order") << grown << 14 << 20 << IntList{15, 19, 16, 20};
        QTest::newRow("three stay, a fresh one joins")
            << grown << 17 << 22 << IntList{19, 22, 20, 18};
        QTest::newRow("none stays") << grown << 0 << 6 << IntList{1, 3, 4, 6};
    }

    void fitToTheCutRange()
    {
        QFETCH(IntList, before);
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QFETCH(IntList, after);
        LearningPath path;
        path.Restore({before.begin(), before.end()}, 7, 5);
        QVERIFY(path.Fit(lowCut, highCut));
        QCOMPARE(List(path.Bands()), after);
        QCOMPARE(path.TurnsCounted(), 0); // a new round
        QVERIFY(!path.Fit(lowCut, highCut));
    }

    void everyTwentiethTurnDecides_data()
    {
        QTest::addColumn<IntList>("before"); // cut 11..22
        QTest::addColumn<int>("firstTries"); // of 20
        QTest::addColumn<int>("weakBand");   // first-try rate 0.1, the others 0.5
        QTest::addColumn<IntList>("after");
        const IntList fresh{12, 15, 19, 22};
        const IntList grown{12, 15, 19, 22, 16};
        QTest::newRow("85 %: the weak neighbour joins") << fresh << 17 << 16 << grown;
        QTest::newRow("85 %: a weak band further off is none; ties: the lower")
            << fresh << 17 << 17 << IntList{12, 15, 19, 22, 13};
        QTest::newRow("85 %: not past the high cut")
            << IntList{12, 13, 21, 22} << 20 << 23 << IntList{12, 13, 21, 22, 14};
        QTest::newRow("80 % holds") << grown << 16 << 14 << grown;
        QTest::newRow("75 % holds") << grown << 15 << 14 << grown;
        QTest::newRow("70 %: the band added last leaves") << grown << 14 << 14 << fresh;
        QTest::newRow("never below four") << fresh << 0 << 14 << fresh;
    }

    void everyTwentiethTurnDecides()
    {
        QFETCH(IntList, before);
        QFETCH(int, firstTries);
        QFETCH(int, weakBand);
        QFETCH(IntList, after);
        BandRates rates{};
        rates.fill(0.5);
        rates[weakBand] = 0.1;
        LearningPath path;
        path.Restore({before.begin(), before.end()}, 0, 0);
        for (int turn = 0; turn < LearningPath::RoundTurns; ++turn) {
            QCOMPARE(List(path.Bands()), before);
            path.Record(turn < firstTries, rates, 11, 22);
        }
        QCOMPARE(List(path.Bands()), after);
        QCOMPARE(path.TurnsCounted(), 0);
    }

    // A listener who finds band b at the first try with a fixed chance p[b]
    // (seeded); the journal's rates are what the listener did so far.
    void simulatedListener_data()
    {
        QTest::addColumn<QList<double>>("chance"); // bands 12..22
        QTest::addColumn<bool>("weighted");
        QTest::addColumn<int>("mostBands"); // over the last 2000 turns, never fewer than 4
        QTest::addColumn<double>("lowestRate");
        QTest::addColumn<double>("highestRate");
        const QList<double> easy(11, 0.97);
        // Four easy bands, the fresh path's, among hard ones.
        const QList<double> mixed{0.98, 0.5, 0.5, 0.98, 0.5, 0.5, 0.5, 0.98, 0.5, 0.5, 0.98};
        QTest::newRow("easy: grows to every band") << easy << false << 11 << 0.85 << 1.0;
        QTest::newRow("easy, weighted") << easy << true << 11 << 0.85 << 1.0;
        QTest::newRow("hard: stays at four") << QList<double>(11, 0.5) << false << 4 << 0.0 << 0.75;
        QTest::newRow("mixed: holds between 75 and 85 %") << mixed << false << 10 << 0.75 << 0.85;
        QTest::newRow("mixed, weighted") << mixed << true << 10 << 0.75 << 0.85;
    }

    void simulatedListener()
    {
        QFETCH(QList<double>, chance);
        QFETCH(bool, weighted);
        QFETCH(int, mostBands);
        QFETCH(double, lowestRate);
        QFETCH(double, highestRate);
        const GameState state = StartUpState(); // cut 11..22
        SeededRandom random(20261207);
        std::mt19937 listener(4711);
        LearningPath path;
        path.Fit(11, 22);
        std::array<int, BandCount> turns{}, firstTries{};
        BandRates rates{};
        constexpr int Turns = 8000, Tail = 2000;
        int tailFirstTries = 0, fewest = BandCount, most = 0;
        for (int turn = 0; turn < Turns; ++turn) {
            BandWeights weights{};
            for (int b = 0; b < BandCount; ++b)
                weights[b] = 4.0 - 3.0 * rates[b];
            const BandMask mask = path.Mask();
            const int band =
                PickTurnFrequency(state, random, weighted ? &weights : nullptr, &mask).band;
            QVERIFY2(path.Contains(band), qPrintable(QString::number(band)));
            const bool firstTry = std::bernoulli_distribution(chance[band - 12])(listener);
            rates[band] = double(firstTries[band] += firstTry) / ++turns[band];
            path.Record(firstTry, rates, 11, 22);
            if (turn >= Turns - Tail) {
                tailFirstTries += firstTry;
                fewest = std::min(fewest, int(path.Bands().size()));
                most = std::max(most, int(path.Bands().size()));
            }
        }
        const double rate = double(tailFirstTries) / Tail;
        const QString seen =
            QStringLiteral("%1..%2 bands, rate %3").arg(fewest).arg(most).arg(rate);
        QVERIFY2(fewest >= 4 && most <= mostBands && (mostBands < 11 || fewest == 11),
                 qPrintable(seen));
        QVERIFY2(rate >= lowestRate && rate <= highestRate, qPrintable(seen));
    }

    void learningPathThroughTheWindow()
    {
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=0\n[Training]\nLernpfad=1\n"));
        QAction* item = rig.form->Training()->Actions().Lernpfad;
        QVERIFY(item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("Lernpfad (4 von 11 Bändern)"));
        const int path[] = {12, 15, 19, 22};
        for (int turn = 0; turn < LearningPath::RoundTurns; ++turn) {
            rig.random.bounds.clear();
            rig.StartTurnRinging(turn % 4);
            QCOMPARE(rig.random.bounds, QList<std::int32_t>({4, 91})); // one of four, the point
            QCOMPARE(rig.State().RingingBand, path[turn % 4]);
            rig.ClickFader(path[turn % 4]); // at the first try
        }
        // No neighbour has been found yet: the lowest joins.
        QCOMPARE(item->text(), QStringLiteral("Lernpfad (5 von 11 Bändern)"));
        rig.Stop();
        QFile file(rig.SettingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY2(written.contains("\nLernpfadBaender=12 15 19 22 13\nLernpfadRunde=0 0\n"),
                 written.constData());
    }

    // The tried knob is amber until the find, the answer's label green until
    // START; everything else, and everything with the option off, as before.
    void hintsOnTheScreen()
    {
        XvfbDisplay display(QSize(1280, 1024));
        QTemporaryDir on, off;
        for (const auto& [hinweise, folder] : {std::pair{"1", &on}, std::pair{"0", &off}}) {
            const QString failure = display.RunThisTestHere(
                {QString::fromLatin1(ChildFlag), QString::fromLatin1(hinweise), folder->path()});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
        FaderRenderer renderer;
        renderer.FormResize(QImage(on.filePath(QStringLiteral("step0.png"))).size(), 96);
        const FaderGeometry& g = renderer.Geometry();
        const int knobX = qRound(g.ColumnCentre(WrongBand));
        const QRect knob(knobX - g.KnobHalfWidth(), g.KnobTop(0), 2 * g.KnobHalfWidth(),
                         g.KnobBottom(0) - g.KnobTop(0));
        const QRect label(qRound(g.ColumnCentre(FoundBand)) - g.ColumnWidth / 2, g.LabelTop,
                          g.ColumnWidth, g.ColumnWidth);
        const std::pair<QRect, QRgb> hints[] = {{}, {knob, Amber}, {label, Green}, {}};
        for (int i = 0; i < 4; ++i) {
            const QString name = QStringLiteral("step%1.png").arg(i);
            QImage shownOn(on.filePath(name));
            const QImage shownOff(off.filePath(name));
            QCOMPARE(CountColour(shownOff, shownOff.rect(), Amber) +
                         CountColour(shownOff, shownOff.rect(), Green),
                     0);
            const auto& [hint, colour] = hints[i];
            QCOMPARE(CountColour(shownOn, hint, colour) > 0, !hint.isEmpty());
            QPainter(&shownOn).drawImage(hint, shownOff, hint); // the rest must be the same
            const auto at = FirstDifference(shownOn, shownOff);
            QVERIFY2(!at, qPrintable(DescribeDifference(at, shownOn, shownOff, name)));
        }
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 3 && qstrcmp(argv[1], ChildFlag) == 0)
        return PlayHintsOnThisScreen(argv[2], QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    TrainingOptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_training_options.moc"
