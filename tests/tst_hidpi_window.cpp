// What a player sees on a dense screen: the real window on a real X server
// (Xvfb) scaled by QT_SCALE_FACTOR, painted through Qt's own backing store
// and read back from the X server, must be the renderer's picture of the game
// drawn into an image at the same ratio, through a whole game: start-up, a
// drag, a selection, START, a find, a chart and a resize.
//
// Each ratio needs its own process (the scale is fixed when the application
// starts), so every row runs this executable again on a private X server.

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainMenu.h"
#include "support/GameHarness.h"
#include "support/PictureCompare.h"
#include "support/XvfbDisplay.h"

#include <QAction>
#include <QApplication>
#include <QtTest>

#include <cstdio>
#include <functional>

namespace {

const char* const ChildFlag = "--play-on-this-screen";

// Plays the steps on the screen this process was started on; prints the first
// picture that differs and returns false.
bool PlayOnThisScreen()
{
    GameHarness rig;
    if (!rig.Start("[Spiel]\nSelektmode=0\n")) {
        std::fprintf(stderr, "the window did not come up\n");
        return false;
    }
    GameWindow& form = *rig.form;
    // Each step and the mode it leads to, so a step that did nothing shows.
    struct Step {
        const char* name;
        std::function<void()> play;
        GameModeValue mode;
    };
    const Step steps[] = {
        {"start-up", [] {}, ModeIdle},
        {"drag", [&] { rig.DragTo(5); }, ModeIdle},
        {"selection", [&] { rig.ClickFader(3); }, ModeIdle},
        {"START", [&] { rig.StartTurnRinging(DrawFor1k); }, ModeSearching},
        {"wrong band", [&] { rig.ClickFader(20); }, ModeSearching},
        {"find", [&] { rig.ClickFader(15); }, ModeTurnOver},
        {"volume", [&] { rig.ClickFader(VolumeFader); }, ModeTurnOver},
        {"chart", [&] { form.Menu()->Actions().AktuellVersuche->trigger(); }, ModeCurrentAttempts},
        {"back to the bank", [&] { rig.StartTurnRinging(DrawFor800); }, ModeSearching},
        {"resize", [&] { form.form.resize(form.form.size() * 3 / 4); }, ModeSearching},
    };
    for (const Step& step : steps) {
        const QString name = QString::fromLatin1(step.name);
        step.play();
        if (form.State().GameMode != step.mode) {
            std::fprintf(stderr, "%s: mode %d, expected %d\n", step.name,
                         int(form.State().GameMode), int(step.mode));
            return false;
        }
        // Whatever the step repaints must reach the X server; a wrong picture
        // stays wrong however long we wait.
        QImage shown;
        const auto matches = [&] {
            shown = ScreenPictureOfFader(form);
            return !FirstDifference(shown, form.Renderer().FaderPaint(form.State()));
        };
        if (!QTest::qWaitFor(matches, 3000)) {
            const QImage expected = form.Renderer().FaderPaint(form.State());
            std::fprintf(stderr, "%s\n",
                         qPrintable(DescribeDifference(FirstDifference(shown, expected), shown,
                                                       expected, name)));
            return false;
        }
    }
    return true;
}

} // namespace

class HiDpiWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void theScreenShowsTheWholeBank_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QSize>("screen");
        // The same 1920x1080 logical screen at each ratio.
        QTest::newRow("1") << "1" << QSize(1920, 1080);
        QTest::newRow("1.25") << "1.25" << QSize(2400, 1350);
        QTest::newRow("1.5") << "1.5" << QSize(2880, 1620);
        QTest::newRow("2") << "2" << QSize(3840, 2160);
        QTest::newRow("3") << "3" << QSize(5760, 3240);
    }

    void theScreenShowsTheWholeBank()
    {
        QFETCH(QString, scale);
        QFETCH(QSize, screen);
        XvfbDisplay display(screen);
        const QString failure = display.RunThisTestHere(
            {QString::fromLatin1(ChildFlag)},
            {{"QT_ENABLE_HIGHDPI_SCALING", "1"}, {"QT_SCALE_FACTOR", scale}});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], ChildFlag) == 0) {
        QApplication app(argc, argv);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        return PlayOnThisScreen() ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    HiDpiWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi_window.moc"
