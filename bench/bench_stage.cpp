// Figures for the stage loop:
//  - CPU time per second of audio for the whole loop (microphone, gain, the
//    28-band EQ, limiter, wedge, room), beside 28 plain biquads over the same
//    blocks, the floor of any graphic EQ (goal: at most 3 times that), and the
//    room's convolution alone;
//  - the latency from a fader change, handled as a GUI event, to the first
//    callback buffer that uses the new gains (goal: at most 20 ms), beside one
//    buffer's length and the device's own output latency. The device is a
//    private JACK server with the dummy back end, which keeps real time in
//    buffers of 5 ms (PortAudio's callback streams stall on the ALSA plug-in
//    of a PulseAudio null sink);
//  - the longest hold of the GUI thread when START begins a stage turn (the
//    first one loads FFTW), beside START of a plain tone turn: the largest gap
//    between the ticks of a 1 ms timer, in the real window (offscreen), the
//    sound taken by the tests' silent players.

#include "BenchSupport.h"
#include "game/FaderView.h"
#include "session/GameFlow.h"
#include "session/StageFlow.h"
#include "stage/FeedbackLoop.h"
#include "stage/FftwLibrary.h"
#include "stage/LoopAnalysis.h"
#include "stage/StageBands.h"
#include "stage/StageScene.h"
#include "stage/StageStream.h"
#include "support/GameHarness.h"
#include "support/JackServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMouseEvent>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <random>

namespace {

constexpr int Blocks = 2000; // 10 s of audio
constexpr int Repeats = 7;
constexpr int FaderChanges = 60;
constexpr double GoalRatio = 3.0;
constexpr double GoalLatencyMs = 20.0;

// Median CPU ms per second of audio of `process`, called once per block.
template <typename Process> double CpuMsPerAudioSecond(Process process)
{
    std::vector<double> figures;
    for (int repeat = 0; repeat < Repeats; ++repeat) {
        const std::int64_t start = bench::ThreadCpuNs();
        for (int block = 0; block < Blocks; ++block)
            process();
        const double audioSeconds = double(Blocks) * stage::BlockFrames / stage::SampleRateHz;
        figures.push_back((bench::ThreadCpuNs() - start) / 1e6 / audioSeconds);
    }
    return bench::Median(figures);
}

void MeasureCpu(const stage::FftwFunctions& fftw)
{
    // Three open microphones, the most a scene has: their paths sum into one
    // impulse response, so the loop should cost what one microphone costs.
    stage::StageScene scene = stage::DrawScene(1, true);
    while (scene.microphones.size() < 3) {
        stage::SceneMicrophone another = scene.microphones.front();
        for (stage::MicrophonePlacement& placement : another.toWedges) {
            placement.distanceM *= 1.0 + 0.3 * double(scene.microphones.size());
            placement.angleDeg = 180 - placement.angleDeg / 2;
        }
        scene.microphones.push_back(another);
    }
    const stage::LoopDesign design = stage::SceneDesign(scene);
    stage::LoopAnalysis analysis(design, fftw);
    stage::FeedbackLoop loop(design, fftw, 1);
    analysis.ChooseGainDb();
    loop.SetGainDb(analysis.GainDb());
    stage::BandLevels levelsDb{};
    for (int band = 0; band < stage::BandCount; ++band)
        levelsDb[band] = band % 5 - 2;
    loop.SetLevels(levelsDb);

    std::vector<stage::BiquadCoefficients> sections;
    for (int band = 0; band < stage::BandCount; ++band)
        sections.push_back(stage::BandSection(stage::StageBandCentresHz()[band], levelsDb[band]));
    stage::BiquadChain plainEq(sections);
    stage::PartitionedConvolver room(fftw, design.room.taps, stage::BlockFrames);

    std::mt19937 numbers(1);
    std::uniform_real_distribution<float> uniform(-0.1f, 0.1f);
    std::vector<float> noise(stage::BlockFrames), block(stage::BlockFrames),
        out(stage::BlockFrames);
    for (float& sample : noise)
        sample = uniform(numbers);

    const double loopMs = CpuMsPerAudioSecond([&] { loop.Process(nullptr, out.data()); });
    const double eqMs = CpuMsPerAudioSecond([&] {
        block = noise;
        plainEq.Process(block.data(), stage::BlockFrames);
    });
    const double roomMs = CpuMsPerAudioSecond([&] { room.Process(noise.data(), out.data()); });
    std::printf("CPU per second of audio, blocks of %d frames, median of %d runs of 10 s, "
                "a scene of %zu microphones and %zu wedges:\n",
                stage::BlockFrames, Repeats, scene.microphones.size(), scene.wedges.size());
    std::printf("  28 plain biquads (reference)  %7.3f ms\n", eqMs);
    std::printf("  whole loop                    %7.3f ms = %.2f x the biquads (goal <= %.0f x)\n",
                loopMs, loopMs / eqMs, GoalRatio);
    std::printf("  of it the room's convolution  %7.3f ms = %.2f x the biquads (%d partitions, "
                "%.2f s of room)\n",
                roomMs, roomMs / eqMs, room.PartitionCount(),
                double(design.room.taps.size()) / stage::SampleRateHz);
}

// A fader move as the window delivers it: an event on the GUI thread.
class FaderEvent : public QEvent {
  public:
    FaderEvent() : QEvent(QEvent::User) {}
};

class Desk : public QObject {
  public:
    explicit Desk(stage::StageStream& stream) : stream_(stream) {}
    std::int64_t handledNs = 0;

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        handledNs = bench::MonotonicNs();
        parameters_.levelsDb[parameters_.change % stage::BandCount] = -6;
        parameters_.change++;
        stream_.SetParameters(parameters_);
        return true;
    }

  private:
    stage::StageStream& stream_;
    stage::StageParameters parameters_;
};

int MeasureLatency(const stage::FftwFunctions& fftw)
{
    JackServer jack(stage::SampleRateHz, stage::BlockFrames);
    if (!jack.Answers()) {
        std::printf("latency: no JACK server: %s\n", jack.Output().constData());
        return 1;
    }
    stage::StageStream stream(stage::StageDesign(1, true), fftw, 1);
    std::string error;
    if (!stream.Start(&error, "system")) {
        std::printf("latency: %s\n", error.c_str());
        return 1;
    }
    Desk desk(stream);
    std::mt19937 numbers(2);
    std::vector<double> latencies;
    for (int change = 1; change <= FaderChanges; ++change) {
        QThread::usleep(2000 + numbers() % 8000); // anywhere in a buffer
        QCoreApplication::postEvent(&desk, new FaderEvent);
        QCoreApplication::processEvents();
        QElapsedTimer waited;
        waited.start();
        while (stream.AppliedChange() < std::uint32_t(change) && waited.elapsed() < 1000)
            QThread::usleep(100);
        if (stream.AppliedChange() < std::uint32_t(change)) {
            std::printf("latency: the callback stopped taking changes\n");
            return 1;
        }
        latencies.push_back((stream.AppliedAtNs() - desk.handledNs) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("Fader change (GUI event) to the first buffer using it, %d changes:\n",
                FaderChanges);
    std::printf("  median %.2f ms, 90 %% %.2f ms, worst %.2f ms (goal <= %.0f ms)\n",
                bench::Median(latencies), latencies[latencies.size() * 9 / 10], latencies.back(),
                GoalLatencyMs);
    std::printf("  one buffer (reference) %.2f ms; the device's output latency %.2f ms\n",
                1000.0 * stage::BlockFrames / stage::SampleRateHz,
                1000.0 * stream.OutputLatencySeconds());
    return 0;
}

// The largest gap between the ticks of a 1 ms timer, ms, while `act` runs
// and until `done`, and a quarter of a second after; -1 if never done.
double LongestStallMs(const std::function<void()>& act, const std::function<bool()>& done)
{
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    std::int64_t lastNs = 0;
    double longestMs = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const std::int64_t nowNs = bench::MonotonicNs();
        longestMs = std::max(longestMs, (nowNs - lastNs) / 1e6);
        lastNs = nowNs;
    });
    tick.start();
    QTest::qWait(100);
    longestMs = 0;
    lastNs = bench::MonotonicNs();
    act();
    const bool finished = QTest::qWaitFor(done, 60000);
    QTest::qWait(250);
    return finished ? longestMs : -1;
}

bool TurnRuns(GameHarness& rig)
{
    const TurnPhase phase = rig.Game().Phase();
    return phase == TurnPhase::StageRunning || phase == TurnPhase::Searching;
}

// Worst of `starts` STARTs with these settings; the first one's alone.
void MeasureStartStalls(const char* name, const QByteArray& settings, int starts)
{
    GameHarness rig;
    if (!rig.Start(settings)) {
        std::printf("START stall: the window did not come up\n");
        return;
    }
    std::vector<double> stallsMs;
    for (int start = 0; start < starts; ++start) {
        rig.random.values = {5 + start, 45};
        stallsMs.push_back(
            LongestStallMs([&] { rig.PressStart(); }, [&] { return TurnRuns(rig); }));
        rig.ClickStart(); // ends the turn again
    }
    std::printf("  %-28s first %7.1f ms, worst of the next %d %7.1f ms\n", name, stallsMs[0],
                starts - 1, *std::max_element(stallsMs.begin() + 1, stallsMs.end()));
}

// START clicked 49 times, 20 ms apart (each second click ends what the one
// before began), then until the last one's turn runs.
void MeasureStartHammered(const char* name, const QByteArray& settings)
{
    GameHarness rig;
    if (!rig.Start(settings)) {
        std::printf("START hammered: the window did not come up\n");
        return;
    }
    const double stallMs = LongestStallMs(
        [&] {
            for (int click = 0; click < 49; ++click) {
                rig.random.values = {5 + click, 45};
                rig.PressStart();
                QTest::qWait(20);
            }
        },
        [&] { return TurnRuns(rig) && !rig.Game().Stage().WorkerBusy(); });
    std::printf("  %-28s %7.1f ms\n", name, stallMs);
}

// A stage turn's faders pulled with the mouse for 3 s, a step every 20 ms,
// each step judged by the loop analysis while the howl grows.
void MeasureJudgedDrags()
{
    GameHarness rig;
    if (!rig.Start("[Spiel]\nZufallszeit=0\n[Training]\nBuehne=1\n")) {
        std::printf("judged drags: the window did not come up\n");
        return;
    }
    rig.random.values = {5};
    rig.ClickStart();
    const int howl = rig.State().RingingBand;
    int moves = 0;
    const double stallMs = LongestStallMs(
        [&] {
            for (int step = 0; step < 150; ++step) {
                // Around the howl but never on it: it grows on and each move is judged.
                const int band = howl + (step / 25 % 2 == 0 ? -4 : 4);
                const QPoint at = rig.FaderPoint(band, step % 2 == 0 ? -3 : -1);
                QTest::mousePress(rig.form->Fader(), Qt::LeftButton, {}, rig.FaderPoint(band));
                QMouseEvent move(QEvent::MouseMove, at, rig.form->Fader()->mapToGlobal(at),
                                 Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(rig.form->Fader(), &move);
                QTest::mouseRelease(rig.form->Fader(), Qt::LeftButton, {}, at);
                ++moves;
                QTest::qWait(20);
            }
        },
        [&] { return !rig.Game().Stage().Judging(); });
    std::printf("  %d judged mouse moves in a stage turn %7.1f ms\n", moves, stallMs);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Before FFTW is loaded by anything else: the first stage START loads it.
    std::printf("Longest GUI-thread stall from START until the turn runs (1 ms timer):\n");
    MeasureStartStalls("tone turn (reference)", "[Spiel]\nZufallszeit=0\n", 6);
    MeasureStartStalls("stage turn", "[Spiel]\nZufallszeit=0\n[Training]\nBuehne=1\n", 6);
    std::printf(
        "Longest GUI-thread stall with START clicked 49 times 20 ms apart (goal <= 16 ms):\n");
    MeasureStartHammered("tone turns (reference)", "[Spiel]\nZufallszeit=0\n");
    MeasureStartHammered("stage turns", "[Spiel]\nZufallszeit=0\n[Training]\nBuehne=1\n");
    std::printf("Longest GUI-thread stall while a stage turn judges moves (goal <= 16 ms):\n");
    MeasureJudgedDrags();
    std::fflush(stdout);
    std::string error;
    const stage::FftwFunctions* fftw = stage::LoadFftw(&error);
    if (!fftw) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    MeasureCpu(*fftw);
    std::fflush(stdout);
    return MeasureLatency(*fftw);
}
