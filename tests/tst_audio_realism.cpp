// The training options of a turn's sound, heard through the scripted wave
// device: the swell, the pink noise and music beds under the tone, their
// level and spectrum, the mix that never wraps, and the game exactly as it
// was with both options off.

#include "audio/MusicBedLoader.h"
#include "audio/SwellEnvelope.h"
#include "audio/ToneOutput.h"
#include "audio/TrainingSound.h"
#include "game/MainMenu.h"
#include "game/TrainingMenu.h"
#include "model/GameState.h"
#include "session/GameFlow.h"
#include "support/FakeWaveOut.h"
#include "support/GameHarness.h"
#include "support/ScriptedDialogs.h"
#include "support/SoundFiles.h"
#include "support/ToneRig.h"
#include "support/Watchdog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;

// The phase of each sample of a tone, walked as the game walks it: 2 pi and
// the step at extended precision, the phase stored as a double, reduced
// before the sample.
std::vector<double> TonePhases(double frequencyHz, std::size_t count)
{
    constexpr long double twoPi = 6.283185307179586477L;
    const double step = static_cast<double>(twoPi * frequencyHz / 48000);
    std::vector<double> phases(count);
    double phase = 0.0;
    for (double& p : phases) {
        if (phase > twoPi)
            phase = static_cast<double>(phase - twoPi);
        p = phase;
        phase = static_cast<double>(static_cast<long double>(phase) + step);
    }
    return phases;
}

Samples PlainTone(double frequencyHz, std::size_t count)
{
    Samples samples;
    for (const double phase : TonePhases(frequencyHz, count))
        samples.push_back(static_cast<std::int16_t>(std::nearbyint(16384.0 * std::sin(phase))));
    return samples;
}

// The swell as the player is promised it: -40 dB, 20 dB per second, full
// level from two seconds on.
double PromisedSwellGain(std::size_t n)
{
    const double db = std::min(0.0, -40.0 + 20.0 * static_cast<double>(n) / 48000.0);
    return std::pow(10.0, db / 20.0);
}

// What is left of `played` once the tone (with or without the swell) is
// taken away: the bed, to within half a step of rounding.
std::vector<double> Bed(const Samples& played, double frequencyHz, bool swell)
{
    const std::vector<double> phases = TonePhases(frequencyHz, played.size());
    std::vector<double> bed(played.size());
    for (std::size_t n = 0; n < played.size(); ++n)
        bed[n] = played[n] - 16384.0 * (swell ? PromisedSwellGain(n) : 1.0) * std::sin(phases[n]);
    return bed;
}

double Rms(const std::vector<double>& x, std::size_t from, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t n = from; n < from + count; ++n)
        sum += x[n] * x[n];
    return std::sqrt(sum / static_cast<double>(count));
}

double Db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

void Fft(std::vector<std::complex<double>>& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * std::numbers::pi / len);
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Welch's power spectrum (Hann windows, half overlap), bin k at k*48000/size.
std::vector<double> PowerSpectrum(const std::vector<double>& x, std::size_t from, std::size_t count,
                                  std::size_t size)
{
    std::vector<double> power(size / 2, 0.0);
    std::vector<std::complex<double>> frame(size);
    for (std::size_t start = from; start + size <= from + count; start += size / 2) {
        for (std::size_t i = 0; i < size; ++i)
            frame[i] = x[start + i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size));
        Fft(frame);
        for (std::size_t k = 0; k < size / 2; ++k)
            power[k] += std::norm(frame[k]);
    }
    return power;
}

// Amplitude of the component of `x` at `frequencyHz` (Hann-windowed DFT).
double AmplitudeAt(const std::vector<double>& x, std::size_t from, std::size_t count,
                   double frequencyHz)
{
    std::complex<double> sum = 0.0;
    double windowSum = 0.0;
    const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * frequencyHz / 48000);
    std::complex<double> rotor = 1.0;
    for (std::size_t i = 0; i < count; ++i, rotor *= step) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / count);
        sum += x[from + i] * w * rotor;
        windowSum += w;
    }
    return 2.0 * std::abs(sum) / windowSum;
}

// The frequency of the strongest component within 2 Hz of `nearHz`.
double PeakFrequency(const std::vector<double>& x, std::size_t from, std::size_t count,
                     double nearHz)
{
    double best = nearHz;
    for (double step : {0.05, 0.002}) {
        const double centre = best;
        double bestAmplitude = -1.0;
        const double span = step == 0.05 ? 2.0 : 0.05;
        for (double f = centre - span; f <= centre + span; f += step) {
            const double a = AmplitudeAt(x, from, count, f);
            if (a > bestAmplitude) {
                bestAmplitude = a;
                best = f;
            }
        }
    }
    return best;
}

// ToneOutput on the scripted device, with the training options beside it.
struct Rig : ToneRig {
    TrainingSound sound{state.Training};

    explicit Rig(bool attach = true)
    {
        if (attach)
            tone.SetTrainingSound(&sound);
    }

    // Chooses `path` as the bed and starts decoding it.
    void ChooseMusic(const QString& path)
    {
        state.Training.Hintergrund = BedMusic;
        state.Training.Musik = path;
        sound.Music().Load(path);
    }
    // The same, and waits until the music can play.
    bool LoadMusic(const QString& path)
    {
        QSignalSpy ready(&sound.Music(), &MusicBedLoader::ready);
        ChooseMusic(path);
        return ready.wait(30000);
    }

    // Starts a tone and lets the device play `blocks` blocks of it.
    Samples Play(double frequencyHz, int blocks)
    {
        const std::size_t before = wave.played().size();
        tone.StopTone();
        Start(frequencyHz);
        for (int b = 0; b < blocks; ++b) {
            wave.FinishNextBlock();
            QCoreApplication::processEvents(); // the refill
        }
        return Samples(wave.played().begin() + static_cast<std::ptrdiff_t>(before),
                       wave.played().end());
    }
};

const double ToneFullRms = 16384.0 / std::sqrt(2.0);

// Stands in for a file on a stalled network share: the decoding of `slowPath`
// waits until the gate opens.
struct DecodeGate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::atomic<bool> slowDecodeReturned{false};

    // True when it was still shut.
    bool Open()
    {
        const std::lock_guard lock(mutex);
        const bool wasShut = !open;
        open = true;
        opened.notify_all();
        return wasShut;
    }

    static MusicBedLoader::Decoder Slow(const std::shared_ptr<DecodeGate>& gate,
                                        const QString& slowPath)
    {
        return [gate, slowPath](const QString& path, const std::atomic<bool>& cancelled) {
            if (path != slowPath)
                return DecodeMusicBed(path, cancelled);
            {
                std::unique_lock lock(gate->mutex);
                gate->opened.wait(lock, [&] { return gate->open; });
            }
            MusicBedResult result = DecodeMusicBed(path, cancelled);
            gate->slowDecodeReturned = true;
            return result;
        };
    }
};

} // namespace

class TestAudioRealism : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

  private slots:
    void swellFollowsItsFormulaInEverySample_data()
    {
        QTest::addColumn<double>("frequencyHz");
        QTest::newRow("1000 Hz") << 1000.0;
        QTest::newRow("lowest tone, 28.6436 Hz") << 28.6436;
        QTest::newRow("highest tone, 13994.0458 Hz") << 13994.0458;
    }

    void swellFollowsItsFormulaInEverySample()
    {
        QFETCH(double, frequencyHz);
        Rig rig;
        rig.state.Training.Anschwellen = 1;
        // Six blocks: the two rendered before the start, four refills, and
        // the full level reached at the start of the fifth.
        const Samples played = rig.Play(frequencyHz, 6);
        QCOMPARE(played.size(), std::size_t(6 * BlockSamples));
        const std::vector<double> phases = TonePhases(frequencyHz, played.size());
        for (std::size_t n = 0; n < played.size(); ++n) {
            const double exact = 16384.0 * PromisedSwellGain(n) * std::sin(phases[n]);
            if (std::abs(played[n] - exact) > 0.5 + 1e-6)
                QFAIL(qPrintable(QStringLiteral("sample %1: %2, formula %3")
                                     .arg(n)
                                     .arg(played[n])
                                     .arg(exact, 0, 'f', 4)));
        }
        // From two seconds on it is the tone as specified, bit for bit.
        const Samples plain = PlainTone(frequencyHz, played.size());
        QVERIFY(
            std::equal(played.begin() + SwellSamples, played.end(), plain.begin() + SwellSamples));
    }

    void swellGainWalksWithoutDrift()
    {
        // The envelope's running product against the closed form, over the
        // whole rise and past it, in blocks as the refill takes them.
        SwellEnvelope envelope;
        envelope.Restart();
        for (std::int64_t n = 0; n < SwellSamples + BlockSamples;) {
            envelope.StartBlock();
            for (int i = 0; i < BlockSamples; ++i, ++n) {
                const double gain = envelope.NextGain();
                if (std::abs(gain / PromisedSwellGain(static_cast<std::size_t>(n)) - 1.0) > 1e-9)
                    QFAIL(qPrintable(QStringLiteral("sample %1: gain %2").arg(n).arg(gain)));
            }
        }
    }

    void bothOptionsOffPlayTheSpecifiedSamples_data()
    {
        QTest::addColumn<bool>("attached");
        QTest::addColumn<ToneKind>("kind");
        QTest::addColumn<double>("frequencyHz");
        QTest::newRow("no options object, turn") << false << ToneKind::Turn << 1000.0;
        QTest::newRow("options off, turn, 1000 Hz") << true << ToneKind::Turn << 1000.0;
        QTest::newRow("options off, turn, 39.1051 Hz") << true << ToneKind::Turn << 39.1051;
        QTest::newRow("options off, turn, 11328.4297 Hz") << true << ToneKind::Turn << 11328.4297;
        QTest::newRow("options off, plain tone") << true << ToneKind::Plain << 800.0;
    }

    void bothOptionsOffPlayTheSpecifiedSamples()
    {
        QFETCH(bool, attached);
        QFETCH(ToneKind, kind);
        QFETCH(double, frequencyHz);
        Rig rig(attached);
        rig.kind = kind;
        const Samples played = rig.Play(frequencyHz, 5);
        QCOMPARE(played.front(), std::int16_t(0));
        QVERIFY(played == PlainTone(frequencyHz, played.size()));
        // A second tone starts again at phase 0, still plain.
        const Samples again = rig.Play(frequencyHz, 3);
        QVERIFY(again == PlainTone(frequencyHz, again.size()));
    }

    // Which of the game's tones is a turn's, the game's tests check.
    void onlyTurnTonesAreShaped()
    {
        Rig rig;
        rig.state.Training.Anschwellen = 1;
        rig.state.Training.Hintergrund = BedPinkNoise;
        rig.kind = ToneKind::Plain;
        const Samples played = rig.Play(1000.0, 4);
        QVERIFY(played == PlainTone(1000.0, played.size()));
        // The same options do shape a turn's tone.
        rig.kind = ToneKind::Turn;
        const Samples turn = rig.Play(1000.0, 2);
        QVERIFY(turn != PlainTone(1000.0, turn.size()));
    }

    void pinkNoiseBedLevelAndSpectrum_data()
    {
        QTest::addColumn<bool>("swell");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("under the steady tone") << false << 1u;
        QTest::newRow("under the swelling tone") << true << 2026u;
    }

    void pinkNoiseBedLevelAndSpectrum()
    {
        QFETCH(bool, swell);
        QFETCH(quint32, seed);
        Rig rig;
        rig.state.Training.Anschwellen = swell ? 1 : 0;
        rig.state.Training.Hintergrund = BedPinkNoise;
        rig.sound.SetPinkNoiseSeed(seed);
        // One whole loop of the noise, from one second in.
        const std::size_t loop = PinkNoiseLoopSamples - LoopCrossfadeSamples;
        const std::size_t from = SampleRate;
        const int blocks = static_cast<int>((from + loop) / BlockSamples) + 1;
        const std::vector<double> bed = Bed(rig.Play(1000.0, blocks), 1000.0, swell);

        // 20 dB below the tone's full RMS.
        QVERIFY2(std::abs(Db(ToneFullRms / Rms(bed, from, loop)) - 20.0) < 0.05,
                 qPrintable(QString::number(Db(ToneFullRms / Rms(bed, from, loop)))));

        // Equal power in every octave from 50 Hz to 16 kHz: -3 dB per octave.
        constexpr std::size_t size = 16384;
        const std::vector<double> power = PowerSpectrum(bed, from, loop, size);
        const double binHz = 48000.0 / size;
        QList<double> octaveDb;
        for (double low = 50.0; low < 16000.0; low *= 2) {
            const double high = std::min(low * 2, 16000.0);
            double sum = 0.0;
            for (auto k = static_cast<std::size_t>(std::ceil(low / binHz)); k * binHz < high; ++k)
                sum += power[k];
            octaveDb << 10 * std::log10(sum / std::log2(high / low));
        }
        const double mean =
            std::accumulate(octaveDb.begin(), octaveDb.end(), 0.0) / octaveDb.size();
        for (int b = 0; b < octaveDb.size(); ++b)
            QVERIFY2(std::abs(octaveDb[b] - mean) < 1.0,
                     qPrintable(QStringLiteral("octave from %1 Hz: %2 dB off")
                                    .arg(50 << b)
                                    .arg(octaveDb[b] - mean)));
    }

    void pinkNoiseIsNewEveryTurn()
    {
        Rig rig;
        rig.state.Training.Hintergrund = BedPinkNoise;
        const std::vector<double> first = Bed(rig.Play(1000.0, 2), 1000.0, false);
        const std::vector<double> second = Bed(rig.Play(1000.0, 2), 1000.0, false);
        // Both at the bed's level, and unrelated to each other.
        QVERIFY(std::abs(Db(ToneFullRms / Rms(first, 2000, 40000)) - 20.0) < 1.0);
        QVERIFY(std::abs(Db(ToneFullRms / Rms(second, 2000, 40000)) - 20.0) < 1.0);
        double cross = 0.0;
        for (std::size_t n = 2000; n < 42000; ++n)
            cross += first[n] * second[n];
        const double correlation =
            cross / 40000 / Rms(first, 2000, 40000) / Rms(second, 2000, 40000);
        QVERIFY2(std::abs(correlation) < 0.2, qPrintable(QString::number(correlation)));
    }

    void musicFileComesBackAtItsFrequenciesAndLevel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("levelToleranceDb");
        QTest::newRow("WAV, 44.1 kHz")
            << "sines.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 0.1;
        QTest::newRow("FLAC, 44.1 kHz")
            << "sines.flac" << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 44100 << 0.1;
        QTest::newRow("Ogg Vorbis, 44.1 kHz")
            << "sines.ogg" << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 44100 << 0.3;
        QTest::newRow("WAV, 48 kHz, nothing to resample")
            << "sines48.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 48000 << 0.1;
    }

    void musicFileComesBackAtItsFrequenciesAndLevel()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(double, levelToleranceDb);
        const QString path = dir_.filePath(name);
        QVERIFY(WriteTwoSines(path, format, rate, 8.0, 330.0, 0.5, 2500.0, 0.25));

        Rig rig;
        QVERIFY(rig.LoadMusic(path));

        const std::vector<double> bed = Bed(rig.Play(1000.0, 12), 1000.0, false);
        const std::size_t from = SampleRate, count = 4 * SampleRate;
        QVERIFY2(std::abs(Db(ToneFullRms / Rms(bed, from, count)) - 20.0) < levelToleranceDb,
                 qPrintable(QString::number(Db(ToneFullRms / Rms(bed, from, count)))));
        // Left and right in the mono mix keep their ratio of 2 to 1.
        const double totalPeak = std::sqrt(2.0) * ToneFullRms / 10.0;
        const struct {
            double hz, amplitude;
        } components[] = {{330.0, totalPeak * 2 / std::sqrt(5.0)},
                          {2500.0, totalPeak / std::sqrt(5.0)}};
        for (const auto& c : components) {
            const double found = PeakFrequency(bed, from, count, c.hz);
            QVERIFY2(std::abs(found - c.hz) < 0.01,
                     qPrintable(QStringLiteral("%1 Hz came back at %2 Hz").arg(c.hz).arg(found)));
            const double amplitude = AmplitudeAt(bed, from, count, c.hz);
            QVERIFY2(std::abs(Db(amplitude / c.amplitude)) < levelToleranceDb,
                     qPrintable(QStringLiteral("%1 Hz off by %2 dB")
                                    .arg(c.hz)
                                    .arg(Db(amplitude / c.amplitude))));
        }
    }

    void musicLoopsWithoutAClick()
    {
        // 2.013 s: neither sine ends on a whole cycle, so a plain jump from
        // the end back to the start would break both.
        const QString path = dir_.filePath(QStringLiteral("short.wav"));
        QVERIFY(WriteTwoSines(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2.013, 330.0, 0.5,
                              2500.0, 0.25));
        Rig rig;
        QVERIFY(rig.LoadMusic(path));
        const std::vector<double> bed = Bed(rig.Play(1000.0, 24), 1000.0, false);
        // A click is a kink: the second difference of the music itself,
        // away from any seam, bounds it across six seams.
        const auto kink = [&](std::size_t n) {
            return std::abs(bed[n + 1] - 2 * bed[n] + bed[n - 1]);
        };
        double musicKink = 0.0;
        for (std::size_t n = SampleRate / 2; n < SampleRate; ++n)
            musicKink = std::max(musicKink, kink(n));
        for (std::size_t n = BedFadeInSamples + 1; n + 1 < bed.size(); ++n)
            if (kink(n) > 2 * musicKink + 4)
                QFAIL(qPrintable(QStringLiteral("kink of %1 at sample %2 (music: %3)")
                                     .arg(kink(n))
                                     .arg(n)
                                     .arg(musicKink)));
    }

    void startNeverWaitsForTheMusic()
    {
        const QString path = dir_.filePath(QStringLiteral("wait.wav"));
        QVERIFY(WriteTwoSines(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 3.0, 330.0, 0.5,
                              2500.0, 0.25));
        Rig rig;
        QSignalSpy ready(&rig.sound.Music(), &MusicBedLoader::ready);
        rig.ChooseMusic(path);
        // A turn that starts while the file is decoded plays at once, plain.
        QVERIFY(rig.sound.Music().Loading());
        QVERIFY(!rig.sound.StartTone(true));
        // The next turn after the decoding has its bed.
        QVERIFY(ready.wait(30000));
        const std::vector<double> bed = Bed(rig.Play(1000.0, 2), 1000.0, false);
        QVERIFY(std::abs(Db(ToneFullRms / Rms(bed, 2000, 40000)) - 20.0) < 0.5);
    }

    // Neither a newer file nor the end of the program waits for a decoding
    // that hangs; its result, when it comes, is dropped.
    void slowDecodeIsNeverWaitedFor_data()
    {
        QTest::addColumn<bool>("loaderGoes");
        QTest::newRow("another file chosen") << false;
        QTest::newRow("the program ends") << true;
    }

    void slowDecodeIsNeverWaitedFor()
    {
        QFETCH(bool, loaderGoes);
        const QString slow = dir_.filePath(QStringLiteral("share.wav"));
        const QString quick = dir_.filePath(QStringLiteral("local.wav"));
        for (const QString& path : {slow, quick})
            QVERIFY(WriteTwoSines(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2.0, 330.0, 0.5,
                                  2500.0, 0.25));
        const auto gate = std::make_shared<DecodeGate>();
        // Frees the test should the loader wait for the slow decoding.
        const Watchdog watchdog(5000, [gate] { return gate->Open(); });
        auto loader = std::make_unique<MusicBedLoader>(nullptr, DecodeGate::Slow(gate, slow));
        QSignalSpy ready(loader.get(), &MusicBedLoader::ready);
        QSignalSpy failed(loader.get(), &MusicBedLoader::failed);

        loader->Load(slow);
        if (loaderGoes) {
            loader.reset();
        } else {
            loader->Load(quick);
            QVERIFY(ready.wait(30000));
            QCOMPARE(ready.takeFirst().constFirst().toString(), quick);
        }
        QVERIFY(!watchdog.Fired());

        gate->Open();
        QTRY_VERIFY_WITH_TIMEOUT(gate->slowDecodeReturned.load(), 30000);
        QTest::qWait(50); // a result on its way would arrive now
        QCOMPARE(ready.size(), 0);
        QCOMPARE(failed.size(), 0);
        if (loader)
            QCOMPARE(loader->BedPath(), quick);
    }

    void loudPeaksScaleTheWholeMixInsteadOfWrapping()
    {
        // Sparse clicks: at the bed's RMS their peaks reach far beyond 16 bits.
        const QString path = dir_.filePath(QStringLiteral("clicks.wav"));
        {
            SF_INFO info{};
            info.samplerate = 48000;
            info.channels = 1;
            info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
            SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
            QVERIFY(file);
            std::vector<float> data(3 * SampleRate, 0.0f);
            for (std::size_t n = 4800; n < data.size(); n += 9600)
                data[n] = 1.0f;
            sf_writef_float(file, data.data(), static_cast<sf_count_t>(data.size()));
            sf_close(file);
        }
        Rig rig;
        QVERIFY(rig.LoadMusic(path));
        const Samples played = rig.Play(1000.0, 6);
        // The loop: the file less its crossfade, which also softens the
        // first two clicks.
        const std::size_t loop = 3 * SampleRate - LoopCrossfadeSamples;

        // Every click comes out positive and loud, not wrapped round.
        int clicks = 0;
        for (std::size_t n = 14400; n < loop; n += 9600, ++clicks)
            QVERIFY2(played[n] > 20000,
                     qPrintable(QStringLiteral("click at %1 played as %2").arg(n).arg(played[n])));
        QCOMPARE(clicks, 13);
        // The tone is turned down with the bed: the two keep 20 dB apart.
        std::vector<double> asDouble(played.begin(), played.end());
        const double toneAmplitude = AmplitudeAt(asDouble, 0, loop, 1000.0);
        QVERIFY(toneAmplitude < 16384.0 * 0.5);
        std::vector<double> bed(played.size());
        const std::vector<double> phases = TonePhases(1000.0, played.size());
        for (std::size_t n = 0; n < played.size(); ++n)
            bed[n] = played[n] - toneAmplitude * std::sin(phases[n]);
        const double bedRms = Rms(bed, 0, loop);
        QVERIFY2(std::abs(Db(toneAmplitude / std::sqrt(2.0) / bedRms) - 20.0) < 0.2,
                 qPrintable(QString::number(Db(toneAmplitude / std::sqrt(2.0) / bedRms))));
    }

    void unreadableMusicFileFallsBackToKeiner_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        // The player's words first, the library's in brackets after them.
        QTest::newRow("not audio") << "text"
                                   << "\nDas Dateiformat ist unbekannt. (libsndfile: ";
        QTest::newRow("empty file") << "empty"
                                    << ". (libsndfile: ";
        QTest::newRow("a folder") << "folder"
                                  << "Das ist ein Ordner, keine Datei.";
        QTest::newRow("half a second of sound") << "short"
                                                << "weniger als eine Sekunde";
        QTest::newRow("silence") << "silent"
                                 << "nur Stille";
    }

    void unreadableMusicFileFallsBackToKeiner()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = dir_.filePath(QStringLiteral("unreadable-") + kind);
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "short" || kind == "silent") {
            QVERIFY(WriteTwoSines(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100,
                                  kind == "short" ? 0.5 : 3.0, 330.0, kind == "short" ? 0.5 : 0.0,
                                  2500.0, 0.0));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (kind == "text")
                file.write("Das ist kein Ton, nur Text.\n");
        }

        GameHarness game;
        QVERIFY(game.Start("[Training]\nHintergrund=1\n"));
        const TrainingMenuActions& items = game.form->Training()->Actions();
        QVERIFY(items.RosaRauschen->isChecked());
        const int boxesBefore = game.dialogs.boxes.size();
        game.dialogs.fileAnswers << path;
        items.Musik->trigger();
        QCOMPARE(game.State().Training.Hintergrund, int(BedMusic));
        QCOMPARE(game.State().Training.Musik, path);
        QTRY_COMPARE_WITH_TIMEOUT(game.dialogs.boxes.size(), boxesBefore + 1, 30000);

        const MessageBoxRequest& box = game.dialogs.boxes.last();
        QCOMPARE(box.caption, QStringLiteral("Hintergrund"));
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        QVERIFY2(box.text.contains(reason), qPrintable(box.text));
        QVERIFY(items.Keiner->isChecked());
        QCOMPARE(game.State().Training.Hintergrund, int(BedNone));
        // One box only, and the game goes on with a plain tone.
        QTest::qWait(50);
        QCOMPARE(game.dialogs.boxes.size(), boxesBefore + 1);
        game.StartTurnRinging(DrawFor1k);
        game.waveOut.FinishNextBlock();
        QVERIFY(game.waveOut.played() ==
                PlainTone(game.State().ToneFrequency, game.waveOut.played().size()));
    }

    void cancelledFileDialogKeepsTheBed()
    {
        GameHarness game;
        QVERIFY(game.Start("[Training]\nHintergrund=1\n"));
        const TrainingMenuActions& items = game.form->Training()->Actions();
        items.Musik->trigger();
        QCOMPARE(game.dialogs.fileDialogs.size(), 1);
        QVERIFY(items.RosaRauschen->isChecked());
        QCOMPARE(game.State().Training.Hintergrund, int(BedPinkNoise));
    }

    void rememberedMusicAtStartUp_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("decoded again") << true;
        QTest::newRow("gone: Keiner, without a word") << false;
    }

    void rememberedMusicAtStartUp()
    {
        QFETCH(bool, present);
        const QString path = dir_.filePath(QStringLiteral("remembered.flac"));
        QFile::remove(path);
        if (present)
            QVERIFY(WriteTwoSines(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 3.0, 330.0, 0.5,
                                  2500.0, 0.25));
        GameHarness game;
        QVERIFY(
            game.Start(QStringLiteral("[Training]\nHintergrund=2\nMusik=%1\n").arg(path).toUtf8()));
        const int boxes = game.dialogs.boxes.size();
        const TrainingMenuActions& items = game.form->Training()->Actions();
        QCOMPARE(items.Musik->isChecked(), present);
        QCOMPARE(items.Keiner->isChecked(), !present);
        QCOMPARE(game.State().Training.Musik, path); // still remembered
        if (!present) {
            QCOMPARE(game.State().Training.Hintergrund, int(BedNone));
            QTest::qWait(50);
            QCOMPARE(game.dialogs.boxes.size(), boxes);
            return;
        }
        // START is not held up by the decoding; once decoded, a turn has its bed.
        const auto turnHasBed = [&] {
            game.StartTurnRinging(DrawFor1k);
            game.waveOut.FinishNextBlock();
            const Samples turn(game.waveOut.played().end() - BlockSamples,
                               game.waveOut.played().end());
            game.ClickStart(); // gives the turn up
            return Rms(Bed(turn, game.State().ToneFrequency, false), 2000, 20000) > 500.0;
        };
        QVERIFY(QTest::qWaitFor(turnHasBed, 30000));
        QCOMPARE(game.dialogs.boxes.size(), boxes);
    }

    void menuOptionsReachTheTurn()
    {
        GameHarness game;
        QVERIFY(game.Start("[Spiel]\nSelektmode=0\n"));
        const TrainingMenuActions& items = game.form->Training()->Actions();
        QVERIFY(!items.Anschwellen->isChecked());
        QVERIFY(items.Keiner->isChecked());
        items.Anschwellen->trigger();
        QCOMPARE(game.State().Training.Anschwellen, 1);

        // The turn swells ...
        game.StartTurnRinging(DrawFor1k);
        game.waveOut.FinishNextBlock();
        const Samples turn = game.waveOut.played();
        const double frequencyHz = game.State().ToneFrequency;
        const std::vector<double> phases = TonePhases(frequencyHz, turn.size());
        for (std::size_t n = 0; n < turn.size(); ++n)
            QVERIFY(std::abs(turn[n] - 16384.0 * PromisedSwellGain(n) * std::sin(phases[n])) <=
                    0.5 + 1e-6);
        // ... the replay of the found band does not.
        game.ClickFader(15);
        QCOMPARE(game.State().GameMode, ModeTurnOver);
        game.ClickFader(15);
        game.DragTo(-6);
        game.DragTo(6);
        QVERIFY(!game.SoundIdle());
        const std::size_t before = game.waveOut.played().size();
        game.waveOut.FinishNextBlock();
        const Samples replay(game.waveOut.played().begin() + static_cast<std::ptrdiff_t>(before),
                             game.waveOut.played().end());
        QVERIFY(replay == PlainTone(frequencyHz, replay.size()));
    }
};

QTEST_MAIN(TestAudioRealism)
#include "tst_audio_realism.moc"
