#include "stage/StageSearch.h"

#include "stage/StageBands.h"

#include <algorithm>

namespace stage {

namespace {

// As an engineer sets up for the bands in play: each microphone's high-pass
// at the lowest band left out, and each wedge rolled off above the highest.
// Where the stage then howls is still the scene's own physics.
void SetUpForBands(StageScene& scene, int lowCutBand, int highCutBand)
{
    const BandCentres& centresHz = StageBandCentresHz();
    if (lowCutBand >= 0)
        for (SceneMicrophone& microphone : scene.microphones)
            microphone.lowCutHz = std::max(microphone.lowCutHz, centresHz[lowCutBand]);
    if (highCutBand < BandCount - 1)
        for (SceneWedge& wedge : scene.wedges) {
            wedge.highCutHz = std::min(wedge.highCutHz, centresHz[highCutBand + 1]);
            wedge.hornHz = std::min(wedge.hornHz, centresHz[highCutBand]);
        }
}

} // namespace

std::optional<FoundStage> StageSearch::Find(const FftwFunctions& fftw, std::uint32_t seed,
                                            const std::atomic<bool>* cancelled) const
{
    const int scenes = seedOnly ? 1 : ScenesTried;
    // A narrow cut range may have no scene whose six howls all fit: then the
    // first whose first howl does, and the stage ends early, as it used to.
    std::optional<FoundStage> fallback;
    const auto allInPlay = [this](const RingOut& ringOut) {
        return ringOut.bands.size() == std::size_t(plannedHowls) &&
               std::all_of(ringOut.bands.begin(), ringOut.bands.end(),
                           [this](int band) { return InPlay(band); });
    };
    for (int attempt = 0; attempt < scenes; ++attempt) {
        if (cancelled && cancelled->load())
            return std::nullopt;
        FoundStage found;
        // Far apart in the seeds' space, so that neighbouring seeds do not
        // settle on the same scene.
        found.scene = DrawScene(seed + std::uint32_t(attempt) * 0x9E3779B9u, withRoom);
        if (!seedOnly)
            SetUpForBands(found.scene, lowCutBand, highCutBand);
        found.design = SceneDesign(found.scene);
        found.analysis = std::make_unique<LoopAnalysis>(found.design, fftw);
        LoopAnalysis& analysis = *found.analysis;
        // The grid's plan first: it rejects a scene for a fraction of what
        // following its poles costs.
        analysis.SetGainDb(-analysis.PeakGainDb());
        const RingOut screen = analysis.PlanRingOut(plannedHowls, AutoCutDb);
        if (!seedOnly && !allInPlay(screen) && fallback)
            continue;
        const PoleSurvey survey = analysis.ChooseGainDb();
        const std::optional<LoopPole>& pole = survey.dominant;
        if (!pole || pole->GrowthDbPerSecond() <= 0)
            continue;
        if (!seedOnly && !InPlay(NearestBand(pole->FrequencyHz())))
            continue;
        // Two howls at once from the start: the ear takes the louder, the
        // game the faster, and the player cannot tell which one is judged.
        if (!seedOnly && survey.rival)
            continue;
        found.firstHowl = *pole;
        found.automatic =
            analysis.FollowRingOut(*pole, plannedHowls, AutoCutDb, [&found](int stops) {
                return SingerTurnDesign(found.scene, stops);
            });
        if (seedOnly || allInPlay(found.automatic))
            return found;
        if (!fallback)
            fallback = std::move(found);
    }
    return fallback;
}

} // namespace stage
