#pragma once
// The stage's feedback loop, one block at a time: microphone -> gain G ->
// graphic EQ -> limiter -> wedge -> room -> microphone. The room's direct
// path is a delay line of exactly its length; the rest of the room is a
// partitioned convolution that adds no delay. A quiet noise floor (and
// optionally an outside signal, a talker) enters at the microphone, and so
// does the bleed of a singer and a band, pink noise or the player's music at
// a level set by the first gain so that the stage is heard from its first
// block.

#include "stage/BandEq.h"
#include "stage/Biquad.h"
#include "stage/PartitionedConvolver.h"
#include "stage/RoomImpulse.h"
#include "stage/SoftLimiter.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace stage {

// What the loop and its analysis are built from.
struct LoopDesign {
    std::vector<BiquadCoefficients> microphone;
    std::vector<BiquadCoefficients> speaker;
    BandCentres bandCentresHz{};
    RoomImpulse room;
    double noiseFloorDbfs = -85.0; // at the microphone
    // The bleed's level at the desk's output at the first gain set.
    double bleedDbfs = -30.0;
    // How fast the first howl grows at the gain chosen for it.
    double firstGrowthDbPerSecond = 12.0;
};

// The stage of `seed` (its scene: microphones, wedges, room) on the game's bands.
LoopDesign StageDesign(std::uint32_t seed, bool withRoom);

// What the singer and the band play into the microphones instead of pink
// noise: a loop of 16-bit samples at SampleRateHz, which `unitScale` brings
// to an RMS of 1; `owner` keeps them while the loop plays.
struct BleedSignal {
    std::shared_ptr<const void> owner;
    const std::int16_t* samples = nullptr;
    std::size_t count = 0;
    float unitScale = 0;
};

class FeedbackLoop {
  public:
    // Thread: any but the audio thread (allocates and plans).
    FeedbackLoop(const LoopDesign& design, const FftwFunctions& fftw, std::uint32_t noiseSeed);

    // At the pink noise's level. Thread: any, before the first block.
    void SetBleed(BleedSignal bleed) { bleed_ = std::move(bleed); }
    // Thread: the thread that processes; never allocates.
    void SetGainDb(double gainDb);
    // Thread: the thread that processes; never allocates.
    void SetLevels(const BandLevels& levelsDb) { eq_.SetLevels(levelsDb); }

    // The singer turned: from the next block the loop sends through `room`,
    // while what the old room still holds of the sound sent before dies away
    // in it, so the turn makes no click. The caller keeps `room` alive while
    // the loop uses it. Thread: the thread that processes; never allocates.
    void MoveRoom(PartitionedConvolver* room);
    // Whether the room before the last turn still rings out (and is used).
    bool OldRoomRinging() const { return oldRoom_ != nullptr; }

    // One block of BlockFrames: `talker` (may be null) is added at the
    // microphone; `out` receives what the desk sends to the wedge (after the
    // limiter). Thread: one thread at a time (audio or renderer); never
    // allocates, takes no lock.
    void Process(const float* talker, float* out);

  private:
    float NextUniform();
    float NextPink();
    float NextBleed();

    BiquadChain microphone_;
    BiquadChain speaker_;
    BandEq eq_;
    SoftLimiter limiter_;
    std::unique_ptr<PartitionedConvolver> firstRoom_;
    PartitionedConvolver* room_;
    PartitionedConvolver* oldRoom_ = nullptr;
    int oldRoomFramesLeft_ = 0;
    double gain_ = 1.0;
    float noiseAmplitude_;
    double bleedDbfs_;
    float bleedAmplitude_ = -1; // set by the first SetGainDb
    float pink_[3] = {0, 0, 0};
    BleedSignal bleed_;
    std::size_t bleedPosition_ = 0;
    std::uint32_t noiseState_;
    int delayFrames_;
    std::vector<float> sent_; // the wedge's past output, a ring of power-of-two size
    std::size_t sentMask_;
    std::size_t written_ = 0;
    std::vector<float> roomIn_, atMicrophone_, wedge_, silence_, oldTail_;
};

} // namespace stage
