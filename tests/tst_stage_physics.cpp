// The stage loop's physics: a howl grows and decays at the rate of its
// closed-loop pole, sounds at the pole's frequency, and cuts change it as the
// model says. Measured from the rendered signal only.

#include "stage/FeedbackLoop.h"
#include "stage/LoopAnalysis.h"
#include "stage/PartitionedConvolver.h"
#include "stage/SoftLimiter.h"
#include "stage/StageConstants.h"
#include "support/StageMeasure.h"

#include <QtTest>
#include <cmath>
#include <map>
#include <random>

using namespace stagetest;

namespace {

stage::StageRenderRequest Request(int seed, double seconds, std::vector<stage::StageCut> cuts = {})
{
    stage::StageRenderRequest request;
    request.seed = std::uint32_t(seed);
    request.seconds = seconds;
    request.cuts = std::move(cuts);
    return request;
}

double Field(const std::vector<std::string>& events, const std::string& name,
             const std::string& key)
{
    const StageEvent event = FirstEvent(events, name);
    if (!event.fields.count(key))
        qFatal("no %s=... in a %s line", key.c_str(), name.c_str());
    return event.fields.at(key);
}

bool Within(double measured, double expected, double tolerance)
{
    return std::abs(measured - expected) <= tolerance * std::abs(expected);
}

double HowlHz(const RenderedStage& rendered)
{
    return Field(rendered.events, "howl", "freq");
}

// The seeds' howls: uncut, and when the room has them at the limiter.
struct Howl {
    RenderedStage uncut;
    Slope rise;
    int band;
    double limitedSeconds;
};

// Rendered once per seed for all tests.
const Howl& UncutHowl(int seed)
{
    static std::map<int, Howl> howls;
    if (!howls.count(seed)) {
        Howl howl{Render(Request(seed, 12)), {}, 0, 0};
        howl.rise = RiseSlope(EnvelopeDb(AroundHowl(howl.uncut.samples, HowlHz(howl.uncut))), 0);
        howl.band = int(Field(howl.uncut.events, "howl", "band"));
        howl.limitedSeconds = howl.rise.endSeconds + 1.5;
        howls.emplace(seed, std::move(howl));
    }
    return howls.at(seed);
}

void AddSeeds()
{
    QTest::addColumn<int>("seed");
    // Stages with one howl at a time. Seed 1's two strongest poles grow
    // 0.4 dB/s apart, so which is heard first depends on how the noise
    // excites them; seeds 2 and 8 have a second howl waiting behind the
    // first (nextHowlIsReported), which reaches the limiter while the first
    // decays and turns the whole loop down.
    for (int seed : {3, 4, 5, 6, 7, 9})
        QTest::addRow("seed %d", seed) << seed;
}

} // namespace

class TestStagePhysics : public QObject {
    Q_OBJECT

  private slots:
    // Without a room: growth = excess / loop delay, the rule of thumb.
    void directPathGrowthIsExcessOverDelay_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<double>("excessDb");
        QTest::newRow("5 ms, 0.2 dB") << 5 << 0.2;
        QTest::newRow("5 ms, 1.5 dB") << 5 << 1.5;
        QTest::newRow("12 ms, 0.7 dB") << 12 << 0.7;
        QTest::newRow("25 ms, 0.2 dB") << 25 << 0.2;
        QTest::newRow("25 ms, 1.5 dB") << 25 << 1.5;
    }

    void directPathGrowthIsExcessOverDelay()
    {
        QFETCH(int, delayMs);
        QFETCH(double, excessDb);
        stage::LoopDesign design = stage::StageDesign(1, false);
        design.room.directDelayFrames = delayMs * stage::SampleRateHz / 1000;
        stage::LoopAnalysis analysis(design, Fftw());
        for (int refine = 0; refine < 3; ++refine) {
            const double frequencyHz = analysis.DominantPole()->FrequencyHz();
            analysis.SetGainDb(analysis.GainDb() + excessDb - analysis.OpenLoopGainDb(frequencyHz));
        }
        stage::FeedbackLoop loop(design, Fftw(), 1);
        loop.SetGainDb(analysis.GainDb());
        const double ruleDbPerSecond = excessDb / (delayMs / 1000.0);
        std::vector<float> samples(
            std::size_t((100 / ruleDbPerSecond + 0.5) * stage::SampleRateHz));
        for (std::size_t n = 0; n + stage::BlockFrames <= samples.size(); n += stage::BlockFrames)
            loop.Process(nullptr, &samples[n]);

        const int windowFrames = stage::BlockFrames;
        const Slope rise = RiseSlope(EnvelopeDb(samples, windowFrames), 0, -46, -16, windowFrames);
        QVERIFY(rise.found);
        QVERIFY2(
            Within(rise.dbPerSecond, ruleDbPerSecond, 0.10),
            qPrintable(
                QString("measured %1 dB/s, rule %2").arg(rise.dbPerSecond).arg(ruleDbPerSecond)));
    }

    // In the room: the printed pole's growth and frequency are what is heard;
    // a cut of 2 dB at the howl's band stops it at the printed rate; the
    // limiter never lets it past -6 dBFS.
    void roomHowlFollowsItsPole_data() { AddSeeds(); }

    void roomHowlFollowsItsPole()
    {
        QFETCH(int, seed);
        const Howl& howl = UncutHowl(seed);
        QVERIFY(howl.rise.found);
        const double printedGrowth = Field(howl.uncut.events, "howl", "growth_db_s");
        QVERIFY2(Within(howl.rise.dbPerSecond, printedGrowth, 0.15),
                 qPrintable(QString("grows at %1 dB/s, printed %2")
                                .arg(howl.rise.dbPerSecond)
                                .arg(printedGrowth)));
        // The room's effective loop delay is the group delay at the peak,
        // far longer than the direct path.
        const double groupDelayMs = Field(howl.uncut.events, "howl", "group_delay_ms");
        QVERIFY(groupDelayMs > 1.5 * Field(howl.uncut.events, "howl", "delay_ms"));
        QVERIFY(Within(printedGrowth,
                       Field(howl.uncut.events, "howl", "excess_db") / groupDelayMs * 1000, 0.2));
        const double heardHz =
            PeakFrequencyHz(howl.uncut.samples, howl.rise.beginSeconds, howl.rise.endSeconds);
        const double printedHz = Field(howl.uncut.events, "howl", "freq");
        QVERIFY2(std::abs(std::log2(heardHz / printedHz)) < 1.0 / 48,
                 qPrintable(QString("heard %1 Hz, printed %2").arg(heardHz).arg(printedHz)));

        const RenderedStage cut = Render(Request(seed, 24, {{howl.band, -2, howl.limitedSeconds}}));
        QVERIFY(!FirstEvent(cut.events, "stopped").name.empty());
        const double printedDecay = Field(cut.events, "cut", "growth_db_s");
        const Slope fall =
            FallSlope(EnvelopeDb(AroundHowl(cut.samples, HowlHz(cut))), howl.limitedSeconds);
        QVERIFY(fall.found);
        QVERIFY2(
            Within(fall.dbPerSecond, printedDecay, 0.15),
            qPrintable(
                QString("decays at %1 dB/s, printed %2").arg(fall.dbPerSecond).arg(printedDecay)));

        float loudest = 0;
        for (float sample : howl.uncut.samples)
            loudest = std::max(loudest, std::abs(sample));
        QVERIFY(loudest <= stage::SoftLimiter::CeilingAmplitude());
        QVERIFY(loudest > stage::SoftLimiter::CeilingAmplitude() * 0.9);
    }

    // A deep cut leaves the howl to the room: the model never predicts a
    // decay faster than the room's own. A single tone's decay in a diffuse
    // room wanders around the prediction.
    void deepCutDiesWithTheRoom_data() { AddSeeds(); }

    void deepCutDiesWithTheRoom()
    {
        QFETCH(int, seed);
        const Howl& howl = UncutHowl(seed);
        const RenderedStage cut =
            Render(Request(seed, 12, {{howl.band, -12, howl.limitedSeconds}}));
        QVERIFY(!FirstEvent(cut.events, "stopped").name.empty());
        const stage::RoomImpulse room = stage::StageDesign(std::uint32_t(seed), true).room;
        const double roomDecay = -60 / room.Rt60Seconds(Field(cut.events, "stopped", "freq"));
        const double printedDecay = Field(cut.events, "cut", "growth_db_s");
        QVERIFY(printedDecay >= roomDecay - 0.01);
        // Below the cut's own step of 12 dB.
        const Slope fall = FallSlope(EnvelopeDb(AroundHowl(cut.samples, HowlHz(cut))),
                                     howl.limitedSeconds, -24, -54);
        QVERIFY(fall.found);
        QVERIFY2(fall.dbPerSecond < printedDecay / 1.5 && fall.dbPerSecond > printedDecay * 1.5,
                 qPrintable(QString("decays at %1 dB/s, printed %2, room %3")
                                .arg(fall.dbPerSecond)
                                .arg(printedDecay)
                                .arg(roomDecay)));
    }

    // A cut two octaves away moves the loop gain by tenths of a dB, and the
    // growth by what the model prints.
    void farCutChangesLittle_data() { AddSeeds(); }

    void farCutChangesLittle()
    {
        QFETCH(int, seed);
        const Howl& howl = UncutHowl(seed);
        const int farBand = howl.band >= 6 ? howl.band - 6 : howl.band + 6;
        const RenderedStage cut = Render(Request(seed, 50, {{farBand, -12, 0.0}}));
        const double excessDb = Field(cut.events, "howl", "excess_db");
        const double loopGainDb = Field(cut.events, "cut", "loop_gain_db");
        QVERIFY(loopGainDb < excessDb);
        QVERIFY(excessDb - loopGainDb < 0.5);
        // 30 dB lower than elsewhere: the slowest of these grow at 1.5 dB/s.
        const Slope rise = RiseSlope(EnvelopeDb(AroundHowl(cut.samples, HowlHz(cut))), 0, -76, -46);
        QVERIFY(rise.found);
        const double printedGrowth = Field(cut.events, "cut", "growth_db_s");
        QVERIFY2(Within(rise.dbPerSecond, printedGrowth, 0.15),
                 qPrintable(QString("grows at %1 dB/s, printed %2, uncut %3")
                                .arg(rise.dbPerSecond)
                                .arg(printedGrowth)
                                .arg(howl.rise.dbPerSecond)));
    }

    // Where a second pole is outside the unit circle, cutting the first howl
    // lets the next one grow: it is reported, heard and grows as printed.
    void nextHowlIsReported()
    {
        const Howl& howl = UncutHowl(2);
        const RenderedStage cut = Render(Request(2, 20, {{howl.band, -12, howl.limitedSeconds}}));
        std::vector<StageEvent> howls;
        for (const std::string& line : cut.events)
            if (ParseEvent(line).name == "howl")
                howls.push_back(ParseEvent(line));
        QCOMPARE(howls.size(), std::size_t(2));
        QCOMPARE(howls[1].fields.at("t"), Field(cut.events, "stopped", "t"));
        QVERIFY(howls[1].fields.at("band") != howl.band);
        const Slope rise =
            RiseSlope(EnvelopeDb(AroundHowl(cut.samples, howls[1].fields.at("freq"))),
                      howl.limitedSeconds + 0.5);
        QVERIFY(rise.found);
        QVERIFY2(Within(rise.dbPerSecond, howls[1].fields.at("growth_db_s"), 0.15),
                 qPrintable(QString("grows at %1 dB/s").arg(rise.dbPerSecond)));
        const double heardHz = PeakFrequencyHz(cut.samples, rise.beginSeconds, rise.endSeconds);
        QVERIFY(std::abs(std::log2(heardHz / howls[1].fields.at("freq"))) < 1.0 / 48);
    }

    // The partitioned convolution is the plain one, sample for sample.
    void convolverMatchesDirectSum()
    {
        std::mt19937 numbers(7);
        std::uniform_real_distribution<float> uniform(-1, 1);
        std::vector<float> taps(1000), input(10 * stage::BlockFrames);
        for (float& tap : taps)
            tap = uniform(numbers);
        for (float& sample : input)
            sample = uniform(numbers);
        stage::PartitionedConvolver convolver(Fftw(), taps, stage::BlockFrames);
        std::vector<float> output(input.size());
        for (std::size_t n = 0; n < input.size(); n += stage::BlockFrames)
            convolver.Process(&input[n], &output[n]);
        for (std::size_t n = 0; n < input.size(); ++n) {
            double expected = 0;
            for (std::size_t k = 0; k < taps.size() && k <= n; ++k)
                expected += double(taps[k]) * input[n - k];
            QVERIFY2(
                std::abs(output[n] - expected) < 1e-3,
                qPrintable(
                    QString("sample %1: %2, expected %3").arg(n).arg(output[n]).arg(expected)));
        }
    }
};

QTEST_GUILESS_MAIN(TestStagePhysics)
#include "tst_stage_physics.moc"
