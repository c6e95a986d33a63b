#include "stage/FeedbackLoop.h"

#include "stage/StageBands.h"
#include "stage/StageConstants.h"
#include "stage/StageScene.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace stage {

namespace {

// The RMS of NextPink's output.
constexpr double PinkRms = 1.715;

} // namespace

LoopDesign StageDesign(std::uint32_t seed, bool withRoom)
{
    return SceneDesign(DrawScene(seed, withRoom));
}

FeedbackLoop::FeedbackLoop(const LoopDesign& design, const FftwFunctions& fftw,
                           std::uint32_t noiseSeed)
    : microphone_(design.microphone), speaker_(design.speaker), eq_(design.bandCentresHz),
      firstRoom_(std::make_unique<PartitionedConvolver>(fftw, design.room.taps, BlockFrames)),
      room_(firstRoom_.get()),
      // Uniform noise of this amplitude has the floor's RMS.
      noiseAmplitude_(static_cast<float>(DbToAmplitude(design.noiseFloorDbfs) * std::sqrt(3.0))),
      bleedDbfs_(design.bleedDbfs), noiseState_(noiseSeed * 2654435761u + 1u),
      delayFrames_(design.room.directDelayFrames),
      sent_(std::bit_ceil(std::size_t(delayFrames_) + BlockFrames), 0.0f),
      sentMask_(sent_.size() - 1), roomIn_(BlockFrames), atMicrophone_(BlockFrames),
      wedge_(BlockFrames), silence_(BlockFrames), oldTail_(BlockFrames)
{
}

void FeedbackLoop::MoveRoom(PartitionedConvolver* room)
{
    // A second turn within one tail cuts the oldest tail short: the tails
    // are quiet by then, and two rooms at a time bound the audio thread's cost.
    oldRoom_ = room_;
    oldRoomFramesLeft_ = (room_->PartitionCount() + 1) * BlockFrames;
    room_ = room;
}

void FeedbackLoop::SetGainDb(double gainDb)
{
    gain_ = DbToAmplitude(gainDb);
    // The singer sings as loud whatever the desk does: the bleed's level is
    // fixed at the microphone by the gain the stage starts with.
    if (bleedAmplitude_ < 0)
        bleedAmplitude_ = float(DbToAmplitude(bleedDbfs_) / gain_ / PinkRms);
}

float FeedbackLoop::NextUniform()
{
    // xorshift32: cheap, and the same sequence for the same seed.
    noiseState_ ^= noiseState_ << 13;
    noiseState_ ^= noiseState_ >> 17;
    noiseState_ ^= noiseState_ << 5;
    return float(noiseState_) / 2147483648.0f - 1.0f;
}

float FeedbackLoop::NextBleed()
{
    if (bleed_.count == 0)
        return NextPink();
    const float sample = float(bleed_.samples[bleedPosition_]) * bleed_.unitScale * float(PinkRms);
    bleedPosition_ = bleedPosition_ + 1 == bleed_.count ? 0 : bleedPosition_ + 1;
    return sample;
}

float FeedbackLoop::NextPink()
{
    // Three one-pole sections (Paul Kellet's): -3 dB per octave within 0.5 dB.
    const float white = NextUniform();
    pink_[0] = 0.99765f * pink_[0] + white * 0.0990460f;
    pink_[1] = 0.96300f * pink_[1] + white * 0.2965164f;
    pink_[2] = 0.57000f * pink_[2] + white * 1.0526913f;
    return pink_[0] + pink_[1] + pink_[2] + white * 0.1848f;
}

void FeedbackLoop::Process(const float* talker, float* out)
{
    // The wedge's sound reaches the microphone delayFrames_ later; a block is
    // never longer than that, so this block hears only blocks already sent.
    for (int n = 0; n < BlockFrames; ++n)
        roomIn_[n] = sent_[(written_ + n - delayFrames_) & sentMask_];
    room_->Process(roomIn_.data(), atMicrophone_.data());
    if (oldRoom_) {
        // Linear in the sound sent: the old room's answer to what was sent
        // before the turn plus the new room's to what is sent after.
        oldRoom_->Process(silence_.data(), oldTail_.data());
        for (int n = 0; n < BlockFrames; ++n)
            atMicrophone_[n] += oldTail_[n];
        oldRoomFramesLeft_ -= BlockFrames;
        if (oldRoomFramesLeft_ <= 0)
            oldRoom_ = nullptr;
    }
    for (int n = 0; n < BlockFrames; ++n)
        atMicrophone_[n] += noiseAmplitude_ * NextUniform() +
                            std::max(bleedAmplitude_, 0.0f) * NextBleed() +
                            (talker ? talker[n] : 0.0f);

    microphone_.Process(atMicrophone_.data(), BlockFrames);
    const float gain = static_cast<float>(gain_);
    for (int n = 0; n < BlockFrames; ++n)
        out[n] = atMicrophone_[n] * gain;
    eq_.Process(out, BlockFrames);
    limiter_.Process(out, BlockFrames);

    std::copy(out, out + BlockFrames, wedge_.begin());
    speaker_.Process(wedge_.data(), BlockFrames);
    for (int n = 0; n < BlockFrames; ++n)
        sent_[(written_ + n) & sentMask_] = wedge_[n];
    written_ += BlockFrames;
}

} // namespace stage
