// The end of a timed turn's tone: SoundStop pauses the device and leaves the
// turn running; how menu changes of the feedback time act on a running
// countdown.

#include "support/ToneRig.h"

#include <QCoreApplication>
#include <QtTest>

class TestFeedbackTiming : public QObject {
    Q_OBJECT

  private:
    struct Rig : ToneRig {
        void StartTone(int feedbackTimeSetting)
        {
            state.FeedbackTimeSetting = feedbackTimeSetting;
            Start();
        }
        // What the timer's own timeout does, without waiting for it.
        void FireSoundStop() { QVERIFY(QMetaObject::invokeMethod(&tone.SoundStop(), "timeout")); }
    };

  private slots:
    void timedToneIsPausedAndTheTurnGoesOn()
    {
        Rig rig;
        rig.StartTone(3);
        QVERIFY(rig.tone.SoundStop().isActive());
        QCOMPARE(rig.tone.SoundStop().interval(), 2000);
        const int from = rig.wave.calls.size();

        rig.FireSoundStop();
        QCOMPARE(rig.OperationsSince(from), QStringList({"Pause"}));
        QCOMPARE(rig.wave.calls.last().handle, rig.tone.CurrentWaveHandle());
        QVERIFY(rig.wave.paused());
        QVERIFY(!rig.tone.SoundStop().isActive());
        QVERIFY(!rig.tone.SoundIdle());
        // Both blocks stay queued; nothing asks for more, nothing resumes.
        QCOMPARE(rig.wave.queuedBlocks(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(rig.OperationsSince(from), QStringList({"Pause"}));

        // The find ends the turn as usual.
        rig.tone.StopTone();
        QCOMPARE(rig.OperationsSince(from),
                 QStringList({"Pause", "Reset", "Unprepare", "Unprepare", "Close"}));
        QVERIFY(rig.tone.SoundIdle());
        QCOMPARE(rig.wave.queuedBlocks(), 0);
        QVERIFY(rig.dialogs.boxes.isEmpty());
    }

    void aFailedPauseIsNotReported()
    {
        Rig rig;
        rig.StartTone(3);
        rig.wave.SetResult(QStringLiteral("Pause"), WaveInvalidHandle);
        rig.FireSoundStop();
        QCOMPARE(rig.wave.calls.last().operation, QStringLiteral("Pause"));
        QVERIFY(rig.dialogs.boxes.isEmpty());
        QVERIFY(!rig.tone.SoundStop().isActive());
        QVERIFY(!rig.tone.SoundIdle());
    }

    void withNoToneItOnlyDisablesItself()
    {
        Rig rig;
        rig.tone.SoundStop().start();
        const int from = rig.wave.calls.size();
        rig.FireSoundStop();
        QVERIFY(!rig.tone.SoundStop().isActive());
        QVERIFY(rig.OperationsSince(from).isEmpty());
    }

    void menuChangesDuringACountdown()
    {
        Rig rig;
        rig.StartTone(6);
        QCOMPARE(rig.tone.SoundStop().interval(), 5000);
        // Let a clear part of the countdown pass, so a restart shows.
        QTRY_VERIFY(rig.tone.SoundStop().remainingTime() < 4500);

        // "Kontinuierlich" keeps the countdown as it is.
        rig.state.FeedbackTimeSetting = 0;
        rig.tone.ApplyFeedbackTime();
        QVERIFY(rig.tone.SoundStop().isActive());
        QCOMPARE(rig.tone.SoundStop().interval(), 5000);
        QVERIFY(rig.tone.SoundStop().remainingTime() < 4500);

        // Choosing the interval it already has changes nothing either.
        rig.state.FeedbackTimeSetting = 6;
        rig.tone.ApplyFeedbackTime();
        QVERIFY(rig.tone.SoundStop().remainingTime() < 4500);

        // Another interval starts the countdown afresh with it.
        rig.state.FeedbackTimeSetting = 5;
        rig.tone.ApplyFeedbackTime();
        QVERIFY(rig.tone.SoundStop().isActive());
        QCOMPARE(rig.tone.SoundStop().interval(), 4000);
        QVERIFY(rig.tone.SoundStop().remainingTime() > 3500);
    }

    void outOfRangeSettingKeepsTheLastInterval_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<bool>("armed");
        QTest::newRow("7") << 7 << true;
        QTest::newRow("1000") << 1000 << true;
        QTest::newRow("-3") << -3 << false;
    }

    void outOfRangeSettingKeepsTheLastInterval()
    {
        QFETCH(int, setting);
        QFETCH(bool, armed);
        Rig rig;
        rig.StartTone(4);
        rig.tone.StopTone();
        rig.StartTone(setting);
        QCOMPARE(rig.tone.SoundStop().isActive(), armed);
        QCOMPARE(rig.tone.SoundStop().interval(), 3000);
    }
};

QTEST_MAIN(TestFeedbackTiming)
#include "tst_feedback_timing.moc"
