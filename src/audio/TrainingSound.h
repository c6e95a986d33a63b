#pragma once
// The training options of a turn's sound: the howl that swells instead of
// starting at full level, and a bed under it (pink noise or the player's
// music) at 20 dB below the tone's full RMS. ToneOutput asks at each tone
// whether this tone is shaped and, if so, lets this object fill its blocks.
// Only a turn's tone is shaped; the generator and the replay after a find
// stay pure sines. With both options off no tone is shaped at all.
// Thread: GUI only, all of it (the music's worker thread is the loader's own).

#include "audio/BedLoop.h"
#include "audio/MusicBedLoader.h"
#include "audio/SwellEnvelope.h"
#include "model/TrainingSettings.h"

#include <cstdint>
#include <future>
#include <memory>

class ToneSynthesis;

// The bed fades in over this time instead of starting with a click.
constexpr int BedFadeInSamples = SampleRate / 50;
// The pink noise of a turn is this long, then loops; long enough that nobody
// hears it repeat.
constexpr std::size_t PinkNoiseLoopSamples = std::size_t{20} * SampleRate;

class TrainingSound {
  public:
    // Reads "Anschwellen" and "Hintergrund" from `settings` at each turn's
    // start; `settings` must outlive this object.
    explicit TrainingSound(const TrainingSettings& settings);

    // Waits for the pink noise that is rendered ahead, if any.
    ~TrainingSound();

    // The seed of the next turn's pink noise; every turn takes the next one.
    // Thread: GUI.
    void SetPinkNoiseSeed(std::uint32_t seed);
    // Decoding of the music bed, on its own thread. Thread: GUI.
    MusicBedLoader& Music() { return music_; }

    // Called by ToneOutput when a tone starts. False: play the tone as it
    // is. True: the tone's blocks come from FillToneBlock. Pink noise is
    // rendered one turn ahead on a worker thread (only the first turn with
    // it waits for its own); the music of "Musik" is left out of a turn
    // that starts before it is decoded. Thread: GUI.
    bool StartTone(bool turnTone);
    // The next block of the shaped tone: the sine of `tone` (its phase
    // advances exactly as in a plain block) times the swell, plus the bed,
    // the sum scaled so that it never leaves 16 bits. Allocates nothing; runs
    // in the device's buffer-done handler. Thread: GUI.
    void FillToneBlock(std::int16_t* block, ToneSynthesis& tone);

  private:
    const TrainingSettings& settings_;
    std::uint32_t pinkSeed_;
    std::future<std::shared_ptr<const BedLoop>> nextPinkNoise_;
    MusicBedLoader music_;

    // The running tone.
    bool toneSwells_ = false;
    SwellEnvelope envelope_;
    std::shared_ptr<const BedLoop> toneBed_; // null: no bed this tone
    std::size_t bedPosition_ = 0;
    std::size_t bedSamplesPlayed_ = 0;
    double mixScale_ = 1.0;
    // Where the music left off, so the next turn goes on with the song.
    std::shared_ptr<const BedLoop> lastMusic_;
    std::size_t musicPosition_ = 0;
};
