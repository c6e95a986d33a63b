// Control surfaces through a real JACK server (a private one with the dummy
// back end): moves, banks, learning, the game's rules, feedback, floods, and
// a machine without any MIDI system.

#include "game/FaderView.h"
#include "game/MainForm.h"
#include "game/MainMenu.h"
#include "game/MidiDialog.h"
#include "game/TrainingMenu.h"
#include "midi/MidiMapping.h"
#include "session/GameFlow.h"
#include "session/MidiBridge.h"
#include "session/SettingsFile.h"
#include "support/Builders.h"
#include "support/JackServer.h"
#include "support/MidiGame.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <new>
#include <pthread.h>

namespace {

// Every band but 27 in play (the highest cut the settings allow is 26).
const QByteArray WideCut = "[Filter]\nLowCut=0\nHighcut=26\n";
const QByteArray Anwahl = "[Spiel]\nSelektmode=0\n";
const QStringList OnlyTheWarning = {QStringLiteral("Vorsicht!!!")}; // the start-up box

// In the feedback generator every fader in play moves as the mouse moves it.
void EnterGenerator(MidiGame& midi)
{
    midi.game.form->Menu()->Actions().Feedbackgenerator->trigger();
}

} // namespace

namespace {

// Every operator new of this executable on JACK's cycle is counted while
// the flag is set.
pthread_t jackCycle{};
std::atomic<bool> countOnJackCycle{false};
std::atomic<int> jackCycleAllocations{0};

} // namespace

void* operator new(std::size_t size)
{
    if (countOnJackCycle && pthread_equal(pthread_self(), jackCycle))
        ++jackCycleAllocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

class MidiTest : public QObject {
    Q_OBJECT
    std::unique_ptr<JackServer> jack_;

  private slots:
    void initTestCase()
    {
        jack_ = std::make_unique<JackServer>();
        QVERIFY2(jack_->Answers(), jack_->Output().constData());
    }
    void cleanupTestCase() { jack_.reset(); }

    void movesEveryFader_data()
    {
        QTest::addColumn<int>("mapping");
        QTest::addColumn<int>("level");
        for (int level : {-12, 0, 12}) {
            QTest::addRow("CC %d", level) << 0 << level;
            QTest::addRow("Mackie %d", level) << 1 << level;
        }
    }
    void movesEveryFader()
    {
        QFETCH(int, mapping);
        QFETCH(int, level);
        MidiGame midi;
        QVERIFY(midi.Start(WideCut, mapping));
        EnterGenerator(midi);
        midi.surface.ClearReceived();
        if (mapping == 0) {
            for (int fader = 0; fader <= VolumeFader; ++fader)
                midi.surface.Send(MidiGame::Cc(fader, ControllerFromLevel(level)));
        } else {
            for (int bank = 0; bank < 4; ++bank) {
                for (int channel = 0; channel < 8 && bank * 8 + channel < BandCount; ++channel)
                    midi.surface.Send(MidiGame::Bend(channel, BendFromLevel(level)));
                midi.surface.Send({0x90, 47, 127});
            }
            midi.surface.Send(MidiGame::Bend(8, BendFromLevel(level)));
        }
        QVERIFY(midi.WaitForLevel(VolumeFader, level));
        for (int band = 0; band < BandCount - 1; ++band)
            QCOMPARE(midi.Level(band), level);
        QCOMPARE(midi.Level(BandCount - 1), 0); // out of play: the mouse cannot move it either
        // Moves that were taken are not echoed; the refused one springs back.
        const QByteArray springBack =
            mapping == 0 ? MidiGame::Cc(27, 64) : MidiGame::Bend(3, BendFromLevel(0));
        if (level != 0)
            QTRY_VERIFY(midi.surface.Received().contains(springBack));
        midi.surface.WaitUntilQuiet();
        if (mapping == 0)
            QCOMPARE(midi.surface.Received(),
                     level == 0 ? QList<QByteArray>{} : QList<QByteArray>{springBack});
        else if (level != 0)
            QCOMPARE(midi.surface.Received().constLast(), springBack);
    }

    void banks_data()
    {
        QTest::addColumn<QByteArray>("presses");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("fader");
        QTest::newRow("first bank") << QByteArray() << 2 << 2;
        QTest::newRow("second") << QByteArray("+") << 0 << 8;
        QTest::newRow("stops at the last") << QByteArray("+++++") << 0 << 24;
        QTest::newRow("last bank is short") << QByteArray("++++") << 4 << int(NoFader);
        QTest::newRow("back down") << QByteArray("++++-") << 7 << 23;
        QTest::newRow("stops at the first") << QByteArray("-+") << 1 << 9;
    }
    void banks()
    {
        QFETCH(QByteArray, presses);
        QFETCH(int, channel);
        QFETCH(int, fader);
        MidiGame midi;
        QVERIFY(midi.Start(WideCut, 1));
        EnterGenerator(midi);
        for (char press : presses)
            midi.surface.Send({0x90, static_cast<unsigned char>(press == '+' ? 47 : 46), 127});
        midi.surface.Send({0x90, 47, 0});    // a release moves no bank
        midi.surface.Send({0x90, 104, 127}); // a touch note is ignored
        midi.surface.Send(MidiGame::Bend(channel, 0));
        midi.surface.Send(MidiGame::Cc(5, 0));   // not Mackie's
        midi.surface.Send(MidiGame::Bend(8, 0)); // the volume, in every bank: all is taken
        QVERIFY(midi.WaitForLevel(VolumeFader, MinLevel));
        for (int band = 0; band < BandCount; ++band)
            QCOMPARE(midi.Level(band), band == fader ? MinLevel : 0);
    }

    void bankMarkedOnScreen_data()
    {
        QTest::addColumn<int>("mapping");
        QTest::addColumn<QByteArray>("presses");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("first bank") << 1 << QByteArray() << 0 << 8;
        QTest::newRow("second") << 1 << QByteArray("+") << 8 << 8;
        QTest::newRow("last bank is short") << 1 << QByteArray("+++") << 24 << 4;
        QTest::newRow("back down") << 1 << QByteArray("++++-") << 16 << 8;
        QTest::newRow("no banks with CC") << 0 << QByteArray("+") << 0 << 0;
    }
    void bankMarkedOnScreen()
    {
        QFETCH(int, mapping);
        QFETCH(QByteArray, presses);
        QFETCH(int, first);
        QFETCH(int, count);
        MidiGame midi;
        QVERIFY(midi.Start(WideCut, mapping));
        EnterGenerator(midi);
        for (char press : presses)
            midi.surface.Send({0x90, static_cast<unsigned char>(press == '+' ? 47 : 46), 127});
        // After the presses, in their order: once it moved, the bank has too.
        midi.surface.Send(mapping == 1 ? MidiGame::Bend(8, 0) : MidiGame::Cc(28, 0));
        QVERIFY(midi.WaitForLevel(VolumeFader, MinLevel));
        QCoreApplication::processEvents();
        QList<int> expected;
        for (int band = first; band < first + count; ++band)
            expected.append(band);
        const QImage shown = midi.game.form->Fader()->grab().toImage();
        QCOMPARE(BandsMarkedAbove(shown, midi.game.form->Renderer().Geometry()), expected);
    }

    // Under "Anwahl" a control that moves a fader selects it, which counts;
    // one that re-sends where the fader stands moves nothing and is no try.
    void anwahlMoveIsATry_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("mode");
        QTest::newRow("wrong band moved") << 13 << -1 << 1 << int(ModeSearching);
        QTest::newRow("ringing band moved") << 15 << -1 << 1 << int(ModeTurnOver);
        QTest::newRow("wrong band where it stands") << 13 << 0 << 0 << int(ModeSearching);
        QTest::newRow("ringing band where it stands") << 15 << 0 << 0 << int(ModeSearching);
    }
    void anwahlMoveIsATry()
    {
        QFETCH(int, band);
        QFETCH(int, level);
        QFETCH(int, attempts);
        QFETCH(int, mode);
        MidiGame midi;
        QVERIFY(midi.Start(Anwahl));
        midi.game.StartTurnRinging(DrawFor1k);
        QCOMPARE(midi.game.State().RingingBand, 15);
        midi.surface.Send(MidiGame::Cc(band, ControllerFromLevel(level)));
        // A last message that always moves: everything before it has been taken.
        midi.surface.Send(MidiGame::Cc(VolumeFader, 0));
        QVERIFY(midi.WaitForLevel(VolumeFader, MinLevel));
        QCOMPARE(midi.game.State().TurnAttempts, attempts);
        QCOMPARE(int(midi.game.State().GameMode), mode);
        QCOMPARE(midi.game.State().BandTable[band].Locked, attempts);
    }

    void feedback_data()
    {
        QTest::addColumn<bool>("newTurn");
        QTest::newRow("refused move") << false;
        QTest::newRow("new turn") << true;
    }
    void feedback()
    {
        QFETCH(bool, newTurn);
        MidiGame midi;
        QVERIFY(midi.Start({}));
        if (newTurn) {
            midi.game.StartTurnRinging(DrawFor1k);
            midi.surface.Send(MidiGame::Cc(12, 0)); // a wrong band, pulled down: stays down
            QVERIFY(midi.WaitForLevel(12, MinLevel));
            midi.surface.Send(MidiGame::Cc(15, 0)); // found
            QVERIFY(QTest::qWaitFor([&] { return midi.game.State().GameMode == ModeTurnOver; }));
            midi.surface.WaitUntilQuiet();
            QVERIFY(midi.surface.Received().isEmpty());
            midi.game.StartTurnRinging(DrawFor800); // the levels go back to 0
        } else {
            midi.surface.Send(MidiGame::Cc(12, 0)); // no turn yet: nothing moves
        }
        QList<QByteArray> expected = {MidiGame::Cc(12, 64)};
        if (newTurn)
            expected << MidiGame::Cc(15, 64);
        QTRY_COMPARE(midi.surface.Received(), expected);
        midi.surface.WaitUntilQuiet();
        QCOMPARE(midi.surface.Received(), expected); // and nothing more
        QCOMPARE(midi.Level(12), 0);
    }

    void learning()
    {
        MidiGame midi;
        QVERIFY(midi.Start(WideCut));
        EnterGenerator(midi);
        midi.game.form->Training()->Actions().MidiRegler->trigger();
        auto* dialog = midi.game.form->form.findChild<MidiDialog*>();
        QVERIFY(dialog);
        const QByteArray knob = MidiGame::Cc(2, 0, 3);
        // Each "Lernen" takes the first control that moves and no other, then ends.
        const struct {
            int fader;
            QList<QByteArray> controls;
            const char* lastArrived;
        } steps[] = {
            {5, {knob, MidiGame::Cc(9, 0, 3)}, "CC 9 Kanal 4 = 0"},
            {7, {knob}, "CC 2 Kanal 4 = 0"},
            {VolumeFader, {MidiGame::Bend(4, 0), MidiGame::Cc(10, 0, 3)}, "CC 10 Kanal 4 = 0"}};
        for (const auto& step : steps) {
            midi.game.ClickFader(step.fader);
            dialog->Lernen()->click();
            QCOMPARE(dialog->Zuordnung()->currentText(), QStringLiteral("Gelernt"));
            for (const QByteArray& control : step.controls)
                midi.surface.Send(control);
            QVERIFY(midi.WaitForLevel(step.fader, MinLevel));
            QTRY_COMPARE(dialog->Empfangen()->text(), QString::fromUtf8(step.lastArrived));
            QVERIFY(!dialog->Lernen()->isChecked());
        }
        midi.game.ClickFader(3);
        midi.surface.Send(MidiGame::Cc(2, 127, 3)); // now bound to fader 7 alone
        QVERIFY(midi.WaitForLevel(7, MaxLevel));
        QCOMPARE(midi.Level(5), MinLevel);
        QCOMPARE(midi.Level(3), 0);
        // Written as it was learned: quitting with the dialog open loses nothing.
        QFile settings(midi.game.SettingsPath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray text = settings.readAll();
        QVERIFY2(text.contains("[MIDI]\nAktiv=1\nZuordnung=2\n") &&
                     text.contains("Gelernt=cc4.2=7 pb5=28"),
                 text.constData());
        QVERIFY(text.startsWith(WideCut)); // the lines before are kept
        dialog->close();
    }

    void directPortsBesideTheOwnOnes()
    {
        MidiGame midi;
        QVERIFY(midi.Start(WideCut));
        EnterGenerator(midi);
        JackMidiClient other("Direkt"); // not patched to the game's own ports
        QVERIFY(other.IsOpen());
        midi.game.form->Training()->Actions().MidiRegler->trigger();
        auto* dialog = midi.game.form->form.findChild<MidiDialog*>();
        QVERIFY(dialog);
        for (QComboBox* box : {dialog->Eingang(), dialog->Ausgang()}) {
            const int index = box->findText(QStringLiteral("Direkt"), Qt::MatchContains);
            QVERIFY(index > 0);
            box->setCurrentIndex(index);
            emit box->activated(index);
        }
        QTRY_COMPARE(other.Received().size(), VolumeFader + 1); // a new listener hears every level
        other.WaitUntilQuiet();
        other.ClearReceived();
        midi.surface.ClearReceived();
        other.Send(MidiGame::Cc(27, 127)); // refused: springs back on both outputs
        const QList<QByteArray> springBack = {MidiGame::Cc(27, 64)};
        QTRY_COMPARE(other.Received(), springBack);
        QTRY_COMPARE(midi.surface.Received(), springBack);
        dialog->close();
        QCOMPARE(ReadMidiSettings(midi.game.SettingsPath()).source, QStringLiteral("Direkt:out"));
    }

    void surfacePatchedByHandHearsEveryLevel()
    {
        MidiGame midi;
        QVERIFY(midi.Start(WideCut));
        EnterGenerator(midi);
        midi.surface.Send(MidiGame::Cc(3, 0));
        QVERIFY(midi.WaitForLevel(3, MinLevel));
        JackMidiClient late("Spaet");
        QVERIFY(late.ConnectToGame()); // as a patchbay does, without the game's dialog
        QTRY_COMPARE(late.Received().size(), VolumeFader + 1);
        QVERIFY(late.Received().contains(MidiGame::Cc(3, 0)));
        QVERIFY(late.Received().contains(MidiGame::Cc(4, 64)));
    }

    void portsComeBackWithANewServer()
    {
        MidiGame midi;
        QVERIFY(midi.Start(WideCut, 1)); // Mackie: a new start would take CC
        EnterGenerator(midi);
        midi.game.form->Training()->Actions().MidiRegler->trigger();
        auto* dialog = midi.game.form->form.findChild<MidiDialog*>();
        QVERIFY(dialog);
        const QString open = dialog->Status()->text();
        jack_->Stop();
        midi.surface.Close();
        QTRY_VERIFY(dialog->Status()->text().startsWith(
            QStringLiteral("Der JACK-Server läuft nicht mehr")));
        QVERIFY(!dialog->Zuordnung()->isEnabled());
        QVERIFY(ReadMidiSettings(midi.game.SettingsPath()).inUse); // still wanted
        jack_.reset();
        jack_ = std::make_unique<JackServer>(); // the same name
        QVERIFY2(jack_->Answers(), jack_->Output().constData());
        QTRY_VERIFY_WITH_TIMEOUT(dialog->Zuordnung()->isEnabled(), 10000);
        QCOMPARE(dialog->Status()->text(), open);
        QCOMPARE(dialog->Zuordnung()->currentText(), QStringLiteral("Mackie Control"));
        JackMidiClient surface("Pult");
        QVERIFY(surface.ConnectToGame());
        surface.Send(MidiGame::Bend(3, 0));
        QVERIFY(midi.WaitForLevel(3, MinLevel));
        dialog->close();
    }

    void floodEndsAtTheFinalValues()
    {
        MidiGame midi;
        QVERIFY(midi.Start(WideCut));
        EnterGenerator(midi);
        const QByteArray noise[] = {
            QByteArray::fromHex("f07e7f0601f7"), // system exclusive
            QByteArray::fromHex("0740"),         // running status
            QByteArray::fromHex("b08040"),       // a data byte with the high bit
            QByteArray::fromHex("903c7f"),       // a note the mapping does not use
            QByteArray::fromHex("b0"),           // cut short
        };
        for (int index = 0; index < 10000; ++index) {
            const QByteArray message =
                index % 7 == 0 ? noise[index / 7 % 5] : MidiGame::Cc(index % 29, index % 128);
            QVERIFY(midi.surface.Send(message));
        }
        const auto final = [](int fader) { return 127 - 4 * fader; };
        for (int fader = 0; fader <= VolumeFader; ++fader)
            midi.surface.Send(MidiGame::Cc(fader, final(fader)));
        const auto atFinals = [&] {
            for (int fader = 0; fader <= VolumeFader; ++fader)
                if (fader != BandCount - 1 &&
                    midi.Level(fader) != LevelFromController(final(fader)))
                    return false;
            return true;
        };
        QVERIFY(QTest::qWaitFor(atFinals, 20000));
        QCOMPARE(midi.game.dialogs.captions(), OnlyTheWarning);
    }

    void noMidiSystemPlaysAsBefore()
    {
        qputenv("JACK_DEFAULT_SERVER", "heulmeister-nobody-here");
        const auto backToTheServer =
            qScopeGuard([this] { qputenv("JACK_DEFAULT_SERVER", jack_->Name().toLocal8Bit()); });
        MidiGame midi;
        QVERIFY(!midi.Start({}));
        QVERIFY(!midi.game.form->Midi().IsRunning());
        midi.game.StartTurnRinging(DrawFor1k);
        midi.game.ClickFader(15);
        midi.game.DragTo(MinLevel);
        QCOMPARE(int(midi.game.State().GameMode), int(ModeTurnOver));
        QCOMPARE(midi.game.dialogs.captions(), OnlyTheWarning);
        midi.game.form->Training()->Actions().MidiRegler->trigger();
        auto* dialog = midi.game.form->form.findChild<MidiDialog*>();
        QVERIFY(dialog->Status()->text().startsWith(QStringLiteral("Kein MIDI-System gefunden")));
        QVERIFY(!dialog->Zuordnung()->isEnabled());
    }

    void burstReachesTheSurfaceWhole()
    {
        // Far more than one cycle's port buffer holds: the rest waits, none is
        // lost, and JACK's cycle allocates nothing either way.
        MidiPorts ports;
        QVERIFY(ports.Open({MidiBackEnd::Jack}));
        JackMidiClient surface("Pult");
        QVERIFY(surface.ConnectToGame());
        const std::optional<pthread_t> cycle = ports.JackProcessThread();
        QVERIFY(cycle);
        jackCycle = *cycle;
        countOnJackCycle = true;
        QList<QByteArray> sent;
        for (int index = 0; index < 2000; ++index) {
            sent << MidiGame::Cc(index % 29, index % 128);
            ports.Send({0xb0, static_cast<unsigned char>(index % 29),
                        static_cast<unsigned char>(index % 128)});
            surface.Send(sent.constLast());
        }
        // The inbox keeps the last value of each control: all 29 arrive.
        int arrived = 0;
        QTRY_VERIFY((ports.Drain(1000, [&](const auto&) { ++arrived; }), arrived >= 29));
        QTRY_COMPARE(surface.Received().size(), sent.size());
        countOnJackCycle = false;
        QCOMPARE(surface.Received(), sent);
        QCOMPARE(jackCycleAllocations.load(), 0);
    }

    void backEndsInOrder()
    {
        MidiPorts alsaOnly;
        QString errorText;
        const bool sequencer = QFile::exists(QStringLiteral("/dev/snd/seq"));
        QCOMPARE(alsaOnly.Open({MidiBackEnd::AlsaSequencer}, &errorText), sequencer);
        MidiPorts both;
        QVERIFY(both.Open(DefaultMidiBackEnds, &errorText));
        QCOMPARE(both.BackEndName(),
                 sequencer ? QStringLiteral("ALSA-Sequencer") : QStringLiteral("JACK"));
    }
};

QTEST_MAIN(MidiTest)
#include "tst_midi.moc"
