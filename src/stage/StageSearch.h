#pragma once
// Finding the stage of a turn: the scenes of a seed and the ones after it,
// until one whose first howls, each cut right, all lie in the bands in play.
// The spread of the howls comes from the scenes alone: no band is chosen
// first and a scene fitted to it.

#include "stage/LoopAnalysis.h"
#include "stage/StageScene.h"

#include <atomic>
#include <memory>
#include <optional>

namespace stage {

struct FoundStage {
    StageScene scene;
    LoopDesign design;
    std::unique_ptr<LoopAnalysis> analysis; // G set for the first howl
    LoopPole firstHowl;
    RingOut automatic; // the automatic engineer's ring-out, cuts of AutoCutDb
};

struct StageSearch {
    static constexpr int HowlsInPlay = 6;
    static constexpr double AutoCutDb = -9.0;
    static constexpr int ScenesTried = 48;

    // Bands above lowCutBand up to highCutBand are in play.
    int lowCutBand = -1;
    int highCutBand = BandCount - 1;
    bool withRoom = true;
    // Only the seed's own scene, its howls wherever they fall.
    bool seedOnly = false;
    // How many howls of the ring-out to follow (each costs a few poles).
    int plannedHowls = HowlsInPlay;

    bool InPlay(int band) const { return band > lowCutBand && band <= highCutBand; }
    // Null when no scene fits, or once `cancelled` is set (looked at
    // between scenes). Thread: any.
    std::optional<FoundStage> Find(const FftwFunctions& fftw, std::uint32_t seed,
                                   const std::atomic<bool>* cancelled = nullptr) const;
};

} // namespace stage
