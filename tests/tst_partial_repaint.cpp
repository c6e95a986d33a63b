// The paint box repaints only what changed. What the partial repaints leave
// behind, accumulated, must always be the whole picture of the latest state:
// through the widget onto one persistent image (each repaint renders only its
// own region onto it, dense screens included), and in the real window's
// backing store while a game is played.

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainForm.h"
#include "game/MainMenu.h"
#include "model/FaderModel.h"
#include "session/GameFlow.h"
#include "support/GameHarness.h"
#include "support/PictureCompare.h"

#include <QAction>
#include <QRandomGenerator>
#include <QScreen>
#include <QtTest>

#include <tuple>

namespace {

// A colour the picture never has: a pixel no repaint reached stays this.
const QRgb Untouched = qRgb(255, 0, 255);

GameState StartState()
{
    GameState state;
    for (int band = 0; band < BandCount; ++band) {
        SetBandLabel(state.BandTable[band], QString::fromLatin1(BandDefinitions[band].label));
        state.BandTable[band].Locked =
            (band < state.LowCutBand || band > state.HighCutBand) ? 1 : 0;
    }
    return state;
}

// The paint box alone, rendered region by region onto one image of the
// device pixels, as a backing store of that ratio would hold it.
class ViewRig {
  public:
    ViewRig(QSize logical, qreal ratio) : ratio_(ratio)
    {
        state = StartState();
        view.Show(renderer, state);
        Resize(logical);
    }

    void Resize(QSize logical)
    {
        logical_ = logical;
        view.resize(logical);
        renderer.FormResize(DeviceSize(), 96, ratio_);
        // A new size gets a new backing store: nothing of the old one survives.
        shown = QImage(DeviceSize(), QImage::Format_ARGB32_Premultiplied);
        shown.fill(Untouched);
        shown.setDevicePixelRatio(ratio_);
    }

    QSize DeviceSize() const
    {
        return QSize(qRound(logical_.width() * ratio_), qRound(logical_.height() * ratio_));
    }

    // The repaint call and the paint event it leads to, on its region only.
    QRegion Repaint()
    {
        const QRegion region = view.Refresh();
        // render() puts the region's corner at the offset given: keep it in place.
        if (!region.isEmpty())
            view.render(&shown, region.boundingRect().topLeft(), region, {});
        return region;
    }

    GameState state;
    FaderRenderer renderer;
    FaderView view;
    QImage shown;

  private:
    qreal ratio_;
    QSize logical_;
};

// Total area of a region's rectangles.
qint64 Area(const QRegion& region)
{
    qint64 area = 0;
    for (const QRect& r : region)
        area += qint64(r.width()) * r.height();
    return area;
}

} // namespace

// What the paint box painted, from its paint events.
class PaintedRegions final : public QObject {
  public:
    explicit PaintedRegions(QWidget* box) { box->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

class PartialRepaintTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void partialRepaintsAddUpToTheWholePicture_data()
    {
        QTest::addColumn<QSize>("logical");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("resizes");
        QTest::newRow("320x200") << QSize(320, 200) << qreal(1) << 300 << true;
        QTest::newRow("333x211 at 1.25") << QSize(333, 211) << qreal(1.25) << 300 << true;
        QTest::newRow("400x250 at 2") << QSize(400, 250) << qreal(2) << 300 << true;
        QTest::newRow("97x63, labels wider than columns")
            << QSize(97, 63) << qreal(1) << 200 << true;
        QTest::newRow("1280x720 at 1.25") << QSize(1280, 720) << qreal(1.25) << 60 << false;
        QTest::newRow("3840x2160") << QSize(3840, 2160) << qreal(1) << 30 << false;
        QTest::newRow("1920x1080 at 2") << QSize(1920, 1080) << qreal(2) << 30 << false;
        QTest::newRow("3072x1728 at 1.25") << QSize(3072, 1728) << qreal(1.25) << 24 << false;
    }

    void partialRepaintsAddUpToTheWholePicture()
    {
        QFETCH(QSize, logical);
        QFETCH(qreal, ratio);
        QFETCH(int, steps);
        QFETCH(bool, resizes);
        ViewRig rig(logical, ratio);
        GameState& state = rig.state;
        FaderModel faders(state);
        QRandomGenerator random(20261207 + steps);
        const GameModeValue modes[] = {ModeIdle,       ModeGeneratorPlaying, ModeGeneratorSilent,
                                       ModeTurnOver,   ModeSearching,        ModeCurrentAttempts,
                                       ModeTotalTimes, ModeProgressAttempts, ModeProgressTimes};
        const char* labels[] = {"", "1k", "12345", "W", "16k"};

        rig.Repaint();
        for (int step = 0; step < steps; ++step) {
            QString what;
            const int kind = random.bounded(115);
            const int band = random.bounded(BandCount);
            if (kind < 30) {
                // A drag moves a level one step, a key jumps.
                // The record is packed: read and write its fields by value.
                const int previous = state.BandTable[band].Level;
                const int level =
                    random.bounded(4) == 0
                        ? random.bounded(MinLevel, MaxLevel + 1)
                        : qBound(MinLevel, previous + random.bounded(-1, 2), MaxLevel);
                state.BandTable[band].Level = level;
                what = QStringLiteral("level %1 to %2").arg(band).arg(level);
            } else if (kind < 38) {
                state.MasterVolume = random.bounded(MinLevel, MaxLevel + 1);
                what = QStringLiteral("volume %1").arg(state.MasterVolume);
            } else if (kind < 55) {
                state.SelectedFader = random.bounded(NoFader, VolumeFader + 1);
                what = QStringLiteral("select %1").arg(state.SelectedFader);
            } else if (kind < 65) {
                state.BandTable[band].Locked ^= 1;
                what = QStringLiteral("lock %1").arg(band);
            } else if (kind < 72) {
                state.GameMode = modes[random.bounded(int(std::size(modes)))];
                what = QStringLiteral("mode %1").arg(state.GameMode);
            } else if (kind < 78) {
                const CutEdge edge = random.bounded(2) ? CutEdge::Low : CutEdge::High;
                faders.ChangeCutRange(edge, band);
                what = QStringLiteral("cut %1 %2").arg(int(edge)).arg(band);
            } else if (kind < 84) {
                state.RingingBand = random.bounded(NoFader, BandCount);
                state.ToneFrequency = 20 + random.bounded(17000.0);
                what = QStringLiteral("ringing %1 at %2")
                           .arg(state.RingingBand)
                           .arg(state.ToneFrequency);
            } else if (kind < 88) {
                SetBandLabel(state.BandTable[band],
                             QString::fromLatin1(labels[random.bounded(int(std::size(labels)))]));
                what = QStringLiteral("label %1").arg(band);
            } else if (kind < 91) {
                // Beyond the track, as a loaded file might have it.
                state.BandTable[band].Level = random.bounded(2) ? MaxLevel + 2 : MinLevel - 2;
                what = QStringLiteral("level %1 off the track").arg(band);
            } else if (kind < 94) {
                rig.renderer.CoverShown = !rig.renderer.CoverShown;
                what = QStringLiteral("cover %1").arg(rig.renderer.CoverShown);
            } else if (kind >= 100) {
                // The marks that stand beside the colours, and a surface's bank.
                const int cue = kind % 4;
                if (cue == 0)
                    state.WrongTry[band] ^= 1;
                else if (cue == 1)
                    state.WrongTryHint[band] ^= 1;
                else if (cue == 2)
                    state.AnswerHintBand = random.bounded(NoFader, BandCount);
                else
                    std::tie(state.SurfaceBankFirst, state.SurfaceBankCount) =
                        std::pair(random.bounded(NoFader, BandCount), random.bounded(9));
                what = QStringLiteral("cue %1 at %2").arg(cue).arg(band);
            } else if (kind < 97 && resizes) {
                rig.Resize(logical + QSize(random.bounded(-40, 41), random.bounded(-30, 31)));
                what = QStringLiteral("resize");
            } else {
                what = QStringLiteral("nothing");
            }
            rig.Repaint();
            const QImage expected = rig.renderer.PaintStraightforward(state);
            const std::optional<QPoint> difference = FirstDifference(rig.shown, expected);
            if (difference)
                QFAIL(qPrintable(
                    DescribeDifference(difference, rig.shown, expected,
                                       QStringLiteral("step %1, %2").arg(step).arg(what))));
        }
    }

    void repaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<qreal>("ratio");
        for (qreal ratio : {1.0, 1.25, 2.0}) {
            const QString suffix = QStringLiteral(" at %1").arg(ratio);
            for (const char* change : {"level", "volume", "selection", "lock", "frequency",
                                       "nothing", "mode", "size", "chart", "wrong try", "bank"})
                QTest::newRow(qPrintable(change + suffix)) << QString::fromLatin1(change) << ratio;
        }
    }

    void repaintsOnlyWhatChanged()
    {
        QFETCH(QString, change);
        QFETCH(qreal, ratio);
        const QSize logical(1280, 720);
        ViewRig rig(logical, ratio);
        GameState& state = rig.state;
        state.GameMode = ModeGeneratorPlaying;
        state.ToneFrequency = 1000;
        state.SelectedFader = 12;
        rig.Repaint();

        // In logical pixels: one column, the label row, the frequency row.
        const int column = rig.renderer.ColumnWidth();
        const double toLogical = 1 / ratio;
        const qint64 whole = qint64(logical.width()) * logical.height();
        const qint64 columnArea = qint64((column * toLogical + 4)) * logical.height();
        // The frequency text stands on the bottom edge and is at most a fifth
        // of the height; its row may reach into the labels' row.
        const int labelsTop = logical.height() * 3 / 4;
        qint64 limit = 0;
        QRect within(QPoint(0, 0), logical);
        if (change == "level") {
            state.BandTable[14].Level = 5;
            limit = columnArea;
            within = QRect(int(15 * column * toLogical) - 3, 0, int(column * toLogical) + 6,
                           logical.height());
        } else if (change == "volume") {
            state.MasterVolume = 7;
            limit = columnArea;
            within = QRect(int(30 * column * toLogical) - 3, 0, int(column * toLogical) + 6,
                           logical.height());
        } else if (change == "selection") {
            state.SelectedFader = 20; // two knobs and two labels
            limit = 2 * columnArea;
        } else if (change == "lock") {
            state.BandTable[3].Locked ^= 1;
            limit = columnArea;
        } else if (change == "wrong try") {
            state.BandTable[3].Locked = 1;
            rig.Repaint();
            state.WrongTry[3] = 1; // the colour stays red: only the mark changes
            limit = columnArea;
            within = QRect(int(4 * column * toLogical) - 3, 0, int(column * toLogical) + 6,
                           logical.height());
        } else if (change == "bank") {
            state.SurfaceBankFirst = 8;
            state.SurfaceBankCount = 8;
            // A thin bar over eight tracks, above them.
            const int trackTop = int(rig.renderer.TrackTop() * toLogical) + 2;
            within = QRect(0, 0, logical.width(), trackTop);
            limit = qint64(int(9 * column * toLogical)) * trackTop / 2;
        } else if (change == "frequency") {
            state.ToneFrequency = 12500; // the text's row at the bottom
            within = QRect(0, labelsTop, logical.width(), logical.height() - labelsTop);
            limit = qint64(within.width()) * within.height();
        } else if (change == "mode") {
            state.GameMode = ModeSearching;
            limit = whole;
        } else if (change == "size") {
            rig.Resize(logical - QSize(10, 10));
            limit = whole;
        } else if (change == "chart") {
            state.GameMode = ModeCurrentTimes;
            rig.Repaint();
            limit = whole; // every repaint of a chart draws it whole
        }
        const QRegion region = rig.Repaint();
        if (change == "nothing") {
            QVERIFY(region.isEmpty());
            return;
        }
        QVERIFY(!region.isEmpty());
        QVERIFY2(Area(region) <= limit,
                 qPrintable(QStringLiteral("%1 of %2").arg(Area(region)).arg(limit)));
        QVERIFY(within.contains(region.boundingRect()));
        if (limit == whole)
            QVERIFY(region.contains(QRect(QPoint(0, 0), rig.view.size())));
        // Whatever the region, the result is the new picture.
        QVERIFY(!FirstDifference(rig.shown, rig.renderer.PaintStraightforward(state)));
    }

    // Nothing calls the repaint by hand: each change the model announces
    // repaints what the bank shows of it, and nothing else.
    void eachAnnouncedChangeRepaintsItsOwnColumns_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<int>>("faders"); // whose columns may be painted
        QTest::newRow("one fader level") << "level" << QList<int>{14};
        QTest::newRow("a selection") << "selection" << QList<int>{14, 16};
        // V selects the volume fader: the band fader loses its highlight.
        QTest::newRow("the volume selected") << "volume" << QList<int>{14, VolumeFader};
        QTest::newRow("a status tick") << "tick" << QList<int>{};
        QTest::newRow("a wrong try") << "wrong" << QList<int>{14};
    }

    void eachAnnouncedChangeRepaintsItsOwnColumns()
    {
        QFETCH(QString, change);
        QFETCH(QList<int>, faders);
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=1\n"));
        rig.StartTurnRinging(DrawFor1k);
        rig.ClickFader(14);
        QCoreApplication::processEvents();
        PaintedRegions box(rig.form->Fader());
        if (change == "level")
            rig.DragTo(5);
        else if (change == "selection")
            rig.ClickFader(16);
        else if (change == "volume")
            rig.Key(Qt::Key_V);
        else if (change == "wrong")
            rig.DragTo(-6); // its knob locks, red and striped
        else
            rig.Game().Timer1Timer();
        QCoreApplication::processEvents();
        QCOMPARE(box.painted.isEmpty(), faders.isEmpty());
        // Each fader's column, a few pixels either way for label margins.
        const FaderGeometry& g = rig.form->Renderer().Geometry();
        QRegion allowed;
        for (int fader : faders) {
            const int column = fader == VolumeFader ? 30 : fader + 1;
            allowed += QRect(column * g.ColumnWidth - 4, 0, g.ColumnWidth + 8,
                             rig.form->Fader()->height());
        }
        for (const QRect& r : box.painted)
            QVERIFY2(allowed.intersected(r) == QRegion(r), qPrintable(change));
    }

    void theWindowShowsThePictureWhileAGameIsPlayed()
    {
        // The real window: each input repaints through the main form, and
        // the backing store must then hold the whole picture of the state.
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=1\n"));
        GameWindow& form = *rig.form;
        QRandomGenerator random(4242);
        const QList<QAction*> charts = {form.Menu()->Actions().AktuellVersuche,
                                        form.Menu()->Actions().AktuellZeit};
        const Qt::Key keys[] = {Qt::Key_Left,     Qt::Key_Right,  Qt::Key_Up,
                                Qt::Key_Down,     Qt::Key_Space,  Qt::Key_PageUp,
                                Qt::Key_PageDown, Qt::Key_Return, Qt::Key_V};
        for (int step = 0; step < 150; ++step) {
            const int kind = random.bounded(100);
            QString what;
            if (kind < 35) {
                rig.ClickFader(random.bounded(NoFader, VolumeFader + 1));
                what = QStringLiteral("click");
            } else if (kind < 65) {
                rig.DragTo(random.bounded(MinLevel, MaxLevel + 1));
                what = QStringLiteral("drag");
            } else if (kind < 85) {
                rig.Key(keys[random.bounded(int(std::size(keys)))]);
                what = QStringLiteral("key");
            } else if (kind < 93) {
                rig.StartTurnRinging(random.bounded(4));
                what = QStringLiteral("START");
            } else if (kind < 96) {
                charts[random.bounded(int(charts.size()))]->trigger();
                what = QStringLiteral("chart");
            } else {
                form.Menu()->Actions().Feedbackgenerator->trigger();
                what = QStringLiteral("generator");
            }
            QCoreApplication::processEvents();
            const QPoint offset = form.Fader()->mapTo(&form.form, QPoint(0, 0));
            const QImage window = form.form.screen()
                                      ->grabWindow(form.form.winId())
                                      .toImage()
                                      .copy(QRect(offset, form.Fader()->size()));
            const QImage expected = form.Renderer().PaintStraightforward(form.State());
            const std::optional<QPoint> difference = FirstDifference(window, expected);
            if (difference)
                QFAIL(qPrintable(
                    DescribeDifference(difference, window, expected,
                                       QStringLiteral("step %1, %2").arg(step).arg(what))));
        }
    }
};

QTEST_MAIN(PartialRepaintTest)
#include "tst_partial_repaint.moc"
