// Tone output over a scripted wave device: the order of the device calls,
// the failure boxes, the refill cycle and the volume.

#include "support/ToneRig.h"

#include <QCoreApplication>
#include <QtTest>
#include <cmath>

class TestAudioOutput : public QObject {
    Q_OBJECT

  private:
    using Rig = ToneRig;

    // The device calls since `from`, with the two headers named 1 and 2.
    static QStringList Sequence(const Rig& rig, int from = 0)
    {
        QStringList result;
        for (int i = from; i < rig.wave.calls.size(); ++i) {
            const FakeWaveOut::Call& call = rig.wave.calls[i];
            QString text = call.operation;
            if (call.header == &rig.tone.WaveHeader1())
                text += QStringLiteral(" 1");
            else if (call.header == &rig.tone.WaveHeader2())
                text += QStringLiteral(" 2");
            else if (call.header != nullptr)
                text += QStringLiteral(" ?");
            result << text;
        }
        return result;
    }

    static QStringList Captions(const ScriptedDialogs& dialogs)
    {
        QStringList captions;
        for (const MessageBoxRequest& box : dialogs.boxes)
            captions << box.caption;
        return captions;
    }

    static void StartTone(Rig& rig, double frequencyHz = 1000.0) { rig.Start(frequencyHz); }

  private slots:
    void startQueuesBothBlocksWhilePaused()
    {
        Rig rig;
        StartTone(rig);
        QCOMPARE(Sequence(rig), QStringList({"Open", "SetVolume", "Prepare 1", "Prepare 2", "Pause",
                                             "Write 1", "Write 2", "Restart"}));
        QVERIFY(!rig.tone.SoundIdle());
        QVERIFY(rig.dialogs.boxes.isEmpty());
        // Everything after the open goes to the handle the open returned.
        const WaveHandle handle = rig.tone.CurrentWaveHandle();
        QVERIFY(handle != 0);
        for (int i = 1; i < rig.wave.calls.size(); ++i)
            QCOMPARE(rig.wave.calls[i].handle, handle);
        QCOMPARE(rig.wave.calls[0].value, 0u);
        QCOMPARE(rig.tone.WaveHeader1().bufferLength, 48000u);
        QCOMPARE(rig.tone.WaveHeader2().bufferLength, 48000u);
        QVERIFY(rig.tone.WaveHeader1().data != rig.tone.WaveHeader2().data);
        QVERIFY(!rig.wave.paused());
        QCOMPARE(rig.wave.queuedBlocks(), 2);
    }

    void openUsesTheFixedFormatAndTheChosenCard()
    {
        Rig rig;
        rig.state.SoundCardId = 2;
        rig.tone.OpenWaveDevice();
        const WaveFormat& format = rig.wave.lastFormat;
        QCOMPARE(format.formatTag, 1);
        QCOMPARE(format.channels, 1);
        QCOMPARE(format.samplesPerSec, 48000u);
        QCOMPARE(format.avgBytesPerSec, 96000u);
        QCOMPARE(format.blockAlign, 2);
        QCOMPARE(format.bitsPerSample, 16);
        QCOMPARE(rig.wave.calls.first().value, 2u);
    }

    void stopResetsUnpreparesAndCloses_data()
    {
        QTest::addColumn<ToneKind>("kind");
        QTest::newRow("plain tone") << ToneKind::Plain;
        QTest::newRow("turn") << ToneKind::Turn;
    }

    void stopResetsUnpreparesAndCloses()
    {
        QFETCH(ToneKind, kind);
        Rig rig;
        rig.kind = kind;
        rig.state.FeedbackTimeSetting = 2;
        StartTone(rig);
        const int from = rig.wave.calls.size();
        QSignalSpy stopped(&rig.tone, &ToneOutput::toneStopped);
        rig.tone.StopTone();
        QCOMPARE(Sequence(rig, from),
                 QStringList({"Reset", "Unprepare 1", "Unprepare 2", "Close"}));
        QVERIFY(rig.tone.SoundIdle());
        QCOMPARE(stopped.count(), 1);
        rig.tone.StopTone();
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(rig.tone.WaveHeader1().flags, 0u);
        QCOMPARE(rig.tone.WaveHeader2().flags, 0u);
        QCOMPARE(rig.wave.queuedBlocks(), 0);
        QVERIFY(!rig.tone.SoundStop().isActive());
    }

    void stopWhenIdleDoesNothing()
    {
        Rig rig;
        rig.tone.StopTone();
        QVERIFY(rig.wave.calls.isEmpty());
        QVERIFY(rig.dialogs.boxes.isEmpty());
    }

    void finishedBlockIsRefilledAndRequeued()
    {
        Rig rig;
        StartTone(rig);
        int from = rig.wave.calls.size();
        QVERIFY(rig.wave.FinishNextBlock());
        QCoreApplication::processEvents();
        QCOMPARE(Sequence(rig, from), QStringList({"Unprepare 1", "Prepare 1", "Write 1"}));
        from = rig.wave.calls.size();
        QVERIFY(rig.wave.FinishNextBlock());
        QCoreApplication::processEvents();
        QCOMPARE(Sequence(rig, from), QStringList({"Unprepare 2", "Prepare 2", "Write 2"}));
        QCOMPARE(rig.wave.queuedBlocks(), 2);
        QVERIFY(rig.dialogs.boxes.isEmpty());
    }

    void lateBufferDoneIsNotRequeued()
    {
        Rig rig;
        StartTone(rig);
        // One block finished but its event is still waiting when the stop begins.
        QVERIFY(rig.wave.FinishNextBlock());
        rig.tone.StopTone();
        // And one arrives after the stop altogether.
        const int from = rig.wave.calls.size();
        QCoreApplication::postEvent(
            &rig.tone, new WaveDoneEvent(const_cast<WaveHeader*>(&rig.tone.WaveHeader1())));
        QCoreApplication::processEvents();
        QCOMPARE(Sequence(rig, from), QStringList({"Unprepare 1"}));
        QCOMPARE(rig.tone.WaveHeader1().flags, 0u);
        for (const FakeWaveOut::Call& call : rig.wave.calls.mid(8))
            QVERIFY(call.operation != QStringLiteral("Write"));
        QCOMPARE(rig.wave.queuedBlocks(), 0);
    }

    void headersStillMarkedAreUnpreparedFirst()
    {
        Rig rig;
        // A reset that fails hands nothing back: both headers stay marked.
        rig.wave.SetResult("Reset", WaveInvalidHandle);
        StartTone(rig);
        rig.tone.StopTone();
        rig.wave.SetResult("Reset", WaveNoError);
        rig.wave.SetResult("Unprepare", WaveStillPlaying);
        rig.dialogs.boxes.clear();
        const int from = rig.wave.calls.size();
        StartTone(rig);
        QCOMPARE(Sequence(rig, from),
                 QStringList({"Open", "SetVolume", "Unprepare 1", "Prepare 1", "Unprepare 2",
                              "Prepare 2", "Pause", "Write 1", "Write 2", "Restart"}));
        QCOMPARE(Captions(rig.dialogs), QStringList({"Unprepare 1", "Unprepare 2"}));
    }

    void failuresShowOneBoxEach_data()
    {
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("none") << QStringList() << QStringList();
        QTest::newRow("open") << QStringList({"Open"}) << QStringList({"Open"});
        QTest::newRow("open, then every call on the dead handle")
            << QStringList(
                   {"Open", "SetVolume", "Prepare", "Pause", "Write", "Restart", "Reset", "Close"})
            << QStringList({"Open", "Prepare 1", "Prepare 2", "Pause", "Write 1", "Write 2",
                            "Restart", "Reset", "Close"});
        QTest::newRow("volume after a good open")
            << QStringList({"SetVolume"}) << QStringList({"Set Vol"});
        QTest::newRow("pause and restart")
            << QStringList({"Pause", "Restart"}) << QStringList({"Pause", "Restart"});
        QTest::newRow("writes") << QStringList({"Write"}) << QStringList({"Write 1", "Write 2"});
        QTest::newRow("close") << QStringList({"Close"}) << QStringList({"Close"});
    }

    void failuresShowOneBoxEach()
    {
        QFETCH(QStringList, failing);
        QFETCH(QStringList, captions);
        Rig rig;
        for (const QString& operation : failing)
            rig.wave.SetResult(operation, WaveInvalidHandle);
        StartTone(rig);
        // The start goes on as if everything had worked.
        QVERIFY(!rig.tone.SoundIdle());
        rig.tone.StopTone();
        QCOMPARE(Captions(rig.dialogs), captions);
        for (const MessageBoxRequest& box : rig.dialogs.boxes) {
            QCOMPARE(box.text, QStringLiteral("Fehlertext 5"));
            QCOMPARE(box.icon, DialogIcon::Error);
            QCOMPARE(box.buttons, DialogButtons::Ok);
        }
        // No step was skipped. The fader's volume follows a good open at
        // once; a failed open gets none, so no box beyond the chain.
        QStringList sequence = Sequence(rig);
        QCOMPARE(sequence.indexOf("SetVolume"), failing.contains("Open") ? -1 : 1);
        sequence.removeAll("SetVolume");
        QCOMPARE(sequence.mid(0, 7), QStringList({"Open", "Prepare 1", "Prepare 2", "Pause",
                                                  "Write 1", "Write 2", "Restart"}));
        QVERIFY(Sequence(rig).contains("Reset"));
        QVERIFY(Sequence(rig).contains("Close"));
    }

    void failedOpenGoesOnWithTheOldHandle()
    {
        Rig rig;
        StartTone(rig);
        rig.tone.StopTone();
        const WaveHandle oldHandle = rig.tone.CurrentWaveHandle();
        rig.wave.SetResult("Open", WaveBadDeviceId);
        const int from = rig.wave.calls.size();
        StartTone(rig);
        QCOMPARE(Captions(rig.dialogs), QStringList({"Open"}));
        QCOMPARE(rig.dialogs.boxes.first().text, QStringLiteral("Fehlertext 2"));
        for (int i = from + 1; i < rig.wave.calls.size(); ++i)
            QCOMPARE(rig.wave.calls[i].handle, oldHandle);
    }

    void applyVolume_data()
    {
        QTest::addColumn<int>("masterVolume");
        QTest::addColumn<bool>("startUp");
        QTest::addColumn<int>("sent"); // -1: nothing sent
        QTest::newRow("-12") << -12 << true << 0;
        QTest::newRow("-11") << -11 << true << 2731;
        QTest::newRow("-10") << -10 << true << 5461;
        QTest::newRow("-6 tie to even") << -6 << true << 16384;
        QTest::newRow("-1") << -1 << true << 30036;
        QTest::newRow("0") << 0 << true << 32767;
        QTest::newRow("5") << 5 << true << 46420;
        QTest::newRow("6 tie to even") << 6 << true << 49150;
        QTest::newRow("12") << 12 << true << 65534;
        QTest::newRow("idle sends nothing") << 4 << false << -1;
    }

    void applyVolume()
    {
        QFETCH(int, masterVolume);
        QFETCH(bool, startUp);
        QFETCH(int, sent);
        Rig rig;
        rig.state.MasterVolume = masterVolume;
        if (startUp)
            rig.tone.ApplyStartUpVolume();
        else
            rig.tone.ApplyVolume();
        QCOMPARE(rig.state.MasterVolume, masterVolume);
        if (sent < 0) {
            QVERIFY(rig.wave.calls.isEmpty());
            return;
        }
        QCOMPARE(rig.wave.calls.size(), 1);
        const FakeWaveOut::Call& call = rig.wave.calls.first();
        QCOMPARE(call.operation, QStringLiteral("SetVolume"));
        // Before anything is open the handle is 0, which means device 0.
        QCOMPARE(call.handle, WaveHandle(0));
        QCOMPARE(call.value & 0xFFFF, std::uint32_t(sent));
        QCOMPARE(call.value >> 16, std::uint32_t(sent));
    }

    void volumeWhilePlayingGoesToTheOpenDevice()
    {
        Rig rig;
        StartTone(rig);
        rig.wave.SetResult("SetVolume", WaveNoDriver);
        rig.state.MasterVolume = 0;
        rig.tone.ApplyVolume();
        QCOMPARE(rig.wave.calls.last().handle, rig.tone.CurrentWaveHandle());
        QCOMPARE(Captions(rig.dialogs), QStringList({"Set Vol"}));
    }

    void soundStopArming_data()
    {
        QTest::addColumn<int>("feedbackTime");
        QTest::addColumn<ToneKind>("kind");
        QTest::addColumn<bool>("armed");
        QTest::addColumn<int>("intervalMs");
        QTest::newRow("0.5 s") << 1 << ToneKind::Turn << true << 500;
        QTest::newRow("2 s") << 3 << ToneKind::Turn << true << 2000;
        QTest::newRow("5 s") << 6 << ToneKind::Turn << true << 5000;
        QTest::newRow("continuous") << 0 << ToneKind::Turn << false << 1000;
        QTest::newRow("plain tone") << 3 << ToneKind::Plain << false << 2000;
        QTest::newRow("out of range") << 7 << ToneKind::Turn << true << 1000;
        QTest::newRow("negative") << -1 << ToneKind::Turn << false << 1000;
    }

    void soundStopArming()
    {
        QFETCH(int, feedbackTime);
        QFETCH(ToneKind, kind);
        QFETCH(bool, armed);
        QFETCH(int, intervalMs);
        Rig rig;
        QVERIFY(!rig.tone.SoundStop().isActive());
        rig.state.FeedbackTimeSetting = feedbackTime;
        rig.kind = kind;
        StartTone(rig);
        QCOMPARE(rig.tone.SoundStop().isActive(), armed);
        QCOMPARE(rig.tone.SoundStop().interval(), intervalMs);
    }

    void refillsJoinIntoOneUnbrokenSine()
    {
        Rig rig;
        const double frequencyHz = 1106.8536;
        StartTone(rig, frequencyHz);
        const int blocks = 20;
        for (int i = 0; i < blocks; ++i) {
            QVERIFY(rig.wave.FinishNextBlock());
            QCoreApplication::processEvents();
        }
        const std::vector<std::int16_t>& played = rig.wave.played();
        QCOMPARE(played.size(), std::size_t(blocks * BlockSamples));
        // The same tone rendered in one go: the phase must run on across
        // every block boundary, whichever header came back.
        ToneSynthesis reference;
        reference.StartTone(frequencyHz);
        std::vector<std::int16_t> block(BlockSamples);
        for (int b = 0; b < blocks; ++b) {
            reference.FillToneBlock(block.data());
            for (int i = 0; i < BlockSamples; ++i) {
                const std::size_t n = std::size_t(b) * BlockSamples + i;
                if (played[n] != block[i])
                    QFAIL(qPrintable(QStringLiteral("sample %1: %2, expected %3")
                                         .arg(n)
                                         .arg(played[n])
                                         .arg(block[i])));
                // And against the closed formula, within rounding.
                const long double phase = 2 * 3.14159265358979323846L * frequencyHz * n / 48000;
                const double ideal = 16384.0 * static_cast<double>(std::sin(phase));
                if (std::abs(played[n] - ideal) > 1.0)
                    QFAIL(qPrintable(QStringLiteral("sample %1 is %2, the sine gives %3")
                                         .arg(n)
                                         .arg(played[n])
                                         .arg(ideal)));
            }
        }
    }

    void shutdownStopsBeforeReleasing()
    {
        Rig rig;
        StartTone(rig);
        const int from = rig.wave.calls.size();
        rig.tone.Shutdown();
        QCOMPARE(Sequence(rig, from).first(), QStringLiteral("Reset"));
        QVERIFY(Sequence(rig, from).contains("Close"));
        QCOMPARE(rig.wave.queuedBlocks(), 0);
        QVERIFY(rig.tone.SoundIdle());
        QVERIFY(rig.tone.WaveHeader1().data == nullptr);
        const int afterShutdown = rig.wave.calls.size();
        rig.tone.Shutdown();
        QCOMPARE(rig.wave.calls.size(), afterShutdown);
    }
};

QTEST_GUILESS_MAIN(TestAudioOutput)
#include "tst_audio_output.moc"
