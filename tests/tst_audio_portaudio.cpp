// The real PortAudio device on a test-owned ALSA PCM that writes what it is
// given to a file (tests/data/alsa/asound.conf). That sink has no clock, so
// nothing here is timed; the checks are on the samples and the event order.

#include "audio/ToneOutput.h"
#include "model/GameState.h"
#include "platform/PortAudioWaveOut.h"
#include "platform/SharedLibrary.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

const QString CaptureDeviceName = QStringLiteral("hmcapture");
const QString SecondCaptureDeviceName = QStringLiteral("hmcapture2");
constexpr int HangGuardMs = 60000; // only against a hang; the sink is instant

// Collects the blocks a device hands back, in arrival order.
class DoneCollector : public QObject {
  public:
    QList<WaveHeader*> done;

  protected:
    bool event(QEvent* event) override
    {
        if (event->type() != WaveDoneEvent::eventType())
            return QObject::event(event);
        done.append(static_cast<WaveDoneEvent*>(event)->header());
        return true;
    }
};

const WaveFormat ToneFormat{WaveFormatPcm, 1, 48000, 96000, 2, 16};

} // namespace

class TestAudioPortAudio : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString capturePath_;
    std::unique_ptr<PortAudioWaveOut> wave_;
    int captureDevice_ = -1;
    int secondCaptureDevice_ = -1;

    // Interleaved stereo frames as the sink wrote them.
    QList<std::int16_t> Captured() const
    {
        QFile file(capturePath_);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        QList<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
        return samples;
    }

    template <typename Done> bool Pump(Done done)
    {
        QDeadlineTimer guard(HangGuardMs);
        while (!done()) {
            if (guard.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }

    // Plays `samples` as one block on a fresh opening of `device`.
    QList<std::int16_t> PlayOneBlock(PortAudioWaveOut& wave, int device,
                                     std::vector<std::int16_t>& samples)
    {
        DoneCollector target;
        WaveHandle handle = 0;
        WaveHeader header{reinterpret_cast<char*>(samples.data()),
                          std::uint32_t(samples.size() * 2), 0};
        if (wave.Open(handle, device, ToneFormat, &target) != WaveNoError)
            return {};
        wave.Prepare(handle, header);
        wave.Write(handle, header);
        const bool played = Pump([&] { return !target.done.isEmpty(); });
        wave.Reset(handle);
        wave.Unprepare(handle, header);
        wave.Close(handle);
        return played ? Captured() : QList<std::int16_t>();
    }

    // The frames captured so far.
    qint64 CapturedFrames() const { return QFile(capturePath_).size() / 4; }

  private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        capturePath_ = dir_.filePath(QStringLiteral("capture.raw"));
        // Before Pa_Initialize, which reads the ALSA configuration once.
        qputenv("ALSA_CONFIG_PATH", TEST_DATA_DIR "/alsa/asound.conf");
        qputenv("HEULMEISTER_CAPTURE", QFile::encodeName(capturePath_));
        wave_ = std::make_unique<PortAudioWaveOut>();
        QStringList names;
        for (std::uint32_t d = 0; d < wave_->DeviceCount(); ++d) {
            QString name;
            QCOMPARE(wave_->ProductName(d, name), WaveNoError);
            QVERIFY2(name.size() <= 31, qPrintable(name));
            names << name;
            if (name == CaptureDeviceName && captureDevice_ < 0)
                captureDevice_ = static_cast<int>(d);
            if (name == SecondCaptureDeviceName && secondCaptureDevice_ < 0)
                secondCaptureDevice_ = static_cast<int>(d);
        }
        // Not a skip: without the capture PCM nothing below tests anything.
        QVERIFY2(
            captureDevice_ >= 0,
            qPrintable(
                QStringLiteral("no \"%1\" among: %2").arg(CaptureDeviceName, names.join(", "))));
        // The first is device 0, which the start-up volume reaches.
        QVERIFY(captureDevice_ == 0 && secondCaptureDevice_ > 0);
    }

    void deviceScanRunsBesideTheGuiThread()
    {
        // A second scan in the process: PortAudio counts its initialisations.
        auto scan = std::make_shared<PortAudioDeviceScan>();
        PortAudioWaveOut wave(scan);
        QObject context;
        int calls = 0;
        bool onGuiThread = false;
        const bool pending = wave.NotifyWhenDevicesKnown(&context, [&] {
            ++calls;
            onGuiThread = QThread::currentThread() == context.thread();
        });
        if (pending) {
            QVERIFY(Pump([&] { return calls > 0; }));
            QVERIFY(onGuiThread);
        }
        // The list is the one the first scan found, and known from now on.
        QCOMPARE(wave.DeviceCount(), wave_->DeviceCount());
        QVERIFY(!wave.NotifyWhenDevicesKnown(&context, [&] { ++calls; }));
        QCoreApplication::processEvents();
        QCOMPARE(calls, pending ? 1 : 0);
        QVERIFY(scan->StartTime() <= scan->FinishTime());
    }

    void deferredScanWaitsUntilAsked_data()
    {
        QTest::addColumn<bool>("byWait");
        QTest::newRow("Start") << false;
        QTest::newRow("Wait") << true;
    }

    void deferredScanWaitsUntilAsked()
    {
        // The program holds its scan back until the warning is drawn; a
        // device needed sooner starts it by waiting for it.
        QFETCH(bool, byWait);
        PortAudioDeviceScan scan{PortAudioDeviceScan::StartLater{}};
        QObject context;
        int calls = 0;
        QVERIFY(scan.NotifyWhenDone(&context, [&] { ++calls; }));
        QCoreApplication::processEvents();
        QVERIFY(!scan.Started());
        QCOMPARE(calls, 0);
        if (byWait)
            scan.Wait();
        else
            scan.Start();
        QVERIFY(scan.Started());
        QVERIFY(Pump([&] { return calls == 1; }));
        QCOMPARE(std::uint32_t(scan.Devices().size()), wave_->DeviceCount());
    }

    void wholeToneCycleReachesTheSinkSampleForSample()
    {
        GameState state;
        state.SoundCardId = captureDevice_;
        ScriptedDialogs dialogs;
        ToneOutput tone(state, *wave_, dialogs);
        // Not a whole number of periods per block, so a phase that did not
        // run on across a refill would show.
        const double frequencyHz = 1106.8536;
        tone.PrepareTone(frequencyHz, ToneKind::Plain);
        tone.StartToneOutput();
        // Eight blocks: both first blocks and at least six refills.
        const qsizetype wantedFrames = 8 * BlockSamples;
        QVERIFY(Pump([&] { return QFile(capturePath_).size() >= wantedFrames * 4; }));
        tone.StopTone();
        QVERIFY(tone.SoundIdle());
        QVERIFY(dialogs.boxes.isEmpty());

        const QList<std::int16_t> captured = Captured();
        qsizetype start = 0;
        while (start < captured.size() && captured[start] == 0)
            ++start;
        // The tone's own first sample is 0 too.
        start = start / 2 - 1;
        QVERIFY(start >= 0);
        const qsizetype frames = captured.size() / 2 - start;
        QVERIFY(frames >= wantedFrames);
        const double gain = 5461 / 65535.0; // VOL -10, set at the open
        for (qsizetype n = 0; n < frames; ++n) {
            const std::int16_t left = captured[(start + n) * 2];
            const std::int16_t right = captured[(start + n) * 2 + 1];
            const long double cycles = frequencyHz * n / 48000.0L;
            const double ideal =
                gain * 16384.0 * std::sin(2 * M_PI * double(cycles - std::floor(cycles)));
            // Rounded to a sample, then the gain truncates.
            if (left != right || std::abs(left - ideal) > 1.5)
                QFAIL(qPrintable(QStringLiteral("frame %1: %2/%3, the sine gives %4")
                                     .arg(n)
                                     .arg(left)
                                     .arg(right)
                                     .arg(ideal)));
        }
    }

    void volumeIsAGainPerChannelKeptAcrossOpenings()
    {
        DoneCollector target;
        WaveHandle handle = 0;
        QCOMPARE(wave_->Open(handle, captureDevice_, ToneFormat, &target), WaveNoError);
        // Left full, right at half.
        QCOMPARE(wave_->SetVolume(handle, 0xFFFFu | (32768u << 16)), WaveNoError);
        QCOMPARE(wave_->Close(handle), WaveNoError);

        std::vector<std::int16_t> samples(4800);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>((i % 2 ? 1 : -1) * std::int32_t(i * 13 % 32768));
        const QList<std::int16_t> captured = PlayOneBlock(*wave_, captureDevice_, samples);
        qsizetype start = 0;
        while (start < captured.size() && captured[start] == 0)
            ++start;
        start = start / 2 - 1; // the first sample is 0
        QVERIFY(start >= 0);
        QVERIFY(captured.size() / 2 - start >= qsizetype(samples.size()));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const int left = captured[(start + qsizetype(i)) * 2];
            const int right = captured[(start + qsizetype(i)) * 2 + 1];
            QCOMPARE(left, int(samples[i]));
            QVERIFY2(std::abs(right - samples[i] * 32768.0 / 65535.0) < 1.0,
                     qPrintable(QStringLiteral("%1: %2 of %3").arg(i).arg(right).arg(samples[i])));
        }
        QCOMPARE(wave_->SetVolume(handle == 0 ? 1 : handle, 0xFFFFFFFFu), WaveInvalidHandle);
        // Back to full for the other tests, through a fresh opening.
        QCOMPARE(wave_->Open(handle, captureDevice_, ToneFormat, &target), WaveNoError);
        QCOMPARE(wave_->SetVolume(handle, 0xFFFFFFFFu), WaveNoError);
        QCOMPARE(wave_->Close(handle), WaveNoError);
    }

    void aDeviceNeverSetPlaysSilent()
    {
        // A second device layer in the process has set no volume on anything.
        PortAudioWaveOut fresh;
        std::vector<std::int16_t> samples(4800, 12000);
        const QList<std::int16_t> captured = PlayOneBlock(fresh, secondCaptureDevice_, samples);
        QVERIFY(captured.size() >= qsizetype(samples.size() * 2));
        QCOMPARE(captured.count(0), captured.size());
    }

    void volumeSetBetweenTurnsIsTheNextTurns_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("betweenTurns");
        QTest::addColumn<int>("gain"); // what that step means for the device
        for (const int device : {0, 1})
            for (const auto& [volume, gain] :
                 {std::pair{-12, 0}, {-10, 5461}, {0, 32767}, {6, 49150}})
                QTest::addRow("device %d, VOL %+d", device, volume) << device << volume << gain;
    }

    // A turn plays at the volume the fader shows when it starts, wherever the
    // fader stood during the last one; a move while it rings is heard at once.
    void volumeSetBetweenTurnsIsTheNextTurns()
    {
        QFETCH(int, device);
        QFETCH(int, betweenTurns);
        QFETCH(int, gain);
        constexpr int MovedGain = 57342; // VOL +9
        GameState state;
        state.SoundCardId = device == 0 ? captureDevice_ : secondCaptureDevice_;
        ScriptedDialogs dialogs;
        ToneOutput tone(state, *wave_, dialogs);
        tone.ApplyStartUpVolume();
        const double frequencyHz = 1106.8536;
        // The last turn: VOL +3 set while it rang.
        tone.PrepareTone(frequencyHz, ToneKind::Plain);
        tone.StartToneOutput();
        state.MasterVolume = 3;
        tone.ApplyVolume();
        tone.StopTone();
        state.MasterVolume = betweenTurns;
        tone.ApplyVolume();

        tone.PrepareTone(frequencyHz, ToneKind::Plain);
        tone.StartToneOutput();
        QVERIFY(Pump([&] { return CapturedFrames() >= 2 * BlockSamples; }));
        const qint64 heardBeforeMove = CapturedFrames();
        state.MasterVolume = 9;
        tone.ApplyVolume();
        QVERIFY(Pump([&] { return CapturedFrames() >= heardBeforeMove + 3 * BlockSamples; }));
        tone.StopTone();
        QVERIFY(dialogs.boxes.isEmpty());

        const QList<std::int16_t> captured = Captured();
        const qsizetype frames = captured.size() / 2;
        ToneSynthesis synthesis;
        synthesis.StartTone(frequencyHz);
        std::vector<std::int16_t> plain(frames + BlockSamples);
        for (qsizetype n = 0; n < frames; n += BlockSamples)
            synthesis.FillToneBlock(plain.data() + n);
        // Frame n at gain v, both channels, as the device scales each sample.
        const auto heard = [&](qsizetype n, int v) {
            const auto sample = std::int16_t(plain[n] * v / 65535);
            return captured[n * 2] == sample && captured[n * 2 + 1] == sample;
        };
        qsizetype moved = 0;
        while (moved < frames && heard(moved, gain))
            ++moved;
        QVERIFY2(moved >= heardBeforeMove && moved < frames, qPrintable(QString::number(moved)));
        for (qsizetype n = moved; n < frames; ++n)
            if (!heard(n, MovedGain))
                QFAIL(qPrintable(QStringLiteral("frame %1, moved at %2").arg(n).arg(moved)));
    }

    void pauseKeepsTheQueueAndResetHandsEveryBlockBack()
    {
        DoneCollector target;
        WaveHandle handle = 0;
        QCOMPARE(wave_->Open(handle, captureDevice_, ToneFormat, &target), WaveNoError);
        std::vector<std::int16_t> data(3 * 4800, 1000);
        WaveHeader headers[3];
        for (int i = 0; i < 3; ++i) {
            headers[i] = WaveHeader{reinterpret_cast<char*>(data.data() + i * 4800), 9600, 0};
            QCOMPARE(wave_->Write(handle, headers[i]), WaveUnprepared);
            QCOMPARE(wave_->Prepare(handle, headers[i]), WaveNoError);
        }
        QCOMPARE(wave_->Pause(handle), WaveNoError);
        for (WaveHeader& header : headers)
            QCOMPARE(wave_->Write(handle, header), WaveNoError);
        QCOMPARE(wave_->Write(handle, headers[0]), WaveStillPlaying);
        QCOMPARE(wave_->Unprepare(handle, headers[0]), WaveStillPlaying);
        QCOMPARE(wave_->Close(handle), WaveStillPlaying);
        QCoreApplication::processEvents();
        QVERIFY(target.done.isEmpty());

        QCOMPARE(wave_->Reset(handle), WaveNoError);
        QCoreApplication::processEvents();
        QCOMPARE(target.done, QList<WaveHeader*>({&headers[0], &headers[1], &headers[2]}));
        for (const WaveHeader& header : headers)
            QCOMPARE(header.flags, WaveHeaderPrepared | WaveHeaderDone);
        QCOMPARE(wave_->Close(handle), WaveNoError);
        // A closed handle stays dead, also for a later opening.
        QCOMPARE(wave_->Pause(handle), WaveInvalidHandle);
        WaveHandle next = 0;
        QCOMPARE(wave_->Open(next, captureDevice_, ToneFormat, &target), WaveNoError);
        QVERIFY(next != handle);
        QCOMPARE(wave_->Write(handle, headers[0]), WaveInvalidHandle);
        QCOMPARE(wave_->Close(next), WaveNoError);
    }

    void blocksComeBackInWriteOrder()
    {
        DoneCollector target;
        WaveHandle handle = 0;
        QCOMPARE(wave_->Open(handle, captureDevice_, ToneFormat, &target), WaveNoError);
        std::vector<std::int16_t> data(4 * 2400, 500);
        WaveHeader headers[4];
        QCOMPARE(wave_->Pause(handle), WaveNoError);
        for (int i = 0; i < 4; ++i) {
            headers[i] = WaveHeader{reinterpret_cast<char*>(data.data() + i * 2400), 4800, 0};
            QCOMPARE(wave_->Prepare(handle, headers[i]), WaveNoError);
            QCOMPARE(wave_->Write(handle, headers[i]), WaveNoError);
        }
        QCOMPARE(wave_->Restart(handle), WaveNoError);
        QVERIFY(Pump([&] { return target.done.size() == 4; }));
        QCOMPARE(target.done,
                 QList<WaveHeader*>({&headers[0], &headers[1], &headers[2], &headers[3]}));
        QCOMPARE(wave_->Close(handle), WaveNoError);
    }

    void failuresHaveCodesAndTexts()
    {
        DoneCollector target;
        WaveHandle handle = 12345;
        QCOMPARE(wave_->Open(handle, -1, ToneFormat, &target), WaveBadDeviceId);
        QCOMPARE(wave_->Open(handle, std::int32_t(wave_->DeviceCount()), ToneFormat, &target),
                 WaveBadDeviceId);
        WaveFormat stereo = ToneFormat;
        stereo.channels = 2;
        QCOMPARE(wave_->Open(handle, captureDevice_, stereo, &target), WaveBadFormat);
        QCOMPARE(handle, WaveHandle(12345)); // untouched on failure
        QString name;
        QCOMPARE(wave_->ProductName(wave_->DeviceCount(), name), WaveBadDeviceId);
        for (WaveResult code : {WaveBadDeviceId, WaveInvalidHandle, WaveNoDriver, WaveBadFormat,
                                WaveStillPlaying, WaveUnprepared, WaveResult(77)}) {
            const QString text = wave_->ErrorText(code);
            QVERIFY(!text.isEmpty() && text.size() <= 127);
        }
        QVERIFY(wave_->ErrorText(WaveBadDeviceId) != wave_->ErrorText(WaveInvalidHandle));
        // The library's own codes read in German, with the library's words after them.
        QCOMPARE(wave_->ErrorText(WaveResult(std::int32_t(-9996))),
                 QStringLiteral("Das Ausgabegerät gibt es nicht. (PortAudio: Invalid device)"));
        QCOMPARE(wave_->ErrorText(WaveResult(std::int32_t(-9999))),
                 QStringLiteral("Das Audiosystem meldet einen unerwarteten Fehler. (PortAudio: "
                                "Unanticipated host error)"));
        QCOMPARE(wave_->ErrorText(WaveNoDriver),
                 QStringLiteral("Es ist kein Ausgabegerät vorhanden."));
    }

    // Every library opened on first use says in German why it cannot be used.
    void aLibraryOpenedOnFirstUseSaysWhatIsMissing_data()
    {
        QTest::addColumn<QByteArray>("soname");
        QTest::addColumn<QByteArray>("symbol");
        QTest::addColumn<QString>("reason"); // empty: it loads
        QTest::newRow("there") << QByteArray("libm.so.6") << QByteArray("cos") << QString();
        QTest::newRow("missing") << QByteArray("libnot-there.so.9") << QByteArray("cos")
                                 << QStringLiteral("Die Bibliothek libnot-there.so.9 fehlt "
                                                   "(Paket libnot-there9). (System: ");
        QTest::newRow("too old") << QByteArray("libm.so.6") << QByteArray("cos_of_tomorrow")
                                 << QStringLiteral("Die Bibliothek libm.so.6 ist zu alt: ihr "
                                                   "fehlt cos_of_tomorrow (Paket libnot-there9).");
    }

    void aLibraryOpenedOnFirstUseSaysWhatIsMissing()
    {
        QFETCH(QByteArray, soname);
        QFETCH(QByteArray, symbol);
        QFETCH(QString, reason);
        struct Table {
            double (*cosine)(double);
        };
        static QByteArray wanted; // a resolver is a plain function
        wanted = symbol;
        const LazyLibrary<Table> library({soname.constData()}, "libnot-there9",
                                         [](const SymbolSource& find, Table& table) {
                                             return find(wanted.constData(), table.cosine);
                                         });
        std::string said = "untouched";
        const Table* table = library.Get(&said);
        if (reason.isEmpty()) {
            QVERIFY(table);
            QCOMPARE(table->cosine(0.0), 1.0);
            QCOMPARE(said, std::string("untouched"));
        } else {
            QVERIFY(!table);
            QVERIFY2(QString::fromStdString(said).startsWith(reason), said.c_str());
        }
    }

    void cleanupTestCase() { wave_.reset(); }
};

QTEST_GUILESS_MAIN(TestAudioPortAudio)
#include "tst_audio_portaudio.moc"
