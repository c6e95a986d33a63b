// Figures for the tone output:
//  - the time to fill one block of 24000 samples (the refill that runs in the
//    buffer-done handler on the GUI thread; it must stay far below 500 ms);
//  - the time from StartToneOutput to the first samples handed to PortAudio
//    by the device's writer thread (device start-up latency of our side, not
//    of the sound card). Measured on the ALSA file sink of the tests unless
//    HEULMEISTER_BENCH_DEVICE names another device.

#include "audio/ToneOutput.h"
#include "audio/ToneSynthesis.h"
#include "model/GameState.h"
#include "platform/Dialogs.h"
#include "platform/PortAudioWaveOut.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class SilentDialogs final : public Dialogs {
  public:
    DialogResult MessageBox(const MessageBoxRequest& request) override
    {
        std::fprintf(stderr, "box \"%s\": %s\n", qPrintable(request.caption),
                     qPrintable(request.text));
        return DialogResult::Ok;
    }
    QString OpenFileName(const FileDialogRequest&) override { return {}; }
    QString SaveFileName(const FileDialogRequest&) override { return {}; }
};

void BenchFill()
{
    ToneSynthesis tone;
    tone.StartTone(1106.8536);
    std::vector<std::int16_t> block(BlockSamples);
    std::vector<double> micros;
    for (int i = 0; i < 200; ++i) {
        const auto start = Clock::now();
        tone.FillToneBlock(block.data());
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::printf("FillToneBlock, %d samples: median %.0f us, min %.0f us (200 runs)\n", BlockSamples,
                Median(micros), *std::min_element(micros.begin(), micros.end()));
}

void BenchStart()
{
    const QString deviceName = qEnvironmentVariableIsSet("HEULMEISTER_BENCH_DEVICE")
                                   ? qEnvironmentVariable("HEULMEISTER_BENCH_DEVICE")
                                   : QStringLiteral("hmcapture");
    if (!qEnvironmentVariableIsSet("HEULMEISTER_BENCH_DEVICE")) {
        // The source tree's test configuration, found from this file's path.
        const QString config = QFileInfo(QStringLiteral(__FILE__))
                                   .dir()
                                   .filePath(QStringLiteral("../tests/data/alsa/asound.conf"));
        qputenv("ALSA_CONFIG_PATH", QFile::encodeName(config));
        qputenv("HEULMEISTER_CAPTURE",
                QFile::encodeName(QDir::temp().filePath(QStringLiteral("bench_tone_capture.raw"))));
    }
    PortAudioWaveOut wave;
    int device = -1;
    for (std::uint32_t d = 0; d < wave.DeviceCount(); ++d) {
        QString name;
        wave.ProductName(d, name);
        if (name == deviceName)
            device = static_cast<int>(d);
    }
    if (device < 0) {
        std::printf("StartToneOutput to first write: device \"%s\" not found\n",
                    qPrintable(deviceName));
        return;
    }
    GameState state;
    state.SoundCardId = device;
    SilentDialogs dialogs;
    ToneOutput tone(state, wave, dialogs);
    std::vector<double> millis;
    for (int i = 0; i < 20; ++i) {
        tone.PrepareTone(1000.0);
        const auto start = Clock::now();
        tone.StartToneOutput();
        QDeadlineTimer guard(5000);
        while (!wave.FirstWriteTime(tone.CurrentWaveHandle()) && !guard.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const auto first = wave.FirstWriteTime(tone.CurrentWaveHandle());
        if (first)
            millis.push_back(std::chrono::duration<double, std::milli>(*first - start).count());
        tone.StopTone();
    }
    if (millis.empty())
        return;
    std::printf("StartToneOutput to first samples handed to PortAudio (%s): median %.3f ms, "
                "max %.3f ms (%zu runs)\n",
                qPrintable(deviceName), Median(millis),
                *std::max_element(millis.begin(), millis.end()), millis.size());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchFill();
    BenchStart();
    return 0;
}
