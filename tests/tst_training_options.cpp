// The practice options "Lernpfad" and "Hinweise": the path's rule on its own,
// played by a simulated listener, and through the window; the hint colours as
// the player sees them in a real window on an X server.

#include "display/FaderRenderer.h"
#include "game/TrainingMenu.h"
#include "model/LearningPath.h"
#include "model/TurnDraw.h"
#include "support/Builders.h"
#include "support/FakeClockAndRandom.h"
#include "support/GameHarness.h"
#include "support/PictureCompare.h"
#include "support/XvfbDisplay.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using IntList = QList<int>;
using Change = LearningPath::Change;

namespace {

std::vector<int> Vector(const IntList& list)
{
    return {list.begin(), list.end()};
}

IntList List(const std::vector<int>& bands)
{
    return {bands.begin(), bands.end()};
}

// What a listener made of the turns so far, as the journal keeps it.
struct ListenerRecord {
    std::array<int, BandCount> turns{};
    std::array<int, BandCount> firstTries{};
    BandRates Rates() const
    {
        BandRates rates{};
        for (int b = 0; b < BandCount; ++b)
            rates[b] = turns[b] ? double(firstTries[b]) / turns[b] : 0.0;
        return rates;
    }
};

const char* const ChildFlag = "--hints-on-this-screen";

// The hint colours of the bank, and the bands the player tries.
const QRgb Amber = qRgb(255, 150, 0);
const QRgb Green = qRgb(0, 220, 0);
constexpr int WrongBand = 20;
constexpr int RingingBand = 15; // DrawFor1k

// In a child process on the X server: plays START, a wrong try, the find and
// START again with "Hinweise" on or off, and saves the X server's picture
// after each step into `folder` as step0.png .. step3.png.
bool PlayHintsOnThisScreen(bool hintsOn, const QString& folder)
{
    GameHarness rig;
    if (!rig.Start("[Spiel]\nSelektmode=0\n[Training]\nHinweise=" +
                   QByteArray(hintsOn ? "1" : "0") + "\n")) {
        std::fprintf(stderr, "the window did not come up\n");
        return false;
    }
    GameWindow& form = *rig.form;
    const std::function<void()> steps[] = {
        [&] { rig.StartTurnRinging(DrawFor1k); },
        [&] { rig.ClickFader(WrongBand); },
        [&] { rig.ClickFader(RingingBand); },
        [&] { rig.StartTurnRinging(DrawFor800); },
    };
    for (int i = 0; i < 4; ++i) {
        steps[i]();
        // The partial repaint must bring the whole picture to the screen.
        QImage shown;
        const auto matches = [&] {
            shown = ScreenPictureOfFader(form);
            return !FirstDifference(shown, form.Renderer().FaderPaint(form.State()));
        };
        if (!QTest::qWaitFor(matches, 3000)) {
            const QImage expected = form.Renderer().FaderPaint(form.State());
            std::fprintf(
                stderr, "%s\n",
                qPrintable(DescribeDifference(FirstDifference(shown, expected), shown, expected,
                                              QStringLiteral("step %1").arg(i))));
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
    void freshPathSpreadsOverTheBandsThatRing_data()
    {
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<IntList>("bands");
        QTest::newRow("default cut") << 11 << 22 << IntList{12, 15, 19, 22};
        QTest::newRow("whole table") << 0 << 27 << IntList{1, 10, 18, 27};
        QTest::newRow("four in play") << 5 << 9 << IntList{6, 7, 8, 9};
        QTest::newRow("three in play: each once") << 11 << 14 << IntList{12, 13, 14};
    }

    void freshPathSpreadsOverTheBandsThatRing()
    {
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QFETCH(IntList, bands);
        LearningPath path;
        QVERIFY(path.Fit(lowCut, highCut));
        QCOMPARE(List(path.Bands()), bands);
        QVERIFY(!path.Fit(lowCut, highCut)); // settled
    }

    void everyTwentiethTurnDecides_data()
    {
        QTest::addColumn<IntList>("before");
        QTest::addColumn<int>("firstTries"); // of 20
        QTest::addColumn<int>("change");
        QTest::addColumn<IntList>("after");
        const IntList fresh{12, 15, 19, 22};
        const IntList grown{12, 15, 19, 22, 16};
        QTest::newRow("85 % grows by the weakest neighbour")
            << fresh << 17 << int(Change::Added) << IntList{12, 15, 19, 22, 16};
        QTest::newRow("80 % holds") << grown << 16 << int(Change::None) << grown;
        QTest::newRow("75 % holds") << grown << 15 << int(Change::None) << grown;
        QTest::newRow("70 % gives back the band added last")
            << grown << 14 << int(Change::Removed) << fresh;
        QTest::newRow("never below the fresh four") << fresh << 0 << int(Change::None) << fresh;
    }

    void everyTwentiethTurnDecides()
    {
        QFETCH(IntList, before);
        QFETCH(int, firstTries);
        QFETCH(int, change);
        QFETCH(IntList, after);
        BandRates rates{};
        rates.fill(0.9);
        rates[16] = rates[20] = 0.2; // a tie: the lower band
        LearningPath path;
        path.Restore(Vector(before), 0, 0);
        for (int turn = 1; turn < LearningPath::RoundTurns; ++turn)
            QCOMPARE(path.Record(turn <= firstTries, rates, 11, 22), Change::None);
        QCOMPARE(int(path.Record(firstTries == 20, rates, 11, 22)), change);
        QCOMPARE(List(path.Bands()), after);
        QCOMPARE(path.TurnsCounted(), 0); // the next round starts afresh
    }

    void neighbourChoice_data()
    {
        QTest::addColumn<IntList>("bands");
        QTest::addColumn<int>("highCut");  // the low cut is 11
        QTest::addColumn<int>("weakBand"); // rate 0.1, the rest 0.5
        QTest::addColumn<int>("neighbour");
        QTest::newRow("the weak neighbour") << IntList{12, 15} << 22 << 14 << 14;
        QTest::newRow("a weak band further off is no neighbour")
            << IntList{12, 15} << 22 << 18 << 13;
        QTest::newRow("not past the high cut") << IntList{21, 22} << 22 << 23 << 20;
        QTest::newRow("the low cut never rings") << IntList{12, 13} << 22 << 11 << 14;
        QTest::newRow("all taken") << IntList{12, 13, 14} << 14 << 14 << int(NoFader);
    }

    void neighbourChoice()
    {
        QFETCH(IntList, bands);
        QFETCH(int, highCut);
        QFETCH(int, weakBand);
        QFETCH(int, neighbour);
        BandRates rates{};
        rates.fill(0.5);
        rates[weakBand] = 0.1;
        QCOMPARE(LearningPath::WeakestNeighbour(Vector(bands), rates, 11, highCut), neighbour);
    }

    void cutRangeChangeKeepsWhatStillRings_data()
    {
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<IntList>("after");
        QTest::newRow("four stay, in their order") << 14 << 20 << IntList{15, 19, 16, 20};
        QTest::newRow("three stay, one of the fresh path joins")
            << 17 << 22 << IntList{19, 22, 20, 18};
        QTest::newRow("none stays: a fresh path") << 0 << 6 << IntList{1, 3, 4, 6};
    }

    void cutRangeChangeKeepsWhatStillRings()
    {
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QFETCH(IntList, after);
        LearningPath path;
        path.Restore({12, 15, 19, 22, 16, 20}, 7, 5);
        QVERIFY(path.Fit(lowCut, highCut));
        QCOMPARE(List(path.Bands()), after);
        QCOMPARE(path.TurnsCounted(), 0);
    }

    // A listener who finds band b at the first try with probability p[b],
    // drawn with a seeded generator; the draw keeps to the path, weighted by
    // the weak bands or not.
    void simulatedListener_data()
    {
        QTest::addColumn<QList<double>>("firstTryChance"); // bands 12..22
        QTest::addColumn<bool>("weighted");
        QTest::addColumn<int>("fewestBands"); // over the last 2000 turns
        QTest::addColumn<int>("mostBands");
        QTest::addColumn<double>("lowestRate"); // of the path over the last 2000 turns
        QTest::addColumn<double>("highestRate");
        const QList<double> easy(11, 0.97);
        QTest::newRow("easy: grows to every band") << easy << false << 11 << 11 << 0.85 << 1.0;
        QTest::newRow("easy, weighted") << easy << true << 11 << 11 << 0.85 << 1.0;
        QTest::newRow("hard: stays at four")
            << QList<double>(11, 0.5) << false << 4 << 4 << 0.0 << 0.75;
        // Four easy bands and hard ones around them: the path takes in hard
        // bands until the rate falls between 75 and 85 % and holds there.
        const QList<double> mixed{0.98, 0.5, 0.5, 0.98, 0.5, 0.5, 0.5, 0.98, 0.5, 0.5, 0.98};
        QTest::newRow("mixed: holds between 75 and 85 %")
            << mixed << false << 4 << 10 << 0.75 << 0.85;
        QTest::newRow("mixed, weighted") << mixed << true << 4 << 10 << 0.75 << 0.85;
    }

    void simulatedListener()
    {
        QFETCH(QList<double>, firstTryChance);
        QFETCH(bool, weighted);
        QFETCH(int, fewestBands);
        QFETCH(int, mostBands);
        QFETCH(double, lowestRate);
        QFETCH(double, highestRate);
        GameState state = StartUpState(); // cut 11..22
        SeededRandom random(20261207);
        std::mt19937 listener(4711);
        LearningPath path;
        path.Fit(state.LowCutBand, state.HighCutBand);
        ListenerRecord record;
        constexpr int Turns = 8000, Tail = 2000;
        int tailFirstTries = 0, fewest = BandCount, most = 0;
        for (int turn = 0; turn < Turns; ++turn) {
            BandWeights weights{};
            for (int b = 0; b < BandCount; ++b)
                weights[b] = 4.0 - 3.0 * record.Rates()[b]; // weak bands heavier
            const BandMask mask = path.Mask();
            const int band =
                PickTurnFrequency(state, random, weighted ? &weights : nullptr, &mask).band;
            QVERIFY2(path.Contains(band), qPrintable(QString::number(band)));
            const bool firstTry = std::bernoulli_distribution(firstTryChance[band - 12])(listener);
            ++record.turns[band];
            record.firstTries[band] += firstTry;
            path.Record(firstTry, record.Rates(), state.LowCutBand, state.HighCutBand);
            QVERIFY(path.Bands().size() >= 4);
            if (turn >= Turns - Tail) {
                tailFirstTries += firstTry;
                fewest = std::min(fewest, int(path.Bands().size()));
                most = std::max(most, int(path.Bands().size()));
            }
        }
        const double rate = double(tailFirstTries) / Tail;
        const QString seen =
            QStringLiteral("%1..%2 bands, rate %3").arg(fewest).arg(most).arg(rate);
        QVERIFY2(fewest >= fewestBands && most <= mostBands, qPrintable(seen));
        QVERIFY2(rate >= lowestRate && rate <= highestRate, qPrintable(seen));
    }

    void learningPathThroughTheWindow()
    {
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=0\n[Training]\nLernpfad=1\n"));
        QAction* item = rig.form->Training()->Actions().Lernpfad;
        QVERIFY(item->isChecked());
        QCOMPARE(item->text(), QStringLiteral("Lernpfad (4 von 11 Bändern)"));
        // 20 turns found at the first try; the path's four bands in turn.
        const int bands[] = {12, 15, 19, 22};
        for (int turn = 0; turn < LearningPath::RoundTurns; ++turn) {
            rig.random.bounds.clear();
            rig.StartTurnRinging(turn % 4);
            QCOMPARE(rig.random.bounds, QList<std::int32_t>({4, 91})); // one of four, the point
            QCOMPARE(rig.State().RingingBand, bands[turn % 4]);
            rig.ClickFader(bands[turn % 4]);
            QCOMPARE(rig.State().GameMode, ModeTurnOver);
        }
        // No band next to the path has been found yet: the lowest one joins.
        QCOMPARE(item->text(), QStringLiteral("Lernpfad (5 von 11 Bändern)"));
        const QString settings = rig.SettingsPath();
        rig.Stop();
        QFile file(settings);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY2(written.contains("\nLernpfad=1\n") &&
                     written.contains("\nLernpfadBaender=12 15 19 22 13\nLernpfadRunde=0 0\n"),
                 written.constData());
    }

    // The real window on an X server, with the option on and off: the tried
    // knob turns amber until the find, the answer's label green until START;
    // everything else, and everything with the option off, stays as it was.
    void hintsOnTheScreen()
    {
        XvfbDisplay display(QSize(1280, 1024));
        QVERIFY2(!display.Name().isEmpty(), qPrintable(display.Error()));
        QTemporaryDir on, off;
        for (const QTemporaryDir* folder : {&on, &off}) {
            QProcess game;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("DISPLAY"), display.Name());
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
            environment.remove(QStringLiteral("QT_FONT_DPI"));
            game.setProcessEnvironment(environment);
            game.setProcessChannelMode(QProcess::MergedChannels);
            game.start(QCoreApplication::applicationFilePath(),
                       {QString::fromLatin1(ChildFlag), folder == &on ? "1" : "0", folder->path()});
            QVERIFY(game.waitForFinished(120000));
            QVERIFY2(game.exitStatus() == QProcess::NormalExit && game.exitCode() == 0,
                     game.readAll().constData());
        }
        // Where the hints go, from the geometry of the picture's size.
        const QImage first(on.filePath(QStringLiteral("step0.png")));
        FaderRenderer renderer;
        renderer.FormResize(first.size(), 96);
        const FaderGeometry& g = renderer.Geometry();
        const int knobX = qRound(g.ColumnCentre(WrongBand));
        const QRect knob(QPoint(knobX - g.KnobHalfWidth(), g.KnobTop(0)),
                         QPoint(knobX + g.KnobHalfWidth(), g.KnobBottom(0)));
        const int labelX = qRound(g.ColumnCentre(RingingBand));
        const QRect label(labelX - g.ColumnWidth / 2, g.LabelTop, g.ColumnWidth, g.ColumnWidth);
        const struct {
            const char* step;
            QRect hint; // empty: none
            QRgb colour;
        } expected[] = {
            {"START", {}, 0},
            {"wrong try", knob, Amber},
            {"find", label, Green},
            {"START again", {}, 0},
        };
        for (int i = 0; i < 4; ++i) {
            const QString name = QStringLiteral("step%1.png").arg(i);
            const QImage shownOn(on.filePath(name));
            const QImage shownOff(off.filePath(name));
            const QString step = QString::fromLatin1(expected[i].step);
            QCOMPARE(CountColour(shownOff, shownOff.rect(), Amber) +
                         CountColour(shownOff, shownOff.rect(), Green),
                     0);
            QImage outsideHint = shownOn;
            if (!expected[i].hint.isEmpty()) {
                QVERIFY2(CountColour(shownOn, expected[i].hint, expected[i].colour) > 0,
                         qPrintable(step));
                QPainter cover(&outsideHint);
                cover.drawImage(expected[i].hint, shownOff, expected[i].hint);
            }
            const auto at = FirstDifference(outsideHint, shownOff);
            QVERIFY2(!at, qPrintable(DescribeDifference(at, outsideHint, shownOff, step)));
        }
    }
};

int main(int argc, char** argv)
{
    if (argc > 3 && qstrcmp(argv[1], ChildFlag) == 0) {
        QApplication app(argc, argv);
        return PlayHintsOnThisScreen(qstrcmp(argv[2], "1") == 0, QString::fromLocal8Bit(argv[3]))
                   ? 0
                   : 1;
    }
    QApplication app(argc, argv);
    TrainingOptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_training_options.moc"
