// Figures for the tone output:
//  - the time to fill one block of 24000 samples (the refill that runs in the
//    buffer-done handler on the GUI thread; it must stay far below 500 ms),
//    plain and with each training option of a turn, plus what those options
//    cost at START and the decoding of a music file;
//  - the time from StartToneOutput to the first samples handed to PortAudio
//    by the device's writer thread (device start-up latency of our side, not
//    of the sound card). Measured on the ALSA file sink of the tests unless
//    HEULMEISTER_BENCH_DEVICE names another device.

#include "audio/ToneOutput.h"
#include "audio/ToneSynthesis.h"
#include "audio/TrainingSound.h"
#include "model/GameState.h"
#include "platform/Dialogs.h"
#include "platform/PortAudioWaveOut.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
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

// A minute of two sines, 44.1 kHz stereo 16-bit WAV, written by hand so the
// benchmark needs no encoder.
QString WriteMusicFile(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("bench.wav"));
    constexpr std::uint32_t rate = 44100, frames = 60 * rate, bytes = frames * 4;
    QByteArray data;
    const auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            data.append(char((value >> (8 * i)) & 0xFF));
    };
    data.append("RIFF");
    put(36 + bytes, 4);
    data.append("WAVEfmt ");
    put(16, 4), put(1, 2), put(2, 2), put(rate, 4), put(rate * 4, 4), put(4, 2), put(16, 2);
    data.append("data");
    put(bytes, 4);
    for (std::uint32_t n = 0; n < frames; ++n) {
        const double t = double(n) / rate;
        put(std::uint16_t(std::int16_t(8000 * std::sin(2 * std::numbers::pi * 330 * t))), 2);
        put(std::uint16_t(std::int16_t(4000 * std::sin(2 * std::numbers::pi * 2500 * t))), 2);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return {};
    return path;
}

// One way of filling a block: the specified tone, or a turn's tone with
// some of the training options.
struct FillVariant {
    const char* name;
    std::int32_t swell = 0, bed = BedNone;
    TrainingSettings settings{};
    std::unique_ptr<TrainingSound> sound{};
    ToneSynthesis tone{};
    std::vector<double> micros{};
    double startMs = 0.0;
    int fills = 0;
};

void BenchFill()
{
    FillVariant variants[] = {{"as specified"},
                              {"Anschwellen", 1, BedNone},
                              {"Rosa Rauschen", 0, BedPinkNoise},
                              {"Musik", 0, BedMusic},
                              {"Anschwellen + Rosa Rauschen", 1, BedPinkNoise},
                              {"Anschwellen + Musik", 1, BedMusic}};
    QTemporaryDir dir;
    const QString music = WriteMusicFile(dir);
    double decodeMs = 0.0;
    for (std::size_t v = 1; v < std::size(variants); ++v) {
        FillVariant& variant = variants[v];
        variant.settings.Anschwellen = variant.swell;
        variant.settings.Hintergrund = variant.bed;
        variant.settings.Musik = music;
        variant.sound = std::make_unique<TrainingSound>(variant.settings);
        if (variant.bed == BedMusic) {
            const auto decodeStart = Clock::now();
            QEventLoop loop;
            QObject::connect(&variant.sound->Music(), &MusicBedLoader::ready, &loop,
                             &QEventLoop::quit);
            QObject::connect(&variant.sound->Music(), &MusicBedLoader::failed, &loop,
                             &QEventLoop::quit);
            variant.sound->Music().Load(music);
            loop.exec();
            decodeMs =
                std::chrono::duration<double, std::milli>(Clock::now() - decodeStart).count();
        }
        // START of a second turn, as in a game: pink noise is rendered ahead
        // while the first one plays.
        variant.sound->StartTone(true);
        QThread::msleep(300);
        const auto startAt = Clock::now();
        if (!variant.sound->StartTone(true))
            std::printf("%s: the tone is not shaped\n", variant.name);
        variant.startMs = std::chrono::duration<double, std::milli>(Clock::now() - startAt).count();
    }
    for (FillVariant& variant : variants)
        variant.tone.StartTone(1106.8536);

    // Round robin, so that every variant sees the same load on this shared machine.
    std::vector<std::int16_t> block(BlockSamples);
    for (int round = 0; round < 220; ++round) {
        for (FillVariant& variant : variants) {
            // The swell lasts four blocks; start it again (untimed) so every fill swells.
            if (variant.swell && ++variant.fills % 4 == 0)
                variant.sound->StartTone(true);
            const auto start = Clock::now();
            if (variant.sound)
                variant.sound->FillToneBlock(block.data(), variant.tone);
            else
                variant.tone.FillToneBlock(block.data());
            const double us =
                std::chrono::duration<double, std::micro>(Clock::now() - start).count();
            if (round >= 20) // the first rounds warm caches and clocks
                variant.micros.push_back(us);
        }
    }
    const double reference = Median(variants[0].micros);
    std::printf("Fill of one block of %d samples (200 runs each, interleaved), median / min:\n",
                BlockSamples);
    for (const FillVariant& variant : variants) {
        std::printf("  %-28s %6.0f us / %6.0f us", variant.name, Median(variant.micros),
                    *std::min_element(variant.micros.begin(), variant.micros.end()));
        if (!variant.sound)
            std::printf("  (reference)\n");
        else
            std::printf("  (%.2fx the reference; START %.2f ms)\n",
                        Median(variant.micros) / reference, variant.startMs);
    }
    std::printf("Decoding a 60 s stereo 44.1 kHz WAV to the music bed: %.0f ms (worker thread)\n",
                decodeMs);
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
        tone.PrepareTone(1000.0, ToneKind::Plain);
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
