#include "stage/CutVerdict.h"

#include <cmath>

namespace stage {

namespace {

// A growing pole this close continues the howl: the ear, like the game's
// meter (20 Hz wide), cannot tell the two apart. One further off is the next
// howl, and the one cut has died as heard.
constexpr double SameHowlHz = 10.0;

} // namespace

CutJudgement JudgeCut(LoopAnalysis& analysis, const LoopPole& howl, const BandLevels& levelsDb)
{
    CutJudgement judgement{analysis.Follow(howl, levelsDb), std::nullopt};
    if (judgement.forecast.growthDbPerSecond <= StopDecayDbPerSecond)
        judgement.dominant = analysis.DominantPole();
    return judgement;
}

CutVerdict VerdictOf(const CutJudgement& judgement, int band, int howlBand, LoopPole& howl)
{
    const double growthBefore = howl.GrowthDbPerSecond();
    const PoleForecast& forecast = judgement.forecast;
    howl = forecast.pole;
    if (forecast.growthDbPerSecond > StopDecayDbPerSecond)
        return forecast.growthDbPerSecond < growthBefore - 0.5 ? CutVerdict::Slowed
                                                               : CutVerdict::None;
    // The room's poles lie a few hertz apart: when the followed one dies but
    // a neighbour grows, the player still hears the same howl.
    if (const std::optional<LoopPole>& next = judgement.dominant;
        next && next->GrowthDbPerSecond() > 0 &&
        std::abs(next->FrequencyHz() - howl.FrequencyHz()) < SameHowlHz) {
        howl = *next;
        return CutVerdict::Slowed;
    }
    return band == howlBand ? CutVerdict::Right : CutVerdict::Missed;
}

} // namespace stage
