// Start-up time and memory against a bare window, measured in the same run.
//
// The reference is bench/ref/bare_window.cpp, built as its own executable
// (Qt Widgets alone, -O2): a frameless full-screen black label with one line
// of white text. Built with PortAudio it is the floor for memory.
//
//   bench_startup                  Xvfb screens of 1920x1080 and 3840x2160,
//                                  each without and with a sound server (a
//                                  private PulseAudio, when installed)
//   bench_startup --screen WxH     one screen size
//   bench_startup --once           one start of the program: prints
//                                  "app-ready start-up-done first-frame" in ms
//                                  since process start (warning answered at once)
//   bench_startup --once --steps   the same, then each step and the peak memory
//
// Figures per screen, medians of the runs:
//   window on screen  launch to the X server's map notice of the first
//                     window (the program's is the warning box), watched from
//                     outside; the program is the real executable
//   first frame       process start to the first painted frame of the bank,
//                     warning answered at once; the reference's first paint
//   peak memory       after the first frame, a short drag and a START

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainForm.h"
#include "game/StatusPanel.h"
#include "model/FaderModel.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/FontConfigWarmUp.h"
#include "platform/PortAudioWaveOut.h"
#include "platform/Random.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const auto ProcessStart = std::chrono::steady_clock::now();

double MsSinceProcessStart()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                     ProcessStart)
        .count();
}

double MsSinceProcessStart(std::chrono::steady_clock::time_point when)
{
    return std::chrono::duration<double, std::milli>(when - ProcessStart).count();
}

// Answers every box with its default button at once, noting when it came.
class AcceptingDialogs final : public Dialogs {
  public:
    std::vector<std::pair<QString, double>> boxes;
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        boxes.emplace_back(request.caption, MsSinceProcessStart());
        return request.defaultButton;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }
};

// Notes when things first happen to the main window and its paint box.
class Timeline final : public QObject {
  public:
    explicit Timeline(MainForm& form) : form_(form) {}
    double firstPaintMs = -1; // anything, the cover included
    double activatedMs = -1;
    double firstFrameMs = -1; // the bank
    bool quitAtFirstFrame = true;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &form_ && event->type() == QEvent::ActivationChange && activatedMs < 0 &&
            form_.isActiveWindow())
            activatedMs = MsSinceProcessStart();
        auto* view = qobject_cast<FaderView*>(watched);
        if (view && event->type() == QEvent::Paint) {
            if (firstPaintMs < 0)
                firstPaintMs = MsSinceProcessStart();
            if (firstFrameMs < 0 && view->Renderer().HasFaderImage() &&
                !view->Renderer().CoverShown) {
                // Timed when drawn, as the reference times its first paint.
                watched->event(event);
                firstFrameMs = MsSinceProcessStart();
                if (quitAtFirstFrame)
                    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                return true;
            }
        }
        return false;
    }

  private:
    MainForm& form_;
};

// A settings file and a remembered results file, as a player has them.
void WritePlayersFiles(const QString& dir)
{
    const QString results = dir + QStringLiteral("/Ergebnisse.HMD");
    QFile hmd(results);
    if (hmd.open(QIODevice::WriteOnly)) {
        BandArray bands{};
        for (int band = 0; band < BandCount; ++band) {
            SetBandLabel(bands[band], QString::fromLatin1(BandDefinitions[band].label));
            bands[band].Frequency = BandDefinitions[band].frequencyHz;
            bands[band].Finds = band;
            bands[band].Attempts = 2 * band;
            bands[band].FindTime = 1000 * band;
        }
        hmd.write(reinterpret_cast<const char*>(bands.data()), sizeof bands);
    }
    QFile inf(dir + QStringLiteral("/Heulmeister Pro.inf"));
    if (inf.open(QIODevice::WriteOnly))
        inf.write(
            "[Filter]\r\nLowCut=11\r\nHighcut=22\r\n[Audio]\r\nVolumen=-10\r\nSoundkarte=0\r\n"
            "[Spiel]\r\nSelektmode=1\r\nSoundStop=0\r\nZufallszeit=0\r\nStartZeit=0\r\n"
            "[Daten]\r\nDateiname=" +
            QFile::encodeName(results) + "\r\n");
}

// Some use after the first frame, so the peak memory is not just start-up's.
void PlayALittle(MainForm& form, const GameState& state)
{
    FaderView* view = form.findChild<FaderView*>();
    const FaderGeometry& g = view->Renderer().Geometry();
    auto at = [&](int fader, int level) {
        return QPointF((fader + 1.5) * g.ColumnWidth / view->devicePixelRatioF(),
                       (g.TrackTop + (12 - level) * g.StepPitch) / view->devicePixelRatioF());
    };
    form.findChild<StatusPanel*>()->pStart->click(); // a turn, drawn whole
    QCoreApplication::processEvents();
    const int fader = state.RingingBand == 14 ? 13 : 14;
    QMouseEvent press(QEvent::MouseButtonPress, at(fader, 0), view->mapToGlobal(at(fader, 0)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    for (int step = 0; step < 20; ++step) {
        const QPointF to = at(fader, step % 10);
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QCoreApplication::processEvents();
    }
}

int RunOnce(int argc, char* argv[], bool steps)
{
    const double mainMs = MsSinceProcessStart();
    // As the program does: the scan waits for the first thing drawn.
    const auto deviceScan =
        std::make_shared<PortAudioDeviceScan>(PortAudioDeviceScan::StartLater{});
    const auto startScan = [deviceScan] { deviceScan->Start(); };
    FontConfigWarmUp fontConfig;
    QApplication app(argc, argv);
    fontConfig.Finish();
    const double appReadyMs = MsSinceProcessStart();
    QTemporaryDir programDir;
    WritePlayersFiles(programDir.path());
    AcceptingDialogs dialogs;
    if (!MainForm::SafetyWarningAccepted(dialogs, startScan))
        return 1;
    SteadyMillisecondClock clock;
    StdRandomGenerator random;
    PortAudioWaveOut waveOut(deviceScan);
    GameSession session({dialogs, clock, random, waveOut});
    MainForm form(session, {programDir.path(), programDir.path(), {}});
    const double formBuiltMs = MsSinceProcessStart();
    Timeline timeline(form);
    form.installEventFilter(&timeline);
    form.findChild<FaderView*>()->installEventFilter(&timeline);
    QObject::connect(&form, &MainForm::firstFrameDrawn, &form, startScan);
    if (!form.StartUp(/*warningAccepted=*/true))
        return 1;
    const double startedMs = MsSinceProcessStart();
    form.ShowCoveringScreen();
    const double shownMs = MsSinceProcessStart();
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("%.1f %.1f %.1f\n", appReadyMs, startedMs, timeline.firstFrameMs);
    if (!steps)
        return timeline.firstFrameMs < 0 ? 1 : 0;

    deviceScan->Wait();
    std::printf("step main %.1f\n", mainMs);
    std::printf("step scan-started %.1f\n", MsSinceProcessStart(deviceScan->StartTime()));
    std::printf("step application %.1f\n", appReadyMs);
    std::printf("step main-form-built %.1f\n", formBuiltMs);
    for (const auto& [caption, ms] : dialogs.boxes)
        std::printf("step box-%s %.1f\n", qPrintable(QString(caption).replace(' ', '_')), ms);
    std::printf("step start-up-done %.1f\n", startedMs);
    std::printf("step window-shown %.1f\n", shownMs);
    std::printf("step first-paint %.1f\n", timeline.firstPaintMs);
    std::printf("step window-active %.1f\n", timeline.activatedMs);
    std::printf("step first-frame %.1f\n", timeline.firstFrameMs);
    std::printf("step scan-done %.1f\n", MsSinceProcessStart(deviceScan->FinishTime()));
    timeline.quitAtFirstFrame = false;
    PlayALittle(form, session.State());
    std::printf("rss-peak-kb %ld\n", bench::PeakRssKb());
    return timeline.firstFrameMs < 0 ? 1 : 0;
}

// The label size search of a resize in a fresh process, fonts not yet loaded,
// and once more with them loaded.
int RunLabelSearch(int argc, char* argv[], QSize size)
{
    QGuiApplication app(argc, argv);
    FaderRenderer renderer;
    QElapsedTimer timer;
    timer.start();
    renderer.FormResize(size, 96);
    const double coldMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    renderer.FormResize(size - QSize(1, 1), 96);
    const double warmMs = timer.nsecsElapsed() / 1e6;
    std::printf("%.2f %.2f %d\n", coldMs, warmMs, renderer.LabelFontSize());
    return 0;
}

struct ChildResult {
    bool ok = false;
    QByteArray output;
    QByteArray errorOutput;
    double mappedMs = -1; // launch to the first map notice
    std::int64_t launchNs = 0;
};

// Starts a child on `display`, noting when the X server maps its first
// window. `killAtMap`: stop it there (the real program waits at its warning).
ChildResult RunChild(const QString& display, const QProcessEnvironment& baseEnvironment,
                     const QString& program, const QStringList& arguments, bool killAtMap)
{
    ChildResult result;
    xcb_connection_t* x = nullptr;
    if (!display.isEmpty()) {
        x = xcb_connect(display.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(x)) {
            xcb_disconnect(x);
            x = nullptr;
        }
    }
    if (x) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(x);
        free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    }
    QProcess child;
    QProcessEnvironment environment = baseEnvironment;
    if (!display.isEmpty()) {
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    child.setProcessEnvironment(environment);
    result.launchNs = bench::MonotonicNs();
    child.start(program, arguments);
    if (!child.waitForStarted(10000)) {
        if (x)
            xcb_disconnect(x);
        return result;
    }
    if (x) {
        QElapsedTimer guard;
        guard.start();
        while (result.mappedMs < 0 && guard.elapsed() < 10000 &&
               child.state() == QProcess::Running) {
            xcb_generic_event_t* event = xcb_poll_for_event(x);
            if (!event) {
                QThread::usleep(200);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY)
                result.mappedMs = (bench::MonotonicNs() - result.launchNs) / 1e6;
            free(event);
        }
        xcb_disconnect(x);
    }
    if (killAtMap) {
        child.kill();
        child.waitForFinished(5000);
        result.ok = result.mappedMs >= 0;
        return result;
    }
    result.ok = child.waitForFinished(20000) && child.exitStatus() == QProcess::NormalExit &&
                child.exitCode() == 0;
    result.output = child.readAllStandardOutput();
    result.errorOutput = child.readAllStandardError();
    if (!result.ok)
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program),
                     qPrintable(arguments.join(' ')), result.errorOutput.constData());
    return result;
}

// "name value" lines of a child's output.
std::map<std::string, double> Values(const QByteArray& output, const char* prefix)
{
    std::map<std::string, double> values;
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        const QList<QByteArray> parts = line.mid(int(std::strlen(prefix))).trimmed().split(' ');
        if (parts.size() >= 2)
            values[parts.first().toStdString()] = parts.last().toDouble();
    }
    return values;
}

double ValueAfter(const QByteArray& output, const char* key)
{
    for (const QByteArray& line : output.split('\n'))
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).trimmed().toDouble();
    return -1;
}

void Report(const char* what, const std::vector<double>& program,
            const std::vector<double>& reference, const char* unit, double goal)
{
    const double p = bench::Median(program);
    const double r = bench::Median(reference);
    std::printf("  %-44s %8.1f %-3s vs %8.1f %-3s  = %5.2f x   (goal <= %.2f x)\n", what, p, unit,
                r, unit, r > 0 ? p / r : 0, goal);
}

// Peak memory a reference printed on exit: "VmHWM:   1234 kB", in MB.
double PeakMbOf(const QByteArray& errorOutput)
{
    for (const QByteArray& line : errorOutput.split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).simplified().split(' ').value(0).toDouble() / 1024;
    return -1;
}

int MeasureScreen(const QString& self, const QString& display, QSize size, int runs,
                  const bench::PrivatePulseServer& sound)
{
    const QString program = QStringLiteral(HEULMEISTER_BINARY);
    const QString bareWindow = QStringLiteral(BARE_WINDOW);
    const QString bareWindowPa = QStringLiteral(BARE_WINDOW_PA);
    const QProcessEnvironment environment =
        sound.Environment(QProcessEnvironment::systemEnvironment());
    std::vector<double> programMap, bareMap, programFrame, bareFrame, programRss, bareRss;
    std::map<std::string, std::vector<double>> steps;
    for (int run = 0; run < runs; ++run) {
        // Alternating, so a busy machine slows both alike.
        if (!display.isEmpty()) {
            const ChildResult warning = RunChild(display, environment, program, {}, true);
            const ChildResult bare = RunChild(display, environment, bareWindow, {}, true);
            if (warning.ok && bare.ok) {
                programMap.push_back(warning.mappedMs);
                bareMap.push_back(bare.mappedMs);
            }
        }
        const ChildResult once =
            RunChild(display, environment, self,
                     {QStringLiteral("--once"), QStringLiteral("--steps")}, false);
        const ChildResult bare = RunChild(display, environment, bareWindow, {}, false);
        const ChildResult bareAudio =
            RunChild(display, environment, bareWindowPa, {QStringLiteral("peak")}, false);
        if (!once.ok || !bare.ok || !bareAudio.ok)
            return 1;
        double app = 0, started = 0, frame = 0;
        std::sscanf(once.output.constData(), "%lf %lf %lf", &app, &started, &frame);
        programFrame.push_back(frame);
        bareFrame.push_back(bare.output.trimmed().toDouble());
        programRss.push_back(ValueAfter(once.output, "rss-peak-kb") / 1024);
        bareRss.push_back(PeakMbOf(bareAudio.errorOutput));
        for (const auto& [name, ms] : Values(once.output, "step "))
            steps[name].push_back(ms);
    }
    std::printf("screen %dx%d (%s), %s, %d runs, medians:\n", size.width(), size.height(),
                display.isEmpty() ? "no X server" : qPrintable(display),
                sound.Running() ? "sound server running" : "no sound server", runs);
    if (!programMap.empty())
        Report("launch to first window mapped (warning box)", programMap, bareMap, "ms", 1.5);
    Report("process start to first frame of the bank", programFrame, bareFrame, "ms", 1.5);
    Report("peak memory, reference with PortAudio", programRss, bareRss, "MB", 1.15);
    std::printf("  program's steps, ms since process start:\n");
    std::vector<std::pair<double, std::string>> ordered;
    for (const auto& [name, values] : steps)
        ordered.emplace_back(bench::Median(values), name);
    std::sort(ordered.begin(), ordered.end());
    for (const auto& [ms, name] : ordered)
        std::printf("    %-40s %8.1f\n", name.c_str(), ms);

    QProcess search;
    QProcessEnvironment searchEnvironment = environment;
    searchEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    search.setProcessEnvironment(searchEnvironment);
    search.start(self, {QStringLiteral("--label-search"),
                        QStringLiteral("%1x%2").arg(size.width()).arg(size.height())});
    if (search.waitForFinished(20000)) {
        double cold = 0, warm = 0;
        int fontSize = 0;
        std::sscanf(search.readAllStandardOutput().constData(), "%lf %lf %d", &cold, &warm,
                    &fontSize);
        std::printf("  label size search of a resize (size %d): %.2f ms in a fresh process, "
                    "%.2f ms with the fonts loaded\n",
                    fontSize, cold, warm);
    }
    return 0;
}

QSize ParseSize(const char* text)
{
    int w = 0, h = 0;
    std::sscanf(text, "%dx%d", &w, &h);
    return QSize(w, h);
}

} // namespace

int main(int argc, char* argv[])
{
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (arguments.value(0) == QLatin1String("--once"))
        return RunOnce(argc, argv, arguments.contains(QLatin1String("--steps")));
    if (arguments.value(0) == QLatin1String("--label-search") && argc > 2)
        return RunLabelSearch(argc, argv, ParseSize(argv[2]));

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    const int runs = qEnvironmentVariableIntValue("BENCH_RUNS") > 0
                         ? qEnvironmentVariableIntValue("BENCH_RUNS")
                         : 9;
    std::vector<QSize> sizes = {QSize(1920, 1080), QSize(3840, 2160)};
    if (arguments.value(0) == QLatin1String("--screen") && argc > 2)
        sizes = {ParseSize(argv[2])};
    for (const QSize size : sizes) {
        bench::PrivateXServer server;
        const bool xServer = server.Start(size);
        if (!xServer)
            std::printf("no Xvfb: measuring on the current display, without map times\n");
        const QString display = xServer ? server.Display() : QString();
        // Without a sound server, then with one: the scan meets different systems.
        for (const bool withSound : {false, true}) {
            bench::PrivatePulseServer sound;
            if (withSound && !sound.Start()) {
                std::printf("no PulseAudio: no figures with a sound server\n");
                continue;
            }
            if (MeasureScreen(self, display, size, runs, sound) != 0)
                return 1;
        }
        if (!xServer)
            break;
    }
    return 0;
}
