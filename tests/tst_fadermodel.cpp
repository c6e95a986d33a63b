// The band table and the fader model: record layout, classification of
// fader indexes, locking, and the cut-range change.

#include "model/FaderModel.h"
#include "platform/Random.h"

#include <QtTest>
#include <cstring>

class FaderModelTest : public QObject {
    Q_OBJECT

  private:
    GameState state_;
    int repaints_ = 0;

  private slots:
    void init()
    {
        state_ = GameState();
        repaints_ = 0;
    }

    void recordImageIsLittleEndianAndPacked()
    {
        // Built by hand from the documented layout, not from the struct.
        BandSlot slot{};
        SetBandLabel(slot, QStringLiteral("1.25"));
        slot.Frequency = 1250.0;
        slot.Level = -3;
        slot.Finds = 0x01020304;
        slot.Attempts = 7;
        slot.FindTime = 123456;
        slot.Locked = 1;
        unsigned char bytes[293];
        std::memcpy(bytes, &slot, sizeof bytes);
        QCOMPARE(int(bytes[0]), 4);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(bytes + 1), 4), QByteArray("1.25"));
        QCOMPARE(int(bytes[5]), 0);
        const unsigned char frequency[8] = {0, 0, 0, 0, 0, 0x88, 0x93, 0x40}; // 1250.0
        QCOMPARE(std::memcmp(bytes + 256, frequency, 8), 0);
        const unsigned char level[4] = {0xFD, 0xFF, 0xFF, 0xFF};
        QCOMPARE(std::memcmp(bytes + 264, level, 4), 0);
        const unsigned char finds[4] = {4, 3, 2, 1};
        QCOMPARE(std::memcmp(bytes + 268, finds, 4), 0);
        QCOMPARE(int(bytes[272]), 7);
        const unsigned char findTime[4] = {0x40, 0xE2, 0x01, 0x00};
        QCOMPARE(std::memcmp(bytes + 276, findTime, 4), 0);
        for (int i = 280; i < 292; ++i)
            QCOMPARE(int(bytes[i]), 0);
        QCOMPARE(int(bytes[292]), 1);
    }

    void initBandTableSetsTheTwentyEightBands()
    {
        FaderModel model(state_);
        connect(&model, &FaderModel::changed, this, [this] { ++repaints_; });
        state_.BandTable[5].Finds = 9;
        state_.BandTable[5].Level = 4;
        state_.BandTable[5].Locked = 1;
        StdRandomGenerator random;
        model.InitBandTable(random);
        const QStringList labels = {"25",  "32",  "50",   "62",  "80",  "100",  "125",
                                    "160", "200", "250",  "315", "400", "500",  "625",
                                    "800", "1k",  "1.25", "1.6", "2",   "2.5",  "3.15",
                                    "4k",  "5k",  "6.25", "8k",  "10k", "12.5", "16k"};
        const double frequencies[] = {25,   31.5, 50,   62.5, 80,   100,   125,   160,  200,  250,
                                      315,  400,  500,  625,  800,  1000,  1250,  1600, 2000, 2500,
                                      3150, 4000, 5000, 6250, 8000, 10000, 12500, 16000};
        for (int i = 0; i < BandCount; ++i) {
            QCOMPARE(BandLabel(state_.BandTable[i]), labels[i]);
            QCOMPARE(double(state_.BandTable[i].Frequency), frequencies[i]);
        }
        QCOMPARE(int(state_.BandTable[5].Finds), 0);
        QCOMPARE(int(state_.BandTable[5].Level), 0);
        QCOMPARE(state_.BandTable[5].Locked, std::uint8_t(1)); // left as it was
    }

    void faderKind_data()
    {
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<int>("fader");
        QTest::addColumn<int>("kind");
        QTest::newRow("no fader is below the cut") << 11 << 22 << -1 << int(FaderBelowCut);
        QTest::newRow("first band below") << 11 << 22 << 0 << int(FaderBelowCut);
        QTest::newRow("just below") << 11 << 22 << 10 << int(FaderBelowCut);
        QTest::newRow("lowest in play") << 11 << 22 << 11 << int(FaderInPlay);
        QTest::newRow("highest in play") << 11 << 22 << 22 << int(FaderInPlay);
        QTest::newRow("just above") << 11 << 22 << 23 << int(FaderAboveCut);
        QTest::newRow("last band") << 11 << 22 << 27 << int(FaderAboveCut);
        QTest::newRow("volume") << 11 << 22 << 28 << int(FaderVolume);
        QTest::newRow("beyond volume") << 11 << 22 << 29 << int(FaderAboveCut);
        QTest::newRow("wide range, band 1") << 1 << 26 << 1 << int(FaderInPlay);
        QTest::newRow("wide range, band 27") << 1 << 26 << 27 << int(FaderAboveCut);
        QTest::newRow("volume even above a cut of 27") << 0 << 27 << 28 << int(FaderVolume);
    }

    void faderKind()
    {
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QFETCH(int, fader);
        QFETCH(int, kind);
        state_.LowCutBand = lowCut;
        state_.HighCutBand = highCut;
        QCOMPARE(int(FaderKind(state_, fader)), kind);
    }

    void lockAndOpen()
    {
        FaderModel model(state_);
        connect(&model, &FaderModel::changed, this, [this] { ++repaints_; });
        state_.SelectedFader = 14;
        model.LockAllFaders();
        for (const BandSlot& slot : state_.BandTable)
            QCOMPARE(slot.Locked, std::uint8_t(1));
        QCOMPARE(state_.SelectedFader, NoFader);
        QCOMPARE(repaints_, 1);

        state_.SelectedFader = 14;
        model.OpenCutRange();
        for (int i = 0; i < BandCount; ++i)
            QCOMPARE(state_.BandTable[i].Locked, std::uint8_t(i >= 11 && i <= 22 ? 0 : 1));
        QCOMPARE(state_.SelectedFader, NoFader);
        QCOMPARE(repaints_, 2);
    }

    void openCutRangeKeepsOutsideSlotsAsTheyAre()
    {
        FaderModel model(state_);
        state_.BandTable[3].Locked = 0;
        state_.BandTable[25].Locked = 1;
        model.OpenCutRange();
        QCOMPARE(state_.BandTable[3].Locked, std::uint8_t(0));
        QCOMPARE(state_.BandTable[25].Locked, std::uint8_t(1));
    }

    void cutChange_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("low");
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("expectedLow");
        QTest::addColumn<int>("expectedHigh");
        QTest::newRow("lowcut while idle") << int(ModeIdle) << true << 5 << 5 << 22;
        QTest::newRow("highcut after a turn") << int(ModeTurnOver) << false << 26 << 11 << 26;
        QTest::newRow("lowcut in a chart") << int(ModeTotalTimes) << true << 12 << 12 << 22;
        QTest::newRow("highcut in the generator")
            << int(ModeGeneratorSilent) << false << 23 << 11 << 23;
        QTest::newRow("lowcut during a turn") << int(ModeSearching) << true << 2 << 11 << 22;
        QTest::newRow("highcut during a turn") << int(ModeSearching) << false << 25 << 11 << 22;
    }

    void cutChange()
    {
        QFETCH(int, mode);
        QFETCH(bool, low);
        QFETCH(int, band);
        QFETCH(int, expectedLow);
        QFETCH(int, expectedHigh);
        FaderModel model(state_);
        connect(&model, &FaderModel::changed, this, [this] { ++repaints_; });
        state_.GameMode = GameModeValue(mode);
        // A mixed pattern: some tried faders inside, an open one outside.
        for (int i = 0; i < BandCount; ++i)
            state_.BandTable[i].Locked = (i % 3 == 0) ? 1 : 0;
        state_.SelectedFader = 15;
        const BandArray before = state_.BandTable;

        model.ChangeCutRange(low ? CutEdge::Low : CutEdge::High, band);

        QCOMPARE(state_.LowCutBand, expectedLow);
        QCOMPARE(state_.HighCutBand, expectedHigh);
        if (mode == ModeSearching) {
            QCOMPARE(std::memcmp(&before, &state_.BandTable, sizeof before), 0);
            QCOMPARE(state_.SelectedFader, 15);
            QCOMPARE(repaints_, 0);
            return;
        }
        for (int i = 0; i < BandCount; ++i) {
            const bool inPlay = i >= expectedLow && i <= expectedHigh;
            QCOMPARE(state_.BandTable[i].Locked, std::uint8_t(inPlay ? 0 : 1));
        }
        QCOMPARE(state_.SelectedFader, NoFader);
        QVERIFY(repaints_ > 0);
    }
};

QTEST_APPLESS_MAIN(FaderModelTest)
#include "tst_fadermodel.moc"
