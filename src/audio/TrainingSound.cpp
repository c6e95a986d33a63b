#include "audio/TrainingSound.h"

#include "audio/PinkNoise.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

std::shared_ptr<const BedLoop> PinkNoiseBed(std::uint32_t seed)
{
    return MakeBedLoop(RenderPinkNoise(seed, PinkNoiseLoopSamples));
}

} // namespace

TrainingSound::TrainingSound(const TrainingSettings& settings)
    : settings_(settings), pinkSeed_(std::random_device{}())
{
}

TrainingSound::~TrainingSound()
{
    if (nextPinkNoise_.valid())
        nextPinkNoise_.wait();
}

void TrainingSound::SetPinkNoiseSeed(std::uint32_t seed)
{
    // Noise already rendered ahead came from the old seed.
    if (nextPinkNoise_.valid())
        nextPinkNoise_.get();
    pinkSeed_ = seed;
}

bool TrainingSound::StartTone(bool turnTone)
{
    // Remember how far the song got before this tone replaces the bed.
    if (toneBed_ && toneBed_ == lastMusic_)
        musicPosition_ = bedPosition_;
    toneSwells_ = turnTone && settings_.Anschwellen == 1;
    toneBed_ = nullptr;
    if (turnTone && settings_.Hintergrund == BedPinkNoise) {
        // Rendering 20 s of noise would hold up START by tens of milliseconds.
        toneBed_ = nextPinkNoise_.valid() ? nextPinkNoise_.get() : PinkNoiseBed(pinkSeed_++);
        nextPinkNoise_ = std::async(std::launch::async, PinkNoiseBed, pinkSeed_++);
        bedPosition_ = 0;
    } else if (turnTone && settings_.Hintergrund == BedMusic && music_.Bed() &&
               music_.BedPath() == settings_.Musik) {
        toneBed_ = music_.Bed();
        if (toneBed_ != lastMusic_)
            musicPosition_ = 0;
        lastMusic_ = toneBed_;
        bedPosition_ = musicPosition_;
    }
    envelope_.Restart();
    bedSamplesPlayed_ = 0;
    // The tone peaks at 16384; only a bed whose peaks reach past the other
    // half of the 16-bit range makes the mix turn down, for the whole tone.
    mixScale_ = toneBed_ ? std::min(1.0, 32767.0 / (ToneAmplitude + toneBed_->peak)) : 1.0;
    return toneSwells_ || toneBed_;
}

void TrainingSound::FillToneBlock(std::int16_t* block, ToneSynthesis& tone)
{
    envelope_.StartBlock();
    const bool swells = toneSwells_;
    const BedLoop* bed = toneBed_.get();
    const std::int16_t* bedSamples = bed ? bed->samples.data() : nullptr;
    const std::size_t bedLength = bed ? bed->samples.size() : 0;
    const double bedGain = bed ? bed->gain : 0.0;
    tone.RenderTone(block, [&](double sine) {
        double sample = ToneAmplitude * sine;
        if (swells)
            sample *= envelope_.NextGain();
        if (bedSamples) {
            double bedSample = bedGain * bedSamples[bedPosition_];
            if (bedSamplesPlayed_ < BedFadeInSamples) {
                const double x = (bedSamplesPlayed_ + 0.5) / BedFadeInSamples;
                bedSample *= 0.5 - 0.5 * std::cos(std::numbers::pi * x);
                ++bedSamplesPlayed_;
            }
            sample += bedSample;
            if (++bedPosition_ == bedLength)
                bedPosition_ = 0;
        }
        return static_cast<std::int16_t>(std::nearbyint(mixScale_ * sample));
    });
}
