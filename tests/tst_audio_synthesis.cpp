// The turn's band and frequency, and the sine samples.

#include "audio/ToneSynthesis.h"
#include "model/FaderModel.h"
#include "model/GameState.h"
#include "model/TurnDraw.h"
#include "platform/Random.h"
#include "session/SettingsFile.h"
#include "support/Builders.h"
#include "support/FakeClockAndRandom.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <set>
#include <vector>

namespace {

GameState StateWithBands(int lowCut, int highCut)
{
    GameState state = StartUpState();
    state.LowCutBand = lowCut;
    state.HighCutBand = highCut;
    return state;
}

} // namespace

class TestAudioSynthesis : public QObject {
    Q_OBJECT

  private slots:
    void bandEdges_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<double>("lowerHz");
        QTest::addColumn<double>("upperHz");
        QTest::newRow("1000 Hz") << 15 << 894.4272 << 1118.0340;
        QTest::newRow("31.5 Hz, no 40 Hz band") << 1 << 28.0624 << 39.6863;
    }

    void bandEdges()
    {
        QFETCH(int, band);
        QFETCH(double, lowerHz);
        QFETCH(double, upperHz);
        const GameState state = StateWithBands(11, 22);
        QVERIFY(std::abs(BandLowerEdge(state.BandTable, band) - lowerHz) < 5e-5);
        QVERIFY(std::abs(BandUpperEdge(state.BandTable, band) - upperHz) < 5e-5);
    }

    void pickTurnFrequency_data()
    {
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<int>("bandDraw");
        QTest::addColumn<int>("pointDraw");
        QTest::addColumn<int>("band");
        QTest::addColumn<double>("frequencyHz");
        QTest::newRow("1000 Hz, k = 5") << 14 << 22 << 0 << 0 << 15 << 905.6075;
        QTest::newRow("1000 Hz, k = 95") << 14 << 22 << 0 << 90 << 15 << 1106.8536;
        QTest::newRow("31.5 Hz, k = 5") << 0 << 12 << 0 << 0 << 1 << 28.6436;
        QTest::newRow("31.5 Hz, k = 95") << 0 << 12 << 0 << 90 << 1 << 39.1051;
        QTest::newRow("12.5 kHz, k = 5") << 25 << 26 << 0 << 0 << 26 << 11328.4297;
        QTest::newRow("12.5 kHz, k = 95") << 25 << 26 << 0 << 90 << 26 << 13994.0458;
        // 5 kHz between 4 and 6.25 kHz: edges 4472.1360 and 5590.1699, k = 50.
        QTest::newRow("top of the default range") << 11 << 22 << 10 << 45 << 22 << 5031.15295;
    }

    void pickTurnFrequency()
    {
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QFETCH(int, bandDraw);
        QFETCH(int, pointDraw);
        QFETCH(int, band);
        QFETCH(double, frequencyHz);
        GameState state = StateWithBands(lowCut, highCut);
        ScriptedRandom random;
        random.values = {bandDraw, pointDraw};
        const TurnFrequency drawn = PickTurnFrequency(state, random);
        QCOMPARE(drawn.band, band);
        QVERIFY2(std::abs(drawn.frequencyHz - frequencyHz) < 5e-5,
                 qPrintable(QString::number(drawn.frequencyHz, 'f', 6)));
        // Band first, division point second.
        QCOMPARE(random.bounds, QList<std::int32_t>({highCut - lowCut, 91}));
    }

    void adjacentCutsAlwaysRingTheHighCut()
    {
        for (int lowCut : {1, 5, 12}) {
            GameState state = StateWithBands(lowCut, lowCut + 1);
            ScriptedRandom random;
            random.values = {0, 0};
            QCOMPARE(PickTurnFrequency(state, random).band, lowCut + 1);
        }
    }

    void defaultCutsRingBands12To22()
    {
        GameState state = StateWithBands(11, 22);
        StdRandomGenerator random;
        random.SeedFromClock();
        std::set<int> bands;
        for (int i = 0; i < 2000; ++i) {
            const TurnFrequency drawn = PickTurnFrequency(state, random);
            const int g = drawn.band;
            QVERIFY(g >= 12 && g <= 22);
            bands.insert(g);
            const double lower = BandLowerEdge(state.BandTable, g);
            const double upper = BandUpperEdge(state.BandTable, g);
            const double margin = 0.05 * (upper - lower) * (1 - 1e-9);
            QVERIFY(drawn.frequencyHz >= lower + margin);
            QVERIFY(drawn.frequencyHz <= upper - margin);
        }
        QCOMPARE(bands.size(), std::size_t(11));
    }

    void badCutsStayInsideTheTable_data()
    {
        QTest::addColumn<int>("lowCut");
        QTest::addColumn<int>("highCut");
        QTest::newRow("low below 0") << -3 << 22;
        QTest::newRow("high 27") << 11 << 27;
        QTest::newRow("empty range") << 20 << 20;
        QTest::newRow("reversed") << 25 << 5;
        QTest::newRow("both far out") << 30 << 40;
        QTest::newRow("both negative") << -9 << -2;
    }

    // A hand-edited settings file is the only way to a bad cut range; what
    // the settings reader makes of it must always give a drawable band.
    void badCutsStayInsideTheTable()
    {
        QFETCH(int, lowCut);
        QFETCH(int, highCut);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Heulmeister Pro.inf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Filter]\nLowCut=%1\nHighcut=%2\n")
                       .arg(lowCut)
                       .arg(highCut)
                       .toLatin1());
        file.close();
        for (int draw : {0, 1000}) {
            GameState state = StateWithBands(0, 0);
            ReadSettings(path, state);
            ScriptedRandom random;
            random.values = {draw, draw};
            const TurnFrequency drawn = PickTurnFrequency(state, random);
            QVERIFY(random.bounds.at(0) >= 1);
            QVERIFY(drawn.band >= 1 && drawn.band <= BandCount - 2);
            QVERIFY(std::isfinite(drawn.frequencyHz));
            QVERIFY(drawn.frequencyHz > BandLowerEdge(state.BandTable, drawn.band));
            QVERIFY(drawn.frequencyHz < BandUpperEdge(state.BandTable, drawn.band));
        }
    }

    void phaseStepAt1000Hz()
    {
        ToneSynthesis tone;
        tone.StartTone(1000.0);
        QCOMPARE(tone.TonePhase, 0.0);
        QCOMPARE(QString::number(tone.PhaseStep, 'g', 16), QStringLiteral("0.1308996938995747"));
        // 2 pi / 48 correctly rounded to a double. A double-precision 2 pi
        // product lands one unit lower, at 0.1308996938995747 exactly.
        QCOMPARE(tone.PhaseStep, 0.13089969389957473);
    }

    void firstSamplesAt1000Hz()
    {
        ToneSynthesis tone;
        tone.StartTone(1000.0);
        std::vector<std::int16_t> block(BlockSamples);
        tone.FillToneBlock(block.data());
        const std::vector<std::int16_t> first(block.begin(), block.begin() + 5);
        QCOMPARE(first, std::vector<std::int16_t>({0, 2139, 4240, 6270, 8192}));
        // A quarter period in (12 samples): the peak, never more.
        QCOMPARE(block[12], std::int16_t(16384));
        QCOMPARE(block[36], std::int16_t(-16384));
        QCOMPARE(*std::max_element(block.begin(), block.end()), std::int16_t(16384));
        QCOMPARE(*std::min_element(block.begin(), block.end()), std::int16_t(-16384));
    }

    void phaseIsReducedWithTheExtendedTwoPi()
    {
        ToneSynthesis tone;
        tone.PhaseStep = 0.0;
        // The double just above 2 pi: reduced by the 80-bit 2 pi it leaves
        // about 6.4e-16 rad; a double 2 pi would leave 8.9e-16.
        tone.TonePhase = std::nextafter(6.283185307179586, 7.0);
        std::vector<std::int16_t> block(BlockSamples);
        tone.FillToneBlock(block.data());
        QVERIFY2(tone.TonePhase > 6.3e-16 && tone.TonePhase < 6.5e-16,
                 qPrintable(QString::number(tone.TonePhase, 'g', 17)));

        // The double nearest 2 pi lies below the 80-bit 2 pi: not reduced.
        tone.TonePhase = 6.283185307179586;
        tone.PhaseStep = 0.0;
        tone.FillToneBlock(block.data());
        QCOMPARE(tone.TonePhase, 6.283185307179586);
    }

    void phaseStaysBoundedOverALongTone_data()
    {
        QTest::addColumn<double>("frequencyHz");
        QTest::newRow("28.6 Hz") << 28.6436;
        QTest::newRow("1 kHz") << 1000.0;
        QTest::newRow("14 kHz") << 13994.0458;
    }

    void phaseStaysBoundedOverALongTone()
    {
        QFETCH(double, frequencyHz);
        ToneSynthesis tone;
        tone.StartTone(frequencyHz);
        std::vector<std::int16_t> block(BlockSamples);
        std::int64_t n = 0;
        for (int b = 0; b < 120; ++b) { // one minute
            tone.FillToneBlock(block.data());
            QVERIFY(tone.TonePhase >= 0.0 && tone.TonePhase <= 6.3 + tone.PhaseStep);
            for (int i = 0; i < BlockSamples; i += 997, n += 997) {
                const std::int64_t sample = std::int64_t(b) * BlockSamples + i;
                const long double cycles = frequencyHz * sample / 48000.0L;
                const long double phase =
                    2 * 3.14159265358979323846L * (cycles - std::floor(cycles));
                const double ideal = 16384.0 * static_cast<double>(std::sin(phase));
                QVERIFY2(std::abs(block[i] - ideal) <= 1.0,
                         qPrintable(QStringLiteral("sample %1").arg(sample)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestAudioSynthesis)
#include "tst_audio_synthesis.moc"
