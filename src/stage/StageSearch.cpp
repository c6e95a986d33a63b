#include "stage/StageSearch.h"

#include "stage/StageBands.h"

#include <algorithm>

namespace stage {

std::optional<FoundStage> StageSearch::Find(const FftwFunctions& fftw, std::uint32_t seed,
                                            const std::atomic<bool>* cancelled) const
{
    const int scenes = seedOnly ? 1 : ScenesTried;
    // A narrow cut range may have no scene whose six howls all fit: then the
    // first whose first howl does, and the stage ends early, as it used to.
    std::optional<FoundStage> fallback;
    for (int attempt = 0; attempt < scenes; ++attempt) {
        if (cancelled && cancelled->load())
            return std::nullopt;
        FoundStage found;
        found.scene = DrawScene(seed + std::uint32_t(attempt), withRoom);
        found.design = SceneDesign(found.scene);
        found.analysis = std::make_unique<LoopAnalysis>(found.design, fftw);
        LoopAnalysis& analysis = *found.analysis;
        // The grid's plan first: it rejects a scene for a fraction of what
        // placing the first pole costs.
        analysis.SetGainDb(-analysis.PeakGainDb());
        found.automatic = analysis.PlanRingOut(HowlsInPlay, AutoCutDb);
        const bool allInPlay =
            seedOnly || std::all_of(found.automatic.bands.begin(), found.automatic.bands.end(),
                                    [this](int band) { return InPlay(band); });
        if (!allInPlay && (fallback || !InPlay(found.automatic.bands.front())))
            continue;
        const std::optional<LoopPole> pole = analysis.ChooseGainDb();
        if (!pole || pole->GrowthDbPerSecond() <= 0)
            continue;
        if (!seedOnly && !InPlay(NearestBand(pole->FrequencyHz())))
            continue;
        found.firstHowl = *pole;
        if (allInPlay)
            return found;
        fallback = std::move(found);
    }
    return fallback;
}

} // namespace stage
