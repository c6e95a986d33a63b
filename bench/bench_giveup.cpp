// How long giving up a turn holds the GUI thread: StopTone at a range of
// moments after StartToneOutput, on a sound output that keeps real time (a
// private PulseAudio null sink; the benchmark runs itself under
// tests/e2e/with-paced-sound.sh). Goal: under 50 ms, so the window never
// stalls. Beside it, from the same run: one event-loop round trip and one
// copy of a 1920x1080 frame.

#include "BenchSupport.h"
#include "audio/ToneOutput.h"
#include "model/GameState.h"
#include "platform/Dialogs.h"
#include "platform/PortAudioWaveOut.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr double GoalMs = 50;
constexpr int Runs = 8;

class CountingDialogs final : public Dialogs {
  public:
    int boxes = 0;
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        ++boxes;
        std::fprintf(stderr, "box \"%s\": %s\n", qPrintable(request.caption),
                     qPrintable(request.text));
        return DialogResult::Ok;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }
};

double MsSince(std::int64_t startNs)
{
    return double(bench::MonotonicNs() - startNs) / 1e6;
}

void RunEventLoopFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    while (timer.elapsed() < ms);
}

double EventLoopRoundTripMs()
{
    std::vector<double> samples;
    QObject target;
    for (int i = 0; i < 200; ++i) {
        bool arrived = false;
        const std::int64_t start = bench::MonotonicNs();
        QMetaObject::invokeMethod(
            &target, [&] { arrived = true; }, Qt::QueuedConnection);
        while (!arrived)
            QCoreApplication::processEvents();
        samples.push_back(MsSince(start));
    }
    return bench::Median(samples);
}

double FrameCopyMs()
{
    std::vector<std::uint32_t> from(1920 * 1080, 0x00808080), to(from.size());
    std::vector<double> samples;
    for (int i = 0; i < 50; ++i) {
        const std::int64_t start = bench::MonotonicNs();
        std::memcpy(to.data(), from.data(), from.size() * 4);
        samples.push_back(MsSince(start));
        from[i] = to[i + 1]; // keep the copies from being folded away
    }
    return bench::Median(samples);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("HEULMEISTER_PACED_CAPTURE")) {
        // Again, under a sound server of its own.
        const QString script = QFileInfo(QStringLiteral(__FILE__))
                                   .dir()
                                   .filePath(QStringLiteral("../tests/e2e/with-paced-sound.sh"));
        QProcess self;
        self.setProcessChannelMode(QProcess::ForwardedChannels);
        self.start(QStringLiteral("bash"), {script, QCoreApplication::applicationFilePath()});
        self.waitForFinished(-1);
        return self.exitCode();
    }

    PortAudioWaveOut wave;
    int device = -1;
    for (std::uint32_t d = 0; d < wave.DeviceCount(); ++d) {
        QString name;
        wave.ProductName(d, name);
        if (name == QStringLiteral("default"))
            device = static_cast<int>(d);
    }
    if (device < 0) {
        std::printf("no \"default\" sound device\n");
        return 1;
    }
    GameState state;
    state.SoundCardId = device;
    CountingDialogs dialogs;
    ToneOutput tone(state, wave, dialogs);

    std::printf("StopTone after StartToneOutput on a paced sink, %d runs each (goal %.0f ms)\n",
                Runs, GoalMs);
    std::vector<double> all;
    for (const int afterMs : {0, 50, 100, 250, 600}) {
        std::vector<double> stopMs, startMs;
        for (int run = 0; run < Runs; ++run) {
            std::int64_t start = bench::MonotonicNs();
            tone.PrepareTone(1000.0, ToneKind::Plain);
            tone.StartToneOutput();
            startMs.push_back(MsSince(start));
            RunEventLoopFor(afterMs);
            start = bench::MonotonicNs();
            tone.StopTone();
            stopMs.push_back(MsSince(start));
            RunEventLoopFor(250);
        }
        all.insert(all.end(), stopMs.begin(), stopMs.end());
        std::printf("  given up %3d ms after the start: StopTone median %7.2f ms, max %7.2f ms"
                    "   (start: median %6.2f ms)\n",
                    afterMs, bench::Median(stopMs), *std::max_element(stopMs.begin(), stopMs.end()),
                    bench::Median(startMs));
    }
    std::printf("StopTone over all runs: median %.2f ms, max %.2f ms; message boxes: %d\n",
                bench::Median(all), *std::max_element(all.begin(), all.end()), dialogs.boxes);
    std::printf(
        "reference, same run: event-loop round trip %.4f ms, 1920x1080 frame copy %.3f ms\n",
        EventLoopRoundTripMs(), FrameCopyMs());
    return 0;
}
