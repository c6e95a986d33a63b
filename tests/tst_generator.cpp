// The feedback generator and the replay of a found band, played through the
// real window: raising a fader plays its band, pulling it down stops it.

#include "display/FaderRenderer.h"
#include "game/FaderView.h"
#include "game/MainMenu.h"
#include "game/StatusPanel.h"
#include "session/GameFlow.h"
#include "support/GameHarness.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

class GeneratorTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GameHarness> rig_;

    const GameState& State() const { return rig_->State(); }
    bool SoundIdle() { return rig_->SoundIdle(); }
    QAction* GeneratorItem() { return rig_->form->Menu()->Actions().Feedbackgenerator; }

    void SwitchGeneratorOn()
    {
        GeneratorItem()->trigger();
        QVERIFY(GeneratorItem()->isChecked());
        QCOMPARE(State().GameMode, ModeGeneratorSilent);
    }

    void Raise(int fader, int level)
    {
        rig_->ClickFader(fader);
        rig_->DragTo(level);
    }

    QRgb KnobColour(int fader)
    {
        const FaderGeometry& g = rig_->form->Renderer().Geometry();
        const int level = State().BandTable[fader].Level;
        const int x = int(g.ColumnCentre(fader)) - g.KnobHalfWidth() + 2;
        const QImage shown = rig_->form->Fader()->grab().toImage();
        return shown.pixel(x, g.KnobTop(level) + 1) & 0xFFFFFF;
    }

  private slots:
    void init()
    {
        rig_ = std::make_unique<GameHarness>();
        QVERIFY(rig_->Start("[Spiel]\nSelektmode=0\n"));
    }
    void cleanup() { rig_.reset(); }

    void raisingPlaysTheBandsNominalFrequency()
    {
        SwitchGeneratorOn();
        Raise(15, 5);
        QVERIFY(SoundIdle()); // +5 is still neutral
        rig_->DragTo(6);
        QVERIFY(!SoundIdle());
        QCOMPARE(State().GameMode, ModeGeneratorPlaying);
        QCOMPARE(State().RingingBand, 15);
        QCOMPARE(State().ToneFrequency, 1000.0);
        QCOMPARE(KnobColour(15), QRgb(0x00FFFF)); // the playing band is aqua

        rig_->DragTo(-5);
        QVERIFY(!SoundIdle());
        rig_->DragTo(-6);
        QVERIFY(SoundIdle());
        QCOMPARE(State().GameMode, ModeGeneratorSilent);
        QCOMPARE(State().BandTable[15].Locked, std::uint8_t(0));
    }

    void secondFaderTakesOverByMouse()
    {
        SwitchGeneratorOn();
        Raise(14, 8);
        QCOMPARE(State().ToneFrequency, 800.0);
        Raise(16, 7);
        QCOMPARE(State().ToneFrequency, 1250.0);
        QCOMPARE(State().RingingBand, 16);
        QCOMPARE(State().BandTable[14].Locked, std::uint8_t(1)); // keeps its mark
        QCOMPARE(KnobColour(14), QRgb(0xFF0000));

        // Pulling the first fader down stops whatever plays.
        rig_->ClickFader(14);
        rig_->DragTo(-7);
        QVERIFY(SoundIdle());
        QCOMPARE(State().GameMode, ModeGeneratorSilent);
    }

    void arrowKeysEndTheToneOfTheFaderLeft()
    {
        SwitchGeneratorOn();
        Raise(14, 9);
        QVERIFY(!SoundIdle());
        rig_->Key(Qt::Key_Right);
        QCOMPARE(State().SelectedFader, 15);
        QCOMPARE(int(State().BandTable[14].Level), 0);
        QCOMPARE(State().BandTable[14].Locked, std::uint8_t(0));
        QVERIFY(SoundIdle());
        rig_->Key(Qt::Key_PageUp);
        QCOMPARE(State().ToneFrequency, 1000.0);
        QCOMPARE(State().GameMode, ModeGeneratorPlaying);
    }

    void switchingOffClearsTheGameWithoutAQuestion()
    {
        rig_->StartTurnRinging(DrawFor1k);
        rig_->ClickFader(15);
        QCOMPARE(State().GameFinds, 1);
        SwitchGeneratorOn();
        QCOMPARE(State().GameFinds, 1); // switching on keeps the results
        Raise(16, 8);

        const int boxesBefore = rig_->dialogs.boxes.size();
        GeneratorItem()->trigger();
        QVERIFY(!GeneratorItem()->isChecked());
        QCOMPARE(rig_->dialogs.boxes.size(), boxesBefore);
        QCOMPARE(State().GameMode, ModeIdle);
        QVERIFY(SoundIdle());
        QCOMPARE(State().GameFinds, 0);
        QCOMPARE(int(State().BandTable[15].Finds), 0);
        for (const BandSlot& slot : State().BandTable)
            QCOMPARE(int(slot.Level), 0);
    }

    void startInTheGeneratorFollowsTheGeneralRule()
    {
        SwitchGeneratorOn();
        Raise(15, 8);
        rig_->ClickStart(); // a tone runs: it ends in the turn-over picture
        QCOMPARE(State().GameMode, ModeTurnOver);
        QVERIFY(SoundIdle());
        rig_->StartTurnRinging(DrawFor800); // none runs: a normal turn
        QCOMPARE(State().GameMode, ModeSearching);
        QVERIFY(GeneratorItem()->isChecked());
    }

    void replayAfterAFindNeedsAPullDownFirst()
    {
        rig_->StartTurnRinging(DrawFor1k);
        rig_->ClickFader(15);
        const double turnFrequency = State().ToneFrequency;
        QCOMPARE(State().GameMode, ModeTurnOver);
        Raise(15, 10);
        QVERIFY(SoundIdle()); // still marked by the find
        rig_->DragTo(-6);
        rig_->DragTo(6);
        QVERIFY(!SoundIdle());
        QCOMPARE(State().ToneFrequency, turnFrequency);
        QVERIFY(!rig_->form->Tone().SoundStop().isActive()); // replays are continuous
        // No other fader plays anything after a turn.
        rig_->DragTo(-6);
        Raise(16, 10);
        QVERIFY(SoundIdle());
    }
};

QTEST_MAIN(GeneratorTest)
#include "tst_generator.moc"
