#pragma once
// The stage loop on a low-latency PortAudio callback stream of its own (the
// game's tone keeps its 500 ms blocks elsewhere). Faders and gain reach the
// callback through a SnapshotExchange; the callback allocates nothing, takes
// no lock and makes no system call.

#include "stage/FeedbackLoop.h"
#include "stage/HowlMeter.h"
#include "stage/SnapshotExchange.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <portaudio.h>
#include <string>

namespace stage {

// What the desk sets: small and plain, so it is copied whole.
struct StageParameters {
    std::array<std::int8_t, BandCount> levelsDb{}; // the faders, -12..12
    float gainDb = 0;                              // G
    float outputGain = 1;                          // after the loop: the player's volume
    float howlHz = 1000;                           // the frequency HowlLevelDbfs measures
    std::uint32_t change = 0;                      // set by SetParameters
    int room = 0;                                  // the singer's turns; set by SetParameters
};

class StageStream {
  public:
    // Thread: GUI (builds the loop: allocates and plans).
    StageStream(const LoopDesign& design, const FftwFunctions& fftw, std::uint32_t noiseSeed);
    // Thread: GUI; stops and closes the stream.
    ~StageStream();
    StageStream(const StageStream&) = delete;
    StageStream& operator=(const StageStream&) = delete;

    // Opens the output device named `deviceName` (the system's default output
    // when empty) and starts playing; false with the reason in the player's
    // language. Thread: GUI.
    bool Start(std::string* errorText, const std::string& deviceName = {});
    // Thread: GUI.
    void Stop();
    // The music that bleeds in instead of pink noise. Thread: GUI, before Start.
    void SetBleed(BleedSignal bleed) { loop_.SetBleed(std::move(bleed)); }
    // The newest faders and gain; the next buffer uses them. Thread: GUI (the
    // one writer).
    void SetParameters(const StageParameters& parameters);
    // The singer turned: once the next SetParameters has reached it, the
    // loop sends through `room` (built away from the audio thread), the old
    // room ringing out. At most MostTurns turns a stream; false when past
    // them. Thread: GUI.
    bool MoveRoom(std::shared_ptr<PartitionedConvolver> room);
    static constexpr int MostTurns = 8;

    // One buffer of the loop. Thread: audio (PortAudio's callback, or a
    // test's stand-in for it): never allocates, locks or calls the system.
    void RenderBuffer(float* out, unsigned long frames);
    // PortAudio's callback; userData is the StageStream. Thread: audio.
    static int Callback(const void* input, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags flags,
                        void* userData);

    // The change number the callback last took up, and when (steady clock,
    // ns). Thread: any.
    std::uint32_t AppliedChange() const { return appliedChange_.load(std::memory_order_acquire); }
    std::int64_t AppliedAtNs() const { return appliedAtNs_.load(std::memory_order_relaxed); }
    // The loudest sample of the last block the loop made, before the output
    // gain, dBFS. Thread: any.
    float LastBlockPeakDbfs() const { return peakDbfs_.load(std::memory_order_relaxed); }
    // The level of the howl's frequency alone (HowlMeter), before the output
    // gain: the band's bleed does not make a howl heard. Thread: any.
    float HowlLevelDbfs() const { return howlDbfs_.load(std::memory_order_relaxed); }
    // The device's output latency once started, seconds. Thread: GUI.
    double OutputLatencySeconds() const;

    // Frames the loop has made since it began. Thread: any.
    std::uint64_t FramesMade() const { return framesMade_.load(std::memory_order_acquire); }
    // Starts watching how low the howl's level falls, from the next block up
    // to the block that ends at or before `untilFrame`: whether a cut made the
    // howl die as heard. Thread: GUI.
    void WatchFall(std::uint64_t untilFrame);
    // The quietest HowlLevelDbfs since WatchFall; +200 until the first block.
    // Thread: any.
    float QuietestWatchedDbfs() const { return quietestDbfs_.load(std::memory_order_relaxed); }

  private:
    void ApplyNewest();
    void LetGoOfRooms();

    FeedbackLoop loop_;
    SnapshotExchange<StageParameters> parameters_;
    std::uint32_t published_ = 0;
    StageParameters lastParameters_; // GUI only
    // Written by the GUI before the parameters that name them are published;
    // freed once the audio thread has left them behind.
    std::array<std::shared_ptr<PartitionedConvolver>, MostTurns> turnedRooms_;
    int turns_ = 0;                        // GUI only
    int roomInUse_ = 0, oldRoomInUse_ = 0; // audio thread only
    std::atomic<int> oldestRoomInUse_{0};
    std::uint32_t taken_ = 0; // audio thread only
    std::array<float, BlockFrames> block_{};
    int blockUsed_ = BlockFrames; // audio thread only
    float outputGain_ = 1;        // audio thread only
    std::atomic<float> peakDbfs_{-200.0f};
    HowlMeter howlMeter_; // audio thread only
    float meteredHz_ = 0; // audio thread only
    std::atomic<float> howlDbfs_{-200.0f};
    std::atomic<std::uint64_t> framesMade_{0};
    std::atomic<std::uint64_t> watchUntilFrame_{0};
    std::atomic<std::uint32_t> watchAsked_{0};
    std::uint32_t watchTaken_ = 0; // audio thread only
    std::atomic<float> quietestDbfs_{200.0f};
    std::atomic<std::uint32_t> appliedChange_{0};
    std::atomic<std::int64_t> appliedAtNs_{0};
    PaStream* stream_ = nullptr;
    bool initialised_ = false;
};

} // namespace stage
