// One step of a fader drag through the real window during a turn (no
// frequency text shown): CPU of the program and of the X server per step,
// against one plain copy of a full frame measured in the same run. Also the
// CPU the window takes while nobody touches it.
//
//   bench_drag                 Xvfb screens of 1920x1080 and 3840x2160
//   bench_drag --screen WxH    one screen size
//   (with no Xvfb: the current display, the X server not counted)
//
// A step is one mouse move that changes the selected fader's level; it ends
// when the paint box has painted and the X server has answered a round trip,
// so what the step sent it has been handled.

#include "game/FaderView.h"
#include "game/StatusPanel.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "support/GameWindow.h"

#include "BenchWindow.h"
#include "support/FakeWaveOut.h"

#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using bench::AcceptingDialogs;
using bench::PaintCounter;
using bench::RoundTrip;
using bench::WaitFor;

int Measure(int argc, char* argv[], qint64 serverPid, int steps)
{
    QApplication app(argc, argv);
    QTemporaryDir programDir;
    AcceptingDialogs dialogs;
    SteadyMillisecondClock clock;
    StdRandomGenerator random;
    // A device that takes every call and plays nothing: the step is measured
    // without a tone's refills, and START needs a device to start a turn.
    FakeWaveOut waveOut;
    waveOut.productNames = {QStringLiteral("Bench")};
    GameWindow form({dialogs, clock, random, waveOut}, {programDir.path(), programDir.path(), {}});
    if (!form.StartUp())
        return 1;
    PaintCounter counter;
    form.Fader()->installEventFilter(&counter);
    form.ShowCoveringScreen();
    if (!WaitFor([&] { return form.Renderer().HasFaderImage() && counter.paints > 0; })) {
        std::fprintf(stderr, "the bank was never painted\n");
        return 1;
    }
    QElapsedTimer settle;
    settle.start();
    WaitFor([&] { return settle.elapsed() > 300; });
    RoundTrip();

    // Idle: the status timer ticks, nothing changes on screen. A plain event
    // loop, so only the program's own wake-ups count.
    const int idleSeconds = 5;
    const std::int64_t idleProgram = bench::CpuNs(getpid());
    const std::int64_t idleServer = serverPid > 0 ? bench::CpuNs(serverPid) : 0;
    QElapsedTimer idleWall;
    idleWall.start();
    {
        QEventLoop idle;
        QTimer::singleShot(idleSeconds * 1000, &idle, &QEventLoop::quit);
        idle.exec();
    }
    const double idleMs = idleWall.nsecsElapsed() / 1e6;
    const double idleProgramPercent = (bench::CpuNs(getpid()) - idleProgram) / 1e4 / idleMs;
    const double idleServerPercent =
        serverPid > 0 ? (bench::CpuNs(serverPid) - idleServer) / 1e4 / idleMs : -1;

    // A turn: START, then drag a fader that is in play and not ringing,
    // between levels no evaluation acts on.
    form.Panel1()->pStart->click();
    WaitFor([&] { return form.State().GameMode == ModeSearching; });
    FaderView* view = form.Fader();
    const qreal ratio = view->devicePixelRatioF();
    const FaderGeometry& g = form.Renderer().Geometry();
    const int fader = form.State().RingingBand == 16 ? 17 : 16;
    auto at = [&](int level) {
        return QPointF((fader + 1.5) * g.ColumnWidth / ratio,
                       (g.TrackTop + (12 - level) * g.StepPitch) / ratio);
    };
    QMouseEvent press(QEvent::MouseButtonPress, at(0), view->mapToGlobal(at(0)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    WaitFor([&] { return form.State().SelectedFader == fader; });
    settle.restart();
    WaitFor([&] { return settle.elapsed() > 300; });
    RoundTrip();

    const QSize frame = view->window()->size() * ratio;
    const size_t frameBytes = size_t(frame.width()) * frame.height() * 4;
    std::vector<unsigned char> source(frameBytes, 1), target(frameBytes);
    std::vector<double> stepWallUs, copyUs;
    int level = -5, direction = 1;
    bool showsText = false;
    // Steps and copies in alternating blocks, so a busy machine slows both
    // alike while a copy (which sweeps the caches) does not come between two
    // steps of a drag. CPU time for both: waits count for neither.
    constexpr int Block = 25;
    std::int64_t programNs = 0, serverNs = 0;
    for (int done = 0; done < steps; done += Block) {
        const std::int64_t programBefore = bench::CpuNs(getpid());
        const std::int64_t serverBefore = serverPid > 0 ? bench::CpuNs(serverPid) : 0;
        for (int step = done; step < done + Block && step < steps; ++step) {
            level += direction;
            if (level == 12 || level == -5)
                direction = -direction;
            const QPointF to = at(level);
            QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            const int paintsBefore = counter.paints;
            QElapsedTimer wall;
            wall.start();
            QApplication::sendEvent(view, &move);
            QCoreApplication::processEvents();
            if (!WaitFor([&] { return counter.paints != paintsBefore; }, 5000)) {
                std::fprintf(stderr,
                             "no repaint after a level step (mode %d, selected %d, level %d)\n",
                             int(form.State().GameMode), int(form.State().SelectedFader),
                             int(form.State().BandTable[fader].Level));
                return 1;
            }
            RoundTrip();
            stepWallUs.push_back(wall.nsecsElapsed() / 1e3);
            showsText = showsText || form.State().GameMode != ModeSearching;
        }
        programNs += bench::CpuNs(getpid()) - programBefore;
        if (serverPid > 0)
            serverNs += bench::CpuNs(serverPid) - serverBefore;
        for (int copies = 0; copies < Block; ++copies) {
            source[(done + copies) % frameBytes] = static_cast<unsigned char>(copies);
            const std::int64_t copyStart = bench::ThreadCpuNs();
            std::memcpy(target.data(), source.data(), frameBytes);
            copyUs.push_back((bench::ThreadCpuNs() - copyStart) / 1e3);
        }
    }
    const double programCpu = programNs / 1e3;
    const double serverCpu = serverNs / 1e3;
    const double copy = bench::Median(copyUs);
    const double program = programCpu / steps;
    const double server = serverCpu / steps;
    std::printf("screen %dx%d, window %dx%d device pixels, %d steps%s\n", frame.width(),
                frame.height(), frame.width(), frame.height(), steps,
                showsText ? " (left the turn!)" : "");
    std::printf("  drag step, CPU per step: program %.0f us", program);
    if (serverPid > 0)
        std::printf(" + X server %.0f us = %.0f us", server, program + server);
    std::printf("; wall %.0f us (median)\n", bench::Median(stepWallUs));
    std::printf("  one copy of a full frame (memcpy, CPU time, median): %.0f us\n", copy);
    // The goal is set for the dense screen, where a whole frame costs most;
    // on a smaller one the step's fixed part (events, the X round trip)
    // weighs more against a cheaper copy.
    const bool goalSize = frame == QSize(3840, 2160);
    std::printf("  drag step / frame copy: %.3f x (%s)%s\n", (program + server) / copy,
                goalSize ? "goal <= 0.25 x" : "goal set for 3840x2160",
                serverPid > 0 ? "" : ", X server not counted");
    std::printf("  idle over %d s: program %.3f %% of a core", idleSeconds, idleProgramPercent);
    if (serverPid > 0)
        std::printf(", X server %.3f %%", idleServerPercent);
    std::printf(" (goal < 0.3 %%)\n");
    // Keeps the copies from being optimised away.
    if (target[frameBytes / 2] == 255)
        std::printf(" ");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const int steps = qEnvironmentVariableIntValue("BENCH_STEPS") > 0
                          ? qEnvironmentVariableIntValue("BENCH_STEPS")
                          : 400;
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0)
        return Measure(argc, argv, QString::fromLatin1(argv[2]).toLongLong(), steps);

    std::vector<QSize> sizes = {QSize(1920, 1080), QSize(3840, 2160)};
    if (argc > 2 && std::strcmp(argv[1], "--screen") == 0) {
        int w = 0, h = 0;
        std::sscanf(argv[2], "%dx%d", &w, &h);
        sizes = {QSize(w, h)};
    }
    QCoreApplication app(argc, argv);
    for (const QSize size : sizes) {
        bench::PrivateXServer server;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        qint64 serverPid = 0;
        if (server.Start(size)) {
            environment.insert(QStringLiteral("DISPLAY"), server.Display());
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
            serverPid = server.Pid();
        } else {
            std::printf("no Xvfb: the current display, the X server not counted\n");
        }
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QString::number(serverPid)});
        if (!child.waitForFinished(600000) || child.exitCode() != 0) {
            std::printf("measuring at %dx%d failed: %s\n", size.width(), size.height(),
                        child.readAllStandardError().constData());
            return 1;
        }
        std::fflush(stdout);
        if (serverPid == 0)
            break;
    }
    return 0;
}
