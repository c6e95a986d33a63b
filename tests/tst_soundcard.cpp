// The sound card dialog over a scripted device list: entries, the marked
// device, OK and the ways out without a change, keys, layout, and the next
// tone going to the chosen device.

#include "audio/ToneOutput.h"
#include "game/SoundCardDialog.h"
#include "model/GameState.h"
#include "support/FakeWaveOut.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>

class TestSoundCard : public QObject {
    Q_OBJECT

  private:
    static QStringList Devices(int count)
    {
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << QStringLiteral("Karte %1").arg(i);
        return names;
    }

    static QStringList Texts(const SoundCardDialog& dialog)
    {
        QStringList texts;
        for (QRadioButton* entry : dialog.Entries())
            texts << entry->text();
        return texts;
    }

    // A radio button takes clicks on its mark and text only.
    static void ClickEntry(QRadioButton* entry)
    {
        QStyleOptionButton option;
        option.initFrom(entry);
        const QRect clickable =
            entry->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &option, entry);
        QTest::mouseClick(entry, Qt::LeftButton, Qt::NoModifier, clickable.center());
    }

    // Runs `act` on the dialog once its modal loop is running.
    template <typename Action> static void WhenShown(Action act)
    {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<SoundCardDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            act(*dialog);
        });
    }

  private slots:
    void listsEveryDeviceInOrder()
    {
        GameState state;
        state.SoundCardId = 1;
        FakeWaveOut wave;
        wave.productNames = {"Onboard Analog", "USB Interface", "HDMI"};
        SoundCardDialog dialog(state, wave);
        QCOMPARE(Texts(dialog), wave.productNames);
        for (int i = 0; i < dialog.Entries().size(); ++i)
            QCOMPARE(dialog.DeviceNumber(dialog.Entries()[i]), i);
        QCOMPARE(dialog.ItemIndex(), 1);
        QVERIFY(dialog.Entries()[1]->isChecked());
        // Listing asks for names only; the device in use is left alone.
        for (const FakeWaveOut::Call& call : wave.calls)
            QCOMPARE(call.operation, QStringLiteral("ProductName"));
        QCOMPARE(wave.calls.size(), 3);
    }

    void aFailedNameQueryStillGetsAnEntry()
    {
        GameState state;
        FakeWaveOut wave;
        wave.productNames = Devices(3);
        wave.SetResult(QStringLiteral("ProductName"), WaveBadDeviceId);
        SoundCardDialog dialog(state, wave);
        QCOMPARE(dialog.Entries().size(), 3);
        QCOMPARE(dialog.DeviceNumber(dialog.Entries()[2]), 2);
        // A fresh name per device: no entry repeats its neighbour's name.
        QCOMPARE(Texts(dialog), QStringList({"", "", ""}));
    }

    void marksTheCurrentDevice_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<int>("soundCardId");
        QTest::addColumn<int>("marked");
        QTest::newRow("first") << 3 << 0 << 0;
        QTest::newRow("last") << 3 << 2 << 2;
        QTest::newRow("beyond the list") << 2 << 5 << 1;
        QTest::newRow("just beyond") << 3 << 3 << 2;
        QTest::newRow("largest integer") << 3 << 2147483647 << 2;
        QTest::newRow("negative") << 3 << -1 << 0;
        QTest::newRow("no devices") << 0 << 0 << -1;
    }

    void marksTheCurrentDevice()
    {
        QFETCH(int, devices);
        QFETCH(int, soundCardId);
        QFETCH(int, marked);
        GameState state;
        state.SoundCardId = soundCardId;
        FakeWaveOut wave;
        wave.productNames = Devices(devices);
        SoundCardDialog dialog(state, wave);
        QCOMPARE(dialog.Entries().size(), devices);
        QCOMPARE(dialog.ItemIndex(), marked);
        int checked = 0;
        for (QRadioButton* entry : dialog.Entries())
            checked += entry->isChecked() ? 1 : 0;
        QCOMPARE(checked, marked >= 0 ? 1 : 0);
        if (marked < 0)
            return;

        // The tone plays on the device the dialog marks.
        ScriptedDialogs dialogs;
        ToneOutput tone(state, wave, dialogs);
        const int from = wave.calls.size();
        tone.PrepareTone(1000.0, ToneKind::Plain);
        QCOMPARE(wave.calls.at(from).operation, QStringLiteral("Open"));
        QCOMPARE(wave.calls.at(from).value, std::uint32_t(marked));
        QVERIFY(dialogs.boxes.isEmpty());
        tone.Shutdown();
    }

    void okTakesTheMarkedDevice_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<int>("soundCardId");
        QTest::addColumn<int>("choose"); // -1: leave the mark as it is
        QTest::addColumn<int>("expected");
        QTest::newRow("third of three") << 3 << 1 << 2 << 2;
        QTest::newRow("first of three") << 3 << 2 << 0 << 0;
        QTest::newRow("removed device, unchanged mark") << 2 << 5 << -1 << 1;
        QTest::newRow("negative, first marked") << 3 << -1 << -1 << 0;
    }

    void okTakesTheMarkedDevice()
    {
        QFETCH(int, devices);
        QFETCH(int, soundCardId);
        QFETCH(int, choose);
        QFETCH(int, expected);
        GameState state;
        state.SoundCardId = soundCardId;
        FakeWaveOut wave;
        wave.productNames = Devices(devices);
        SoundCardDialog dialog(state, wave);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (choose >= 0)
            ClickEntry(dialog.Entries()[choose]);
        QTest::mouseClick(dialog.BitBtn1(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(state.SoundCardId, expected);
    }

    void leavingWithoutOkChangesNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("cancel button") << QStringLiteral("cancel");
        QTest::newRow("escape key") << QStringLiteral("escape");
        QTest::newRow("close box") << QStringLiteral("close");
    }

    void leavingWithoutOkChangesNothing()
    {
        QFETCH(QString, way);
        GameState state;
        state.SoundCardId = 1;
        FakeWaveOut wave;
        wave.productNames = Devices(3);
        SoundCardDialog dialog(state, wave);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        ClickEntry(dialog.Entries()[2]);
        QVERIFY(dialog.Entries()[2]->isChecked());
        if (way == QLatin1String("cancel"))
            QTest::mouseClick(dialog.BitBtn2(), Qt::LeftButton);
        else if (way == QLatin1String("escape"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            QVERIFY(dialog.close());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(state.SoundCardId, 1);
    }

    void keysMoveTheMarkAndEnterActsAsOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }

    void keysMoveTheMarkAndEnterActsAsOk()
    {
        QFETCH(int, key);
        GameState state;
        state.SoundCardId = 1;
        FakeWaveOut wave;
        wave.productNames = Devices(3);
        SoundCardDialog dialog(state, wave);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // The keyboard starts on the marked entry.
        QCOMPARE(QApplication::focusWidget(), dialog.Entries()[1]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(dialog.ItemIndex(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(dialog.ItemIndex(), 2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(state.SoundCardId, 2);
    }

    void showRunsModallyAndTakesTheChoice()
    {
        GameState state;
        state.SoundCardId = 1;
        FakeWaveOut wave;
        wave.productNames = Devices(3);
        QWidget owner;
        WhenShown([&owner](SoundCardDialog& dialog) {
            QCOMPARE(dialog.parentWidget(), &owner);
            QVERIFY(dialog.isModal());
            ClickEntry(dialog.Entries()[2]);
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        ShowSoundCardDialog(state, wave, &owner);
        QCOMPARE(state.SoundCardId, 2);
        // Destroyed on closing: nothing is left behind for the next opening.
        QVERIFY(owner.findChildren<SoundCardDialog*>().isEmpty());
    }

    void layout()
    {
        GameState state;
        FakeWaveOut wave;
        wave.productNames = Devices(3);
        SoundCardDialog dialog(state, wave);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Soundkarte"));
        QCOMPARE(dialog.windowType(), Qt::Tool);
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog.pos(), QPoint(216, 211));
        QCOMPARE(dialog.size(), QSize(297, 181));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.font().family(), QStringLiteral("Arial"));
        QCOMPARE(dialog.font().pixelSize(), 13);
        QCOMPARE(dialog.palette().color(QPalette::WindowText), QColor(Qt::white));

        QCOMPARE(dialog.RadioGroup1()->title(), QStringLiteral("Soundkarte"));
        QCOMPARE(dialog.RadioGroup1()->geometry(), QRect(6, 4, 283, 133));
        QCOMPARE(dialog.BitBtn2()->geometry(), QRect(110, 142, 91, 25));
        QCOMPARE(dialog.BitBtn1()->geometry(), QRect(216, 142, 75, 25));
        QCOMPARE(dialog.BitBtn2()->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(dialog.BitBtn1()->text(), QStringLiteral("OK"));
        QVERIFY(!dialog.BitBtn2()->icon().isNull());
        QVERIFY(!dialog.BitBtn1()->icon().isNull());
        QVERIFY(dialog.BitBtn1()->isDefault());

        // Teal shows around the controls and behind the entries.
        const QImage picture = dialog.grab().toImage();
        QCOMPARE(picture.pixelColor(2, 175), QColor(0, 128, 128));
        const QRadioButton* entry = dialog.Entries()[1];
        const QPoint besideText =
            entry->mapTo(&dialog, QPoint(entry->width() - 2, entry->height() / 2));
        QCOMPARE(picture.pixelColor(besideText), QColor(0, 128, 128));
        // The entries stay inside the frame, above the buttons.
        for (QRadioButton* e : dialog.Entries()) {
            const QRect placed(e->mapTo(&dialog, QPoint(0, 0)), e->size());
            QVERIFY(dialog.RadioGroup1()->geometry().contains(placed));
        }
    }

    void manyDevicesScrollWithTheMarkInView()
    {
        GameState state;
        state.SoundCardId = 18;
        FakeWaveOut wave;
        wave.productNames = Devices(20);
        SoundCardDialog dialog(state, wave);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.Entries().size(), 20);
        QCOMPARE(dialog.RadioGroup1()->geometry(), QRect(6, 4, 283, 133));
        auto* area = dialog.RadioGroup1()->findChild<QScrollArea*>();
        QVERIFY(area != nullptr);
        const QRect viewport(QPoint(0, 0), area->viewport()->size());
        QRadioButton* marked = dialog.Entries()[18];
        const QRect markedPlace(marked->mapTo(area->viewport(), QPoint(0, 0)), marked->size());
        QVERIFY(viewport.contains(markedPlace));
        // Every entry keeps a readable height instead of being squeezed.
        for (QRadioButton* entry : dialog.Entries())
            QVERIFY(entry->height() >= entry->fontMetrics().height());
        QTest::mouseClick(dialog.BitBtn1(), Qt::LeftButton);
        QCOMPARE(state.SoundCardId, 18);
    }

    void theNextToneOpensTheChosenDevice()
    {
        GameState state;
        state.SoundCardId = 0;
        FakeWaveOut wave;
        wave.productNames = Devices(3);
        ScriptedDialogs dialogs;
        ToneOutput tone(state, wave, dialogs);
        tone.PrepareTone(1000.0, ToneKind::Plain);
        tone.StartToneOutput();
        const int before = wave.calls.size();

        WhenShown([](SoundCardDialog& dialog) {
            ClickEntry(dialog.Entries()[2]);
            QTest::mouseClick(dialog.BitBtn1(), Qt::LeftButton);
        });
        ShowSoundCardDialog(state, wave, nullptr);
        QCOMPARE(state.SoundCardId, 2);
        // The running tone goes on where it is.
        for (int i = before; i < wave.calls.size(); ++i)
            QCOMPARE(wave.calls[i].operation, QStringLiteral("ProductName"));
        QVERIFY(!tone.SoundIdle());

        tone.StopTone();
        const int next = wave.calls.size();
        tone.PrepareTone(1000.0, ToneKind::Plain);
        QCOMPARE(wave.calls[next].operation, QStringLiteral("Open"));
        QCOMPARE(wave.calls[next].value, 2u);
        QVERIFY(dialogs.boxes.isEmpty());
        tone.Shutdown();
    }
};

QTEST_MAIN(TestSoundCard)
#include "tst_soundcard.moc"
