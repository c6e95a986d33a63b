#pragma once
// How a cut is judged while a howl grows, the same in the game and in the
// offline renderer: the model follows the howl's pole to the new levels, and
// the howl is stopped only when that pole dies at StopDecayDbPerSecond or
// faster and the howl's own level then falls by StopFallDb within
// StopWithinSeconds of the move, as the ear hears it die (a pole a few hertz
// away may carry it on). The find then belongs to the band whose move
// stopped it. Thread: whichever holds the analysis.

#include "stage/LoopAnalysis.h"

#include <optional>

namespace stage {

constexpr double StopDecayDbPerSecond = -20.0;
constexpr double StopFallDb = 20.0;
constexpr double StopWithinSeconds = 1.0;

enum class CutVerdict {
    None,   // the howl still rings (or nothing rang)
    Slowed, // it still rings, but grows slower or dies too slowly
    Right,  // the howl's pole dies, by a move of its own band
    Missed, // the howl's pole dies, by another band's move ("daneben")
};

// The howl followed to the new levels, and once it dies the strongest pole
// then: the next howl, or a neighbour that carries this one on.
struct CutJudgement {
    PoleForecast forecast;
    std::optional<LoopPole> dominant;
};

// Leaves `analysis` at `levelsDb`.
CutJudgement JudgeCut(LoopAnalysis& analysis, const LoopPole& howl, const BandLevels& levelsDb);

// The verdict on a move of `band` during the howl of `howlBand`; `howl`
// becomes the pole to follow from now on.
CutVerdict VerdictOf(const CutJudgement& judgement, int band, int howlBand, LoopPole& howl);

// When a howl whose pole died did not fall as heard: the pole that carries it
// on, the strongest one if it grows, else the one followed.
LoopPole CarriedOn(const CutJudgement& judgement);

} // namespace stage
