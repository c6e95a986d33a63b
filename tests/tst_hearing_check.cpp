// The listening check on a scripted wave device: the levels a band rises
// through, an answer, the reference, the cut range offered against the real
// menus, and the text a result is stored as.

#include "audio/ToneSynthesis.h"
#include "game/HearingCheckDialog.h"
#include "game/MainMenu.h"
#include "model/FaderModel.h"
#include "model/GameState.h"
#include "session/SettingsFile.h"
#include "support/FakeWaveOut.h"
#include "support/GameHarness.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>
#include <cmath>

namespace {

using Samples = std::vector<std::int16_t>;

// What a turn plays of `hz`: the game's own samples.
Samples GameTone(double hz, std::size_t count)
{
    ToneSynthesis tone;
    tone.StartTone(hz);
    Samples samples(count + BlockSamples);
    for (std::size_t at = 0; at < count; at += BlockSamples)
        tone.FillToneBlock(samples.data() + at);
    samples.resize(count);
    return samples;
}

double DbfsAmplitude(double dbfs)
{
    return 32768 * std::pow(10.0, dbfs / 20);
}

// Largest difference between `played` from `from` on and the game's tone
// scaled to `amplitude`.
double Deviation(const Samples& played, const Samples& game, std::size_t from, double amplitude)
{
    double worst = 0;
    for (std::size_t n = from; n < played.size(); ++n)
        worst = std::max(worst, std::abs(played[n] - game[n] * amplitude / ToneAmplitude));
    return worst;
}

// "Einstellung" > `title` of the game's real menu bar.
QMenu* CutMenu(QMenuBar& bar, const QString& title)
{
    for (QAction* top : bar.actions())
        if (top->text() == QStringLiteral("Einstellung"))
            for (QAction* item : top->menu()->actions())
                if (item->text() == title)
                    return item->menu();
    return nullptr;
}

struct Rig {
    GameState state;
    FakeWaveOut wave;
    HearingCheckDialog dialog{state, wave};
    std::size_t perStep = 0;

    Rig()
    {
        wave.productNames = {QStringLiteral("Testkarte")};
        // The test calls the steps itself.
        dialog.StepTimer().setInterval(24 * 3600 * 1000);
        dialog.show();
        perStep = static_cast<std::size_t>(dialog.Check().StepSamples());
    }
    // The next `count` samples the device plays.
    Samples Play(std::size_t count)
    {
        const std::size_t from = wave.played().size();
        while (wave.played().size() < from + count && wave.FinishNextBlock())
            QCoreApplication::sendPostedEvents();
        const std::size_t to = std::min(wave.played().size(), from + count);
        return Samples(wave.played().begin() + from, wave.played().begin() + to);
    }
    QString Shown() const { return dialog.LevelDisplay()->accessibleName(); }
};

} // namespace

class TestHearingCheck : public QObject {
    Q_OBJECT

  private slots:
    void eachStepIsFiveDbLouder_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("shownDb");
        QTest::addColumn<double>("amplitude");
        for (int step = 0; step <= 10; ++step) {
            const int db = -60 + 5 * step;
            QTest::addRow("%d dBFS", db) << step << db << DbfsAmplitude(db);
        }
        QTest::addRow("the game's tone") << 11 << -6 << ToneAmplitude;
    }

    void eachStepIsFiveDbLouder()
    {
        QFETCH(int, step);
        QFETCH(int, shownDb);
        QFETCH(double, amplitude);
        Rig rig;
        Samples played;
        for (int s = 0; s <= step; ++s) {
            if (s > 0)
                rig.dialog.Check().Step();
            const Samples now = rig.Play(rig.perStep);
            played.insert(played.end(), now.begin(), now.end());
        }
        const std::size_t from = step * rig.perStep;
        int peak = 0;
        for (std::size_t n = from; n < played.size(); ++n)
            peak = std::max(peak, std::abs(int(played[n])));
        QVERIFY2(std::abs(peak - amplitude) <= 1.0, qPrintable(QString::number(peak)));
        // The game's 25 Hz sine, its phase running on through every step;
        // the level settles within 20 ms of a step.
        QVERIFY(Deviation(played, GameTone(25, played.size()), from + 960, amplitude) <= 1.0);
        QVERIFY(rig.Shown().contains(QStringLiteral("25 Hz")));
        QVERIFY(rig.Shown().contains(QStringLiteral("%1 dBFS").arg(shownDb)));
    }

    void anAnswerStartsTheNextBandAtTheBottom()
    {
        Rig rig;
        for (int s = 0; s < 4; ++s)
            rig.dialog.Check().Step();
        rig.Play(rig.perStep);
        QTest::keyClick(rig.dialog.AudibleButton(), Qt::Key_Space);
        Samples played = rig.Play(rig.perStep);
        QVERIFY(Deviation(played, GameTone(31.5, played.size()), 0, DbfsAmplitude(-60)) <= 1.0);
        QVERIFY(rig.Shown().contains(QStringLiteral("Band 2 von 28: 31,5 Hz, -60 dBFS")));

        QTest::keyClick(&rig.dialog, Qt::Key_Return);
        played = rig.Play(rig.perStep);
        QVERIFY(Deviation(played, GameTone(50, played.size()), 0, DbfsAmplitude(-60)) <= 1.0);
        QCOMPARE(rig.dialog.Check().Result().HeardBands(), QList<int>({0, 1}));
    }

    void theReferenceIsPinkNoiseAtTheTonesLevel()
    {
        Rig rig;
        rig.dialog.Check().Step();
        QTest::keyClick(rig.dialog.ReferenceButton(), Qt::Key_Space);
        QVERIFY(!rig.dialog.AudibleButton()->isEnabled());
        const Samples noise = rig.Play(std::size_t{2} * 48000);
        double sum = 0;
        for (std::int16_t sample : noise)
            sum += double(sample) * sample;
        const double rms = std::sqrt(sum / double(noise.size()));
        QVERIFY2(std::abs(20 * std::log10(rms / (ToneAmplitude / std::sqrt(2.0)))) < 0.5,
                 qPrintable(QString::number(rms)));
        QTest::keyClick(rig.dialog.ReferenceButton(), Qt::Key_Space);
        QVERIFY(rig.Shown().contains(QStringLiteral("Band 1 von 28: 25 Hz, -60 dBFS")));
        const Samples played = rig.Play(rig.perStep);
        QVERIFY(Deviation(played, GameTone(25, played.size()), 0, DbfsAmplitude(-60)) <= 1.0);
    }

    void bandsNeverAnsweredAreCutAway()
    {
        Rig rig;
        for (int band = 0; band < 4; ++band)
            for (int step = 0; step < 12; ++step)
                rig.dialog.Check().Step();
        for (int band = 4; band < BandCount; ++band)
            QTest::keyClick(rig.dialog.AudibleButton(), Qt::Key_Space);
        QCOMPARE(rig.dialog.Check().Result().MissingBands(), QList<int>({0, 1, 2, 3}));
        QCOMPARE(rig.dialog.Check().Result().ToSetting(),
                 QStringLiteral("Testkarte|4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,"
                                "24,25,26,27"));
        QCOMPARE(rig.wave.queuedBlocks(), 0);

        // The item of the real menu that starts the play at band 4.
        FaderModel faders{rig.state};
        QMenuBar bar;
        MainMenu menu{&bar, rig.state, faders};
        QMenu* lowcutMenu = CutMenu(bar, QStringLiteral("Lowcut"));
        QVERIFY(lowcutMenu);
        QString lowcut;
        for (QAction* item : lowcutMenu->actions())
            if (item->data().toInt() == 4)
                lowcut = item->text();
        QVERIFY(rig.dialog.ResultText()->isVisible());
        QVERIFY(rig.dialog.ResultText()->text().contains(QStringLiteral("Lowcut ") + lowcut));
        QTest::keyClick(&rig.dialog, Qt::Key_Return);
        QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(rig.dialog.AcceptedCutRange(), std::optional<CutRange>(CutRange{4, 26}));
    }

    void theCutItemsAreTheMenusOwn()
    {
        GameState state;
        FaderModel faders{state};
        QMenuBar bar;
        MainMenu menu{&bar, state, faders};
        QStringList shown, listed;
        for (const char* title : {"Lowcut", "Highcut"})
            for (QAction* item : CutMenu(bar, QString::fromUtf8(title))->actions())
                shown << QStringLiteral("%1 %2").arg(item->data().toInt()).arg(item->text());
        for (const CutMenuItem& item : LowCutMenuItems)
            listed << QStringLiteral("%1 %2").arg(item.band).arg(item.text);
        for (const CutMenuItem& item : HighCutMenuItems)
            listed << QStringLiteral("%1 %2").arg(item.band).arg(item.text);
        QCOMPARE(listed, shown);
    }

    void theNarrowestCut_data()
    {
        QTest::addColumn<QList<int>>("missing");
        QTest::addColumn<int>("lowCut"); // 0: no pair of items will do
        QTest::addColumn<int>("highCut");
        QTest::addRow("all heard") << QList<int>{} << 1 << 26;
        QTest::addRow("16 kHz, out of every range") << QList<int>{27} << 1 << 26;
        QTest::addRow("12.5 kHz and 25 Hz") << QList<int>{0, 26} << 1 << 25;
        QTest::addRow("400 Hz") << QList<int>{11} << 12 << 26;
        QTest::addRow("1 kHz") << QList<int>{15} << 0 << 0;
    }

    void theNarrowestCut()
    {
        QFETCH(QList<int>, missing);
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        BandMask heard;
        heard.fill(true);
        for (int band : missing)
            heard[band] = false;
        const std::optional<CutRange> offered = OfferedCutRange(heard);
        QCOMPARE(offered, lowCut ? std::optional<CutRange>(CutRange{lowCut, highCut})
                                 : std::optional<CutRange>());
    }

    void theSettingRoundTrips_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QList<int>>("heard");
        QTest::addColumn<QString>("text");
        QTest::addRow("some") << "Testkarte" << QList<int>{5, 6, 7} << "Testkarte|5,6,7";
        QTest::addRow("none") << "Testkarte" << QList<int>{} << "Testkarte|";
        QTest::addRow("a bar in the name") << "A|B" << QList<int>{0, 27} << "A|B|0,27";
    }

    void theSettingRoundTrips()
    {
        QFETCH(QString, device);
        QFETCH(QList<int>, heard);
        QFETCH(QString, text);
        HearingResult result;
        result.deviceName = device;
        for (int band : heard)
            result.heard[band] = true;
        QCOMPARE(result.ToSetting(), text);
        QCOMPARE(HearingResult::FromSetting(text), std::optional<HearingResult>(result));
    }

    void malformedSettingsAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* text : {"", "Testkarte", "|5", "Testkarte|5,,6", "Testkarte|28",
                                 "Testkarte|-1", "Testkarte|5;6", "Testkarte| 5", "Testkarte|5,5",
                                 "Testkarte|5,", "Testkarte|99999999999999999999"})
            QTest::addRow("%s", *text ? text : "empty") << QString::fromUtf8(text);
    }

    void malformedSettingsAreRefused()
    {
        QFETCH(QString, text);
        QVERIFY(!HearingResult::FromSetting(text));
    }

    // Through the real window: the menu item, four low bands never heard,
    // the rest at once; "Übernehmen" takes them out of play, and the result
    // is kept for the sound card.
    void wholeCheckFromTheMenu()
    {
        GameHarness rig;
        QVERIFY(rig.Start("[Spiel]\nSelektmode=0\n[Filter]\nLowCut=1\nHighcut=26\n"));
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = rig.form->form.findChild<HearingCheckDialog*>();
            QVERIFY(dialog);
            HearingCheck& check = dialog->Check();
            while (check.CurrentPhase() == HearingCheck::Phase::Listening) {
                if (check.Band() < 4)
                    check.Step();
                else
                    dialog->AudibleButton()->click();
            }
            QCOMPARE(check.CurrentPhase(), HearingCheck::Phase::Finished);
            QVERIFY(dialog->TakeButton()->isVisible());
            dialog->TakeButton()->click();
            driven = true;
        });
        QVERIFY(rig.TriggerMenuItem(QStringLiteral("Training/Hörtest ...")));
        QVERIFY(driven);
        for (int band = 0; band < 4; ++band)
            QVERIFY(rig.Faders().FaderKind(band) != FaderInPlay);
        QCOMPARE(rig.Faders().FaderKind(4), FaderInPlay);
        rig.Stop();
        GameState saved;
        ReadSettings(rig.SettingsPath(), saved);
        QCOMPARE(saved.Training.Hoertest,
                 QStringLiteral("Testkarte|4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,"
                                "23,24,25,26,27"));
        QVERIFY(saved.LowCutBand >= 4);
    }
};

QTEST_MAIN(TestHearingCheck)
#include "tst_hearing_check.moc"
