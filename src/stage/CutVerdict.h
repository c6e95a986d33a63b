#pragma once
// How a cut is judged while a howl grows, the same in the game and in the
// offline renderer: the model follows the howl's pole to the new levels, and
// the howl is stopped only when that pole dies at StopDecayDbPerSecond or
// faster (20 dB down within a second, as the ear hears it die) and no pole a
// few hertz away grows on, which the ear cannot tell from it. The find then
// belongs to the band whose move stopped it. Thread: whichever holds the
// analysis.

#include "stage/LoopAnalysis.h"

#include <optional>

namespace stage {

constexpr double StopDecayDbPerSecond = -20.0;

enum class CutVerdict {
    None,   // the howl still rings (or nothing rang)
    Slowed, // it still rings, but grows slower or dies too slowly
    Right,  // the howl's own band stopped it
    Missed, // another band's fader stopped it ("daneben")
};

// The howl followed to the new levels, and once it dies the strongest pole
// then, which may be its neighbour or the next howl.
struct CutJudgement {
    PoleForecast forecast;
    std::optional<LoopPole> dominant;
};

// Leaves `analysis` at `levelsDb`.
CutJudgement JudgeCut(LoopAnalysis& analysis, const LoopPole& howl, const BandLevels& levelsDb);

// The verdict on a move of `band` during the howl of `howlBand`; `howl`
// becomes the pole to follow from now on.
CutVerdict VerdictOf(const CutJudgement& judgement, int band, int howlBand, LoopPole& howl);

} // namespace stage
