// Control surfaces through the real window on Xvfb and a private JACK server:
//
// 1. A move: from the moment the surface's message is on the wire (its JACK
//    cycle, just before RtMidi's callback in the game) to the repainted
//    frame handled by the X server, beside the same level step by the mouse
//    (the event sent to the paint box, to the same point). Goal: the MIDI
//    path no slower than the mouse path + 2 ms.
// 2. A flood of 10,000 messages (system exclusive mixed in) and one final
//    value per control: the longest time the GUI thread was held, seen as
//    the longest gap between ticks of a 1 ms timer, beside the same figure
//    with nothing arriving, in a tone turn, in the generator and in a stage
//    turn. Goal: never more than one frame (16 ms).
//
//   bench_midi                 on an Xvfb screen of 1920x1080
//   bench_midi --screen WxH    another size

#include "game/FaderView.h"
#include "game/StatusPanel.h"
#include "game/TrainingMenu.h"
#include "midi/MidiMapping.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "session/GameFlow.h"
#include "session/MidiBridge.h"

#include "BenchWindow.h"
#include "support/FakeWaveOut.h"
#include "support/GameWindow.h"
#include "support/JackMidiClient.h"
#include "support/JackServer.h"
#include "support/OfflineStagePlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using bench::AcceptingDialogs;
using bench::PaintCounter;
using bench::RoundTrip;

// A look every millisecond: the moves are timed by their paints.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return bench::WaitFor(done, timeoutMs, 1);
}

// The longest gap between ticks of a 1 ms timer while `work` runs, in ms.
double LongestHoldMs(const std::function<bool()>& finished, int timeoutMs)
{
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    std::int64_t last = bench::MonotonicNs(), longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const std::int64_t now = bench::MonotonicNs();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start(1);
    WaitFor(finished, timeoutMs);
    return longest / 1e6;
}

// Values from `lowest` to 127 on the 27 faders in play, then one final value each.
void Flood(GameWindow& form, JackMidiClient& surface, const char* where, int lowest)
{
    const QByteArray sysex = QByteArray::fromHex("f07e7f0601f7");
    const auto cc = [](int number, int value) {
        const char bytes[] = {char(0xb0), char(number), char(value)};
        return QByteArray(bytes, 3);
    };
    const int span = 128 - lowest;
    for (int index = 0; index < 10000; ++index)
        surface.Send(index % 10 == 0 ? sysex : cc(index % 27, lowest + index % span));
    const auto final = [&](int band) { return lowest + (band * 7) % span; };
    for (int band = 0; band < 27; ++band)
        surface.Send(cc(band, final(band)));
    QElapsedTimer wall;
    wall.start();
    const auto atFinals = [&] {
        for (int band = 0; band < 27; ++band)
            if (form.State().BandTable[band].Level != LevelFromController(final(band)))
                return false;
        return true;
    };
    const double holdMs = LongestHoldMs(atFinals, 30000);
    std::printf("    %s: %.1f ms; at the final values after %lld ms%s\n", where, holdMs,
                static_cast<long long>(wall.elapsed()), atFinals() ? "" : " (NOT REACHED)");
}

int Measure(int argc, char* argv[])
{
    QApplication app(argc, argv);
    JackServer jack(48000, 64); // a short period, as a player sets for playing live
    if (!jack.Answers()) {
        std::fprintf(stderr, "no JACK server: %s\n", jack.Output().constData());
        return 1;
    }
    QTemporaryDir programDir;
    QFile settings(programDir.filePath(QStringLiteral("Heulmeister Pro.inf")));
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    // Every band but the last in play, so the whole flood moves faders.
    settings.write("[Filter]\nLowCut=0\nHighcut=26\n[MIDI]\nAktiv=1\nZuordnung=0\n");
    settings.close();
    AcceptingDialogs dialogs;
    SteadyMillisecondClock clock;
    StdRandomGenerator random;
    FakeWaveOut waveOut;
    waveOut.productNames = {QStringLiteral("Bench")};
    OfflineStagePlayer stagePlayer; // the stage's sound taken by no one
    GameWindow form({dialogs, clock, random, waveOut, &stagePlayer},
                    {programDir.path(), programDir.path(), {}});
    if (!form.StartUp())
        return 1;
    PaintCounter counter;
    form.Fader()->installEventFilter(&counter);
    form.ShowCoveringScreen();
    JackMidiClient surface;
    if (!WaitFor([&] { return form.Midi().IsRunning(); }) || !surface.ConnectToGame()) {
        std::fprintf(stderr, "the game's MIDI ports did not open\n");
        return 1;
    }
    form.Panel1()->pStart->click();
    WaitFor([&] { return form.State().GameMode == ModeSearching; });
    const int fader = form.State().RingingBand == 16 ? 17 : 16;
    FaderView* view = form.Fader();
    const qreal ratio = view->devicePixelRatioF();
    const FaderGeometry& g = form.Renderer().Geometry();
    const auto at = [&](int level) {
        return QPointF((fader + 1.5) * g.ColumnWidth / ratio,
                       (g.TrackTop + (12 - level) * g.StepPitch) / ratio);
    };
    QMouseEvent press(QEvent::MouseButtonPress, at(0), view->mapToGlobal(at(0)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    WaitFor([&] { return form.State().SelectedFader == fader; });

    // Alternating steps between levels no evaluation acts on (-5..+12).
    std::vector<double> midiUs, mouseUs;
    int level = -5, direction = 1;
    const auto nextLevel = [&] {
        level += direction;
        if (level == 12 || level == -5)
            direction = -direction;
        return level;
    };
    for (int step = 0; step < 200; ++step) {
        const int paintsBefore = counter.paints;
        if (step % 2 == 0) {
            const std::int64_t writtenBefore = surface.LastWriteNs();
            const char cc[] = {char(0xb0), char(fader), char(ControllerFromLevel(nextLevel()))};
            surface.Send(QByteArray(cc, 3));
            if (!WaitFor([&] { return counter.paints != paintsBefore; }, 5000))
                return 1;
            RoundTrip();
            const std::int64_t done = bench::MonotonicNs();
            if (surface.LastWriteNs() != writtenBefore)
                midiUs.push_back((done - surface.LastWriteNs()) / 1e3);
        } else {
            const QPointF to = at(nextLevel());
            QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            const std::int64_t start = bench::MonotonicNs();
            QApplication::sendEvent(view, &move);
            if (!WaitFor([&] { return counter.paints != paintsBefore; }, 5000))
                return 1;
            RoundTrip();
            mouseUs.push_back((bench::MonotonicNs() - start) / 1e3);
        }
        WaitFor([] { return false; }, 5); // let the feedback and the X server settle
    }
    const double midiMove = bench::Median(midiUs), mouseMove = bench::Median(mouseUs);
    std::printf("window %dx%d device pixels, JACK dummy back end, 64 frames at 48 kHz\n",
                int(view->window()->width() * ratio), int(view->window()->height() * ratio));
    std::printf("  a move to the repainted frame (median of %zu): MIDI %.0f us, mouse %.0f us,\n"
                "  difference %.0f us (goal <= 2000 us)\n",
                midiUs.size(), midiMove, mouseMove, midiMove - mouseMove);

    const double idleHoldMs = LongestHoldMs([] { return false; }, 1000);
    std::printf("  flood of 10,000 messages (every tenth system exclusive), longest hold of the "
                "GUI thread (goal <= 16 ms; with nothing arriving: %.1f ms):\n",
                idleHoldMs);
    // In the turn, levels that neither count nor find (-5..+12); in the
    // generator every raise starts a tone, as a raise with the mouse does.
    Flood(form, surface, "in a turn", 35);
    form.Game().aFeedbackGeneratorExecute();
    Flood(form, surface, "in the feedback generator", 0);
    // The reference: the costliest move of that flood by the mouse, a raise
    // of one fader while another one's tone plays.
    const auto mouse = [&](QEvent::Type type, int column, int level) {
        const QPointF to((column + 1.5) * g.ColumnWidth / ratio,
                         (g.TrackTop + (12 - level) * g.StepPitch) / ratio);
        QMouseEvent event(type, to, view->mapToGlobal(to), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    for (int column : {4, 3}) { // both down: no tone, nothing locked
        mouse(QEvent::MouseButtonPress, column, 0);
        mouse(QEvent::MouseMove, column, -12);
    }
    mouse(QEvent::MouseMove, 3, 12); // rings
    mouse(QEvent::MouseButtonPress, 4, 0);
    const std::int64_t raiseStart = bench::MonotonicNs();
    mouse(QEvent::MouseMove, 4, 12);
    std::printf("    reference: that raise by the mouse holds it %.1f ms\n",
                (bench::MonotonicNs() - raiseStart) / 1e6);
    // On stage each move of a band that a howl grows through is judged by
    // the loop analysis.
    form.Game().aFeedbackGeneratorExecute();
    form.Training()->Actions().Buehne->setChecked(true);
    form.Panel1()->pStart->click();
    if (WaitFor([&] { return form.Game().Phase() == TurnPhase::StageRunning; }, 60000))
        Flood(form, surface, "in a stage turn", 0);
    else
        std::printf("    in a stage turn: the stage did not start\n");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return Measure(argc, argv);
    QSize size(1920, 1080);
    if (argc > 2 && std::strcmp(argv[1], "--screen") == 0)
        std::sscanf(argv[2], "%dx%d", &size.rwidth(), &size.rheight());
    QCoreApplication app(argc, argv);
    bench::PrivateXServer server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (server.Start(size)) {
        environment.insert(QStringLiteral("DISPLAY"), server.Display());
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    } else {
        std::printf("no Xvfb: the current display\n");
    }
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        std::printf("measuring failed\n");
        return 1;
    }
    return 0;
}
