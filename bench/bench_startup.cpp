// Start-up time: from the process start to the first painted frame of the
// fader bank, with the warning answered at once. The real sound layer is
// used, so PortAudio's device scan is part of the figure. Runs itself ten
// times as a child process and prints each run and the median.
// Under Xvfb (DISPLAY set) it measures a real window; otherwise offscreen.

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainForm.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/PortAudioWaveOut.h"
#include "platform/Random.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

const auto ProcessStart = std::chrono::steady_clock::now();

double MsSinceProcessStart()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                     ProcessStart)
        .count();
}

class AcceptingDialogs final : public Dialogs {
  public:
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        return request.defaultButton;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }
};

// Notes the first paint of the paint box that shows the bank, not the cover.
class FirstFrameWatch final : public QObject {
  public:
    explicit FirstFrameWatch(MainForm& form) : form_(form) {}
    double firstFrameMs = -1;

  protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && firstFrameMs < 0 &&
            form_.Renderer().HasFaderImage() && !form_.Renderer().CoverShown) {
            firstFrameMs = MsSinceProcessStart();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    MainForm& form_;
};

int RunOnce(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const double appReadyMs = MsSinceProcessStart();
    QTemporaryDir programDir;
    AcceptingDialogs dialogs;
    SteadyMillisecondClock clock;
    StdRandomGenerator random;
    PortAudioWaveOut waveOut;
    MainForm form({dialogs, clock, random, waveOut, programDir.path(), programDir.path(), {}});
    FirstFrameWatch watch(form);
    form.Fader()->installEventFilter(&watch);
    if (!form.StartUp())
        return 1;
    const double startedMs = MsSinceProcessStart();
    form.ShowCoveringScreen();
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("%.1f %.1f %.1f\n", appReadyMs, startedMs, watch.firstFrameMs);
    return watch.firstFrameMs < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::string(argv[1]) == "--once")
        return RunOnce(argc, argv);

    QCoreApplication app(argc, argv);
    std::vector<double> frames;
    std::printf("platform: %s\n",
                qEnvironmentVariableIsSet("DISPLAY") &&
                        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")
                    ? "xcb"
                    : qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", "default")));
    std::printf("run  application ms  start-up done ms  first frame ms\n");
    for (int run = 1; run <= 10; ++run) {
        QElapsedTimer wall;
        wall.start();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        if (!child.waitForFinished(20000) || child.exitCode() != 0) {
            std::printf("run %d failed: %s\n", run, child.readAllStandardError().constData());
            return 1;
        }
        double appMs = 0, startedMs = 0, frameMs = 0;
        std::sscanf(child.readAllStandardOutput().constData(), "%lf %lf %lf", &appMs, &startedMs,
                    &frameMs);
        frames.push_back(frameMs);
        std::printf("%3d  %14.1f  %16.1f  %14.1f\n", run, appMs, startedMs, frameMs);
    }
    std::sort(frames.begin(), frames.end());
    std::printf("median first frame: %.1f ms after process start\n", (frames[4] + frames[5]) / 2);
    return 0;
}
