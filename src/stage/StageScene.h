#pragma once
// A stage drawn from a seed as real stages are set up: one to three open
// microphones, each with its polar pattern, at a distance and an angle to one
// or two wedges, in a room. Every wedge, path and microphone is linear and
// time-invariant, so the whole way from the desk's output back to its input
// sums into the one impulse response the loop convolves with: a third
// microphone costs the audio thread nothing.

#include "stage/FeedbackLoop.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stage {

enum class PolarPattern { Omni, Cardioid, Supercardioid, Hypercardioid };

struct MicrophonePlacement {
    double distanceM = 1.0; // to the wedge
    double angleDeg = 180;  // 0: the wedge on the microphone's axis
};

struct SceneMicrophone {
    PolarPattern pattern = PolarPattern::Cardioid;
    std::vector<MicrophonePlacement> toWedges; // one per wedge
    double lowCutHz = 80;
    double presenceHz = 5000;
    double presenceDb = 4;
};

// A two-way wedge: the box's low cut and resonance, the dip at the
// crossover, the horn's peak and its roll-off.
struct SceneWedge {
    double lowCutHz = 80;
    double boxHz = 250, boxDb = 2;
    double crossoverHz = 1600, crossoverDb = -3;
    double hornHz = 3000, hornDb = 3, hornQ = 1;
    double highCutHz = 12000;
};

struct StageScene {
    std::uint32_t seed = 0;
    bool withRoom = true;
    std::vector<SceneMicrophone> microphones;
    std::vector<SceneWedge> wedges;
    double rt60Seconds = 0; // at mid frequencies; 0 without a room
    double roomVolumeM3 = 0;
    double firstGrowthDbPerSecond = 20;
    // After the k-th stopped howl (k from 1) the singer may turn: the first
    // microphone's new angle to the first wedge, its other wedges turned by
    // as much; negative while the singer stays.
    std::vector<double> singerTurnsDeg;
};

// The pattern's sensitivity at `angleDeg` off axis, relative to on axis; in
// the bass a pressure-gradient capsule is closer to omni. The nulls keep a
// finite depth, as real capsules do.
double PolarGain(PolarPattern pattern, double angleDeg, bool bass);
const char* PatternName(PolarPattern pattern);

StageScene DrawScene(std::uint32_t seed, bool withRoom);
LoopDesign SceneDesign(const StageScene& scene);
// Whether the singer turns after the `stops`-th stopped howl.
bool SingerTurnsAfter(const StageScene& scene, int stops);
// The scene as it stands after `stops` stopped howls, the singer's turns made.
StageScene SceneAfterStops(const StageScene& scene, int stops);
// The loop's design once the singer has turned after the `stops`-th stop;
// none when he stays then.
std::optional<LoopDesign> SingerTurnDesign(const StageScene& scene, int stops);
// "supercardioid,1.20,140": the pattern, and the distance and angle to the first wedge.
std::string PlacementText(const SceneMicrophone& microphone);
// "mics=2 mic1=supercardioid,1.20,140 mic2=cardioid,2.05,35 wedges=1 rt60=0.80":
// each microphone's pattern, distance and angle to the first wedge.
std::string SceneLine(const StageScene& scene);

} // namespace stage
