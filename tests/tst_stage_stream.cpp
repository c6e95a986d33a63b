// The stage's real-time path: the callback allocates nothing, faders reach it
// whole, and without a sound card the stream says so in German.

#include "stage/PartitionedConvolver.h"
#include "stage/SnapshotExchange.h"
#include "stage/StageStream.h"
#include "support/StageMeasure.h"

#include <QtTest>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

// Every operator new of this executable is counted while the flag is set on
// the calling thread: the stand-in audio thread sets it.
thread_local bool onAudioThread = false;
std::atomic<int> audioThreadAllocations{0};

} // namespace

void* operator new(std::size_t size)
{
    if (onAudioThread)
        ++audioThreadAllocations;
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

namespace {

struct Numbered {
    std::array<int, 16> copies; // all equal in a whole value
};

} // namespace

class TestStageStream : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        // CI has no sound card; nor may a desktop's sound server stand in
        // for one.
        qputenv("JACK_NO_START_SERVER", "1");
        qputenv("JACK_DEFAULT_SERVER", "heulmeister-none");
        qputenv("PULSE_SERVER", "unix:/nonexistent");
    }

    // Ten seconds of callbacks while the GUI side moves faders and gain.
    void callbackNeverAllocates()
    {
        stage::StageStream stream(stage::StageDesign(3, true), stagetest::Fftw(), 3);
        std::atomic<bool> done{false};
        std::atomic<int> buffers{0};
        std::thread audio([&] {
            onAudioThread = true;
            std::array<float, stage::BlockFrames> out{};
            float loudest = 0;
            for (int i = 0; i < 2000; ++i) {
                stage::StageStream::Callback(nullptr, out.data(), out.size(), nullptr, 0, &stream);
                for (float sample : out)
                    loudest = std::max(loudest, std::abs(sample));
                ++buffers;
            }
            onAudioThread = false;
            done = loudest > 0 && std::isfinite(loudest);
        });
        stage::StageParameters parameters;
        // The singer turns, at times faster than a room rings out: rooms are
        // built and let go of on this side only.
        const std::vector<float> taps = stage::StageDesign(4, true).room.taps;
        int turns = 0;
        bool refused = false;
        for (int change = 0; buffers < 1900; ++change) {
            parameters.levelsDb[change % stage::BandCount] = std::int8_t(change % 25 - 12);
            parameters.gainDb = float(change % 7) - 3;
            if (!refused && buffers > 150 * (turns + 1)) {
                refused = !stream.MoveRoom(std::make_shared<stage::PartitionedConvolver>(
                    stagetest::Fftw(), taps, stage::BlockFrames));
                turns += refused ? 0 : 1;
            }
            stream.SetParameters(parameters);
            std::this_thread::yield();
        }
        audio.join();
        QVERIFY(done);
        QCOMPARE(turns, stage::StageStream::MostTurns);
        QVERIFY(refused);
        QCOMPARE(audioThreadAllocations.load(), 0);
        QVERIFY(stream.AppliedChange() > 10);
    }

    // The loop is linear in what it sends: turning into a room with the very
    // same taps changes no sample, so a turn itself adds no click.
    void aTurnIntoTheSameRoomChangesNothing()
    {
        const stage::LoopDesign design = stage::StageDesign(3, true);
        stage::FeedbackLoop staying(design, stagetest::Fftw(), 3);
        stage::FeedbackLoop turning(design, stagetest::Fftw(), 3);
        stage::PartitionedConvolver sameRoom(stagetest::Fftw(), design.room.taps,
                                             stage::BlockFrames);
        std::array<float, stage::BlockFrames> a{}, b{};
        float largestDifference = 0;
        for (int block = 0; block < 3000; ++block) {
            if (block == 500)
                turning.MoveRoom(&sameRoom);
            for (stage::FeedbackLoop* loop : {&staying, &turning})
                loop->SetGainDb(-3);
            staying.Process(nullptr, a.data());
            turning.Process(nullptr, b.data());
            for (int n = 0; n < stage::BlockFrames; ++n)
                largestDifference = std::max(largestDifference, std::abs(a[n] - b[n]));
        }
        QVERIFY(!turning.OldRoomRinging());
        QVERIFY2(largestDifference < 1e-4f, qPrintable(QString::number(largestDifference)));
    }

    // A reader racing the writer only ever sees whole values, never older
    // than the last it saw, and in the end the newest.
    void snapshotIsNeverTorn()
    {
        stage::SnapshotExchange<Numbered> exchange;
        constexpr int Last = 200000;
        std::thread writer([&] {
            for (int k = 1; k <= Last; ++k) {
                Numbered value;
                value.copies.fill(k);
                exchange.Publish(value);
            }
        });
        int seen = 0;
        bool whole = true, ordered = true;
        while (seen < Last) {
            const Numbered& value = exchange.Latest();
            whole = whole && std::all_of(value.copies.begin(), value.copies.end(),
                                         [&](int copy) { return copy == value.copies[0]; });
            ordered = ordered && value.copies[0] >= seen;
            seen = value.copies[0];
        }
        writer.join();
        QVERIFY(whole);
        QVERIFY(ordered);
    }

    // How low a howl falls is watched from the next block to the watch's
    // last frame: what comes after it, however quiet, does not count.
    void aFallIsWatchedUpToItsLastFrame()
    {
        stage::StageStream stream(stage::StageDesign(3, true), stagetest::Fftw(), 3);
        std::array<float, stage::BlockFrames> out{};
        const auto render = [&](int blocks, float* quietest = nullptr) {
            for (int i = 0; i < blocks; ++i) {
                stream.RenderBuffer(out.data(), out.size());
                if (quietest)
                    *quietest = std::min(*quietest, stream.HowlLevelDbfs());
            }
        };
        stage::StageParameters parameters; // the bleed's level is set by the first
        stream.SetParameters(parameters);
        render(200);
        stream.WatchFall(stream.FramesMade() + 100 * stage::BlockFrames);
        float quietest = 200;
        render(100, &quietest);
        QCOMPARE(stream.QuietestWatchedDbfs(), quietest);
        parameters.gainDb = -60;
        stream.SetParameters(parameters);
        render(400);
        QVERIFY(stream.HowlLevelDbfs() < quietest - 20);
        QCOMPARE(stream.QuietestWatchedDbfs(), quietest);
        QCOMPARE(stream.FramesMade(), std::uint64_t(700 * stage::BlockFrames));
    }

    // A device that is not there, whatever this machine has.
    void withoutItsDeviceStartFails()
    {
        stage::StageStream stream(stage::StageDesign(1, false), stagetest::Fftw(), 1);
        std::string error;
        QVERIFY(!stream.Start(&error, "kein solches Gerät"));
        QVERIFY2(error.find("Bühne") != std::string::npos, error.c_str());
    }
};

QTEST_GUILESS_MAIN(TestStageStream)
#include "tst_stage_stream.moc"
