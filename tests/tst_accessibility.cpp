// What assistive tools meet, through the real window: the boxes as alerts,
// the painted bank as 29 sliders that play as the keys do, and a whole turn
// played with the keyboard alone. The events they send need a live bridge:
// tests/e2e/screen_reader.py listens for them over AT-SPI.

#include "game/FaderView.h"
#include "game/MainMenu.h"
#include "platform/Dialogs.h"
#include "session/GameFlow.h"
#include "session/PracticeSetRunner.h"
#include "support/GameHarness.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {

QAccessibleInterface* Slider(GameHarness& rig, int fader)
{
    QAccessibleInterface* bank = QAccessible::queryAccessibleInterface(rig.form->Fader());
    return bank ? bank->child(fader) : nullptr;
}

// Everything a move can change, to compare two ways of making it.
QStringList Outcome(GameHarness& rig)
{
    const GameState& s = rig.State();
    QStringList outcome{QStringLiteral("mode %1 selected %2 volume %3")
                            .arg(s.GameMode)
                            .arg(s.SelectedFader)
                            .arg(s.MasterVolume),
                        QStringLiteral("tries %1 finds %2 ringing %3 at %4 Hz, sound %5")
                            .arg(s.TurnAttempts)
                            .arg(s.GameFinds)
                            .arg(s.RingingBand)
                            .arg(s.ToneFrequency)
                            .arg(rig.SoundIdle() ? "idle" : "on")};
    for (int band = 0; band < BandCount; ++band)
        outcome << QStringLiteral("%1: %2%3")
                       .arg(band)
                       .arg(s.BandTable[band].Level)
                       .arg(s.BandTable[band].Locked ? " locked" : "");
    return outcome;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GameHarness> rig_;

    // A game as the row sets it up: a turn ringing in 1k, the generator, or idle.
    void StartGame(const QByteArray& settings, const QString& phase)
    {
        rig_ = std::make_unique<GameHarness>();
        QVERIFY(rig_->Start(settings));
        if (phase == QLatin1String("turn"))
            rig_->StartTurnRinging(DrawFor1k);
        if (phase == QLatin1String("generator"))
            QVERIFY(rig_->TriggerMenuItem(QStringLiteral("Spielablauf/Feedbackgenerator")));
    }

  private slots:
    void cleanup() { rig_.reset(); }

    void boxIsAnAlertWithItsText_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::newRow("error") << int(DialogIcon::Error) << int(DialogButtons::OkCancel);
        QTest::newRow("question") << int(DialogIcon::Question) << int(DialogButtons::YesNo);
        QTest::newRow("no icon") << int(DialogIcon::None) << int(DialogButtons::Ok);
    }

    void boxIsAnAlertWithItsText()
    {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        MessageBoxRequest request;
        request.caption = QStringLiteral("Überschrift");
        request.text = QStringLiteral("Erste Zeile\nzweite <b>Zeile</b>");
        request.icon = DialogIcon(icon);
        request.buttons = DialogButtons(buttons);
        QAccessible::Role role = QAccessible::NoRole;
        QString name, description;
        QTimer::singleShot(50, this, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(box);
            role = read->role();
            name = read->text(QAccessible::Name);
            description = read->text(QAccessible::Description);
            box->reject();
        });
        QtDialogs().MessageBox(request);
        QCOMPARE(role, QAccessible::AlertMessage);
        QCOMPARE(name, request.caption);
        QCOMPARE(description, request.text);
    }

    void bankIsTwentyNineSliders()
    {
        StartGame("", {});
        QAccessibleInterface* bank = QAccessible::queryAccessibleInterface(rig_->form->Fader());
        QVERIFY(bank);
        QCOMPARE(bank->childCount(), VolumeFader + 1);
        QStringList names;
        for (int fader = 0; fader <= VolumeFader; ++fader) {
            QAccessibleInterface* slider = bank->child(fader);
            QCOMPARE(slider->role(), QAccessible::Slider);
            QCOMPARE(bank->indexOfChild(slider), fader);
            QCOMPARE(slider->parent(), bank);
            names << slider->text(QAccessible::Name);
            QAccessibleValueInterface* value = slider->valueInterface();
            QVERIFY(value);
            QCOMPARE(value->minimumValue().toInt(), -12);
            QCOMPARE(value->maximumValue().toInt(), 12);
            // Outside the default cut 11..22 the bands are locked.
            const bool inPlay = (fader >= 11 && fader <= 22) || fader == VolumeFader;
            QCOMPARE(bool(slider->state().disabled), !inPlay);
            QVERIFY(!slider->state().focused);
            // Where the screen reader points is where the fader is drawn.
            const QPoint centre = rig_->form->Fader()->mapToGlobal(rig_->FaderPoint(fader));
            QCOMPARE(bank->childAt(centre.x(), centre.y()), slider);
        }
        QCOMPARE(names.mid(0, 4), QStringList({"25 Hz", "32 Hz", "50 Hz", "62 Hz"}));
        QCOMPARE(names.mid(15, 3), QStringList({"1 kHz", "1.25 kHz", "1.6 kHz"}));
        QCOMPARE(names.mid(27), QStringList({"16 kHz", "Lautstärke"}));
        QCOMPARE(Slider(*rig_, VolumeFader)->valueInterface()->currentValue().toInt(), -10);

        rig_->ClickFader(13);
        QVERIFY(Slider(*rig_, 13)->state().focused);
        QCOMPARE(bank->childCount(), VolumeFader + 1);
    }

    // A value set by a screen reader must play exactly as the player's keys
    // would: the same game, once with each, must end the same.
    void valueSetPlaysAsTheKeys_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("phase");
        QTest::addColumn<int>("fader");
        QTest::addColumn<int>("level");
        const QByteArray anwahl = "[Spiel]\nSelektmode=0\n";
        QTest::newRow("Absenkung, wrong band") << QByteArray() << "turn" << 14 << -12;
        QTest::newRow("Absenkung, too little") << QByteArray() << "turn" << 14 << -5;
        QTest::newRow("Absenkung, the find") << QByteArray() << "turn" << 15 << -9;
        QTest::newRow("Anwahl, wrong band up") << anwahl << "turn" << 13 << 4;
        QTest::newRow("Anwahl, the find at the top") << anwahl << "turn" << 15 << 12;
        QTest::newRow("out of play") << QByteArray() << "turn" << 5 << -12;
        QTest::newRow("generator") << anwahl << "generator" << 16 << 9;
        QTest::newRow("idle volume") << QByteArray() << "" << int(VolumeFader) << 3;
        QTest::newRow("idle band") << QByteArray() << "" << 12 << -7;
    }

    void valueSetPlaysAsTheKeys()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, phase);
        QFETCH(int, fader);
        QFETCH(int, level);

        StartGame(settings, phase);
        rig_->ClickFader(fader);
        const auto now = [&] {
            return fader == VolumeFader ? rig_->State().MasterVolume
                                        : rig_->State().BandTable[fader].Level;
        };
        // Keys until it stands or stops moving (a find takes the selection away).
        for (int before = now(); before != level; before = now()) {
            rig_->Key(level > before ? Qt::Key_Up : Qt::Key_Down);
            if (now() == before)
                break;
        }
        const QStringList byKeys = Outcome(*rig_);
        const int keysWrites = rig_->Calls(QStringLiteral("Write"));

        StartGame(settings, phase);
        Slider(*rig_, fader)->valueInterface()->setCurrentValue(level);
        QCOMPARE(Outcome(*rig_), byKeys);
        QCOMPARE(rig_->Calls(QStringLiteral("Write")), keysWrites);
    }

    // A wrong try is said in words, since its red or orange knob is not
    // seen; "Hinweise" tells the side the ringing band (1k) lies on.
    void wrongTryIsDescribed_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("description");
        const QByteArray hints = "[Training]\nHinweise=1\n";
        QTest::newRow("no hints") << QByteArray() << 13 << "Fehlversuch";
        QTest::newRow("hints, below") << hints << 13 << "Fehlversuch, zu tief";
        QTest::newRow("hints, above") << hints << 18 << "Fehlversuch, zu hoch";
    }

    void wrongTryIsDescribed()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, band);
        QFETCH(QString, description);
        StartGame(settings, QStringLiteral("turn"));
        QCOMPARE(Slider(*rig_, band)->text(QAccessible::Description), QString());
        Slider(*rig_, band)->valueInterface()->setCurrentValue(-12);
        QCOMPARE(Slider(*rig_, band)->text(QAccessible::Description), description);
        QCOMPARE(Slider(*rig_, 15)->text(QAccessible::Description), QString());
        rig_->ClickStart(); // given up: the knobs are free again
        QCOMPARE(Slider(*rig_, band)->text(QAccessible::Description), QString());
    }

    void wholeTurnByKeysAlone_data()
    {
        QTest::addColumn<bool>("giveUp");
        QTest::addColumn<Qt::Key>("next");
        QTest::newRow("find, F5") << false << Qt::Key_F5;
        QTest::newRow("find, Enter") << false << Qt::Key_Return;
        QTest::newRow("give up with F5") << true << Qt::Key_F5;
    }

    void wholeTurnByKeysAlone()
    {
        QFETCH(bool, giveUp);
        QFETCH(Qt::Key, next);
        StartGame("", {});
        rig_->random.values = {DrawFor1k, 45};
        rig_->Key(Qt::Key_F5);
        QCOMPARE(rig_->State().GameMode, ModeSearching);
        QCOMPARE(rig_->State().RingingBand, 15);
        const auto walkTo = [this](int fader) {
            for (int steps = 0; steps < 30 && rig_->State().SelectedFader != fader; ++steps)
                rig_->Key(rig_->State().SelectedFader < fader ? Qt::Key_Right : Qt::Key_Left);
            QCOMPARE(rig_->State().SelectedFader, fader);
        };
        walkTo(14);
        rig_->Key(Qt::Key_PageDown);
        QCOMPARE(rig_->State().TurnAttempts, 1);
        if (giveUp) {
            rig_->Key(Qt::Key_F5);
            QCOMPARE(rig_->State().GameFinds, 0);
        } else {
            walkTo(15);
            rig_->Key(Qt::Key_PageDown);
            QCOMPARE(rig_->State().GameFinds, 1);
            QCOMPARE(rig_->State().TurnAttempts, 2);
        }
        QCOMPARE(rig_->State().GameMode, ModeTurnOver);
        QVERIFY(rig_->SoundIdle());

        rig_->random.values = {DrawFor800, 45};
        rig_->Key(next);
        QCOMPARE(rig_->State().GameMode, ModeSearching);
        QCOMPARE(rig_->State().RingingBand, 14);
        QVERIFY(!rig_->SoundIdle());
    }

    // A ten-turn "Übungssatz" without the mouse: the menu bar by Alt and the
    // arrows, each turn by the arrows and Page Down.
    void wholeSetByKeysAlone()
    {
        StartGame("", {});
        rig_->form->session.Sets().nextTurn.setInterval(1);
        QTest::keyClick(&rig_->form->form, Qt::Key_Alt);
        for (int menu = 0; menu < 10 && QApplication::activePopupWidget() == nullptr; ++menu) {
            auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget());
            QVERIFY(bar);
            if (bar->activeAction() && bar->activeAction()->text() == QStringLiteral("Training"))
                QTest::keyClick(bar, Qt::Key_Down);
            else
                QTest::keyClick(bar, Qt::Key_Right);
        }
        auto* training = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(training);
        for (int item = 0;
             item < 30 && (!training->activeAction() || training->activeAction()->text() !=
                                                            QStringLiteral("Übungssatz starten"));
             ++item)
            QTest::keyClick(training, Qt::Key_Down);
        QTest::keyClick(training, Qt::Key_Return);
        // What a window manager does once the menu is gone; offscreen there is none.
        rig_->form->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig_->form->form));
        for (int turn = 0; turn < PracticeSet::TurnCount; ++turn) {
            QTRY_COMPARE(rig_->State().GameMode, ModeSearching);
            const int ringing = rig_->State().RingingBand;
            for (int steps = 0; steps < 30 && rig_->State().SelectedFader != ringing; ++steps)
                rig_->Key(rig_->State().SelectedFader < ringing ? Qt::Key_Right : Qt::Key_Left);
            rig_->Key(Qt::Key_PageDown);
            QCOMPARE(rig_->State().GameMode, ModeTurnOver);
        }
        QTRY_VERIFY(rig_->dialogs.captions().contains(QStringLiteral("Übungssatz")));
        QCOMPARE(rig_->State().GameFinds, PracticeSet::TurnCount);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
