#include "stage/CutVerdict.h"

namespace stage {

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
    return band == howlBand ? CutVerdict::Right : CutVerdict::Missed;
}

LoopPole CarriedOn(const CutJudgement& judgement)
{
    const std::optional<LoopPole>& strongest = judgement.dominant;
    return strongest && strongest->GrowthDbPerSecond() > 0 ? *strongest : judgement.forecast.pole;
}

} // namespace stage
