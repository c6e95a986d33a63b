#include "stage/StageScene.h"

#include "stage/SeededNumbers.h"
#include "stage/StageBands.h"
#include "stage/StageConstants.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <complex>
#include <numbers>

namespace stage {

namespace {

constexpr double SpeedOfSoundMPerS = 343.0;
// The desk's and the wedge amplifier's own latency: the loop is never shorter
// than a processing block, which the loop relies on.
constexpr double SystemLatencyMs = 2.0;
constexpr double WedgeDirectivity = 5.0; // Q of a horn-loaded wedge
constexpr int EarlyReflections = 4;
// A real capsule's null is some 25 dB deep, not infinite.
constexpr double NullFloor = 0.056;
constexpr double PolarShelfHz = 300.0;

// First-order patterns a + (1 - a) cos(angle); a supercardioid's null lies
// at about 127 degrees, a hypercardioid's at about 110.
double PatternOmniShare(PolarPattern pattern)
{
    switch (pattern) {
    case PolarPattern::Omni:
        return 1.0;
    case PolarPattern::Cardioid:
        return 0.5;
    case PolarPattern::Supercardioid:
        return 0.375;
    case PolarPattern::Hypercardioid:
        return 0.25;
    }
    return 1.0;
}

// The energy a pattern takes from a diffuse field, relative to omni (its
// random-energy efficiency): 1/3 for a cardioid.
double DiffuseEfficiency(PolarPattern pattern)
{
    const double a = PatternOmniShare(pattern);
    return a * a + (1 - a) * (1 - a) / 3.0;
}

PolarPattern DrawPattern(SeededNumbers& numbers)
{
    const double u = numbers.Uniform();
    if (u < 0.15)
        return PolarPattern::Omni;
    if (u < 0.5)
        return PolarPattern::Cardioid;
    if (u < 0.8)
        return PolarPattern::Supercardioid;
    return PolarPattern::Hypercardioid;
}

SceneWedge DrawWedge(SeededNumbers& numbers)
{
    SceneWedge wedge;
    wedge.lowCutHz = numbers.LogBetween(55, 120);
    wedge.boxHz = numbers.LogBetween(150, 1000);
    wedge.boxDb = numbers.Between(0, 9);
    wedge.crossoverHz = numbers.LogBetween(1200, 2500);
    wedge.crossoverDb = numbers.Between(-5, -1);
    wedge.hornHz = numbers.LogBetween(1500, 9000);
    wedge.hornDb = numbers.Between(0, 5);
    wedge.hornQ = numbers.Between(0.7, 1.8);
    wedge.highCutHz = numbers.LogBetween(9000, 16000);
    return wedge;
}

std::vector<BiquadCoefficients> WedgeSections(const SceneWedge& wedge)
{
    return {HighPassSection(wedge.lowCutHz, 0.8), PeakingSection(wedge.boxHz, 1.0, wedge.boxDb),
            PeakingSection(wedge.crossoverHz, 2.0, wedge.crossoverDb),
            PeakingSection(wedge.hornHz, wedge.hornQ, wedge.hornDb),
            LowPassSection(wedge.highCutHz, 0.7)};
}

std::vector<BiquadCoefficients> MicrophoneSections(const SceneMicrophone& microphone)
{
    return {HighPassSection(microphone.lowCutHz, 0.7),
            PeakingSection(microphone.presenceHz, 1.2, microphone.presenceDb),
            LowPassSection(16000, 0.7)};
}

int PathDelayFrames(double distanceM)
{
    const double seconds = distanceM / SpeedOfSoundMPerS + SystemLatencyMs / 1000.0;
    return std::max(BlockFrames, int(std::lround(seconds * SampleRateHz)));
}

void Filter(std::vector<float>& samples, const std::vector<BiquadCoefficients>& sections)
{
    BiquadChain chain(sections);
    chain.Process(samples.data(), int(samples.size()));
}

// Axial modes below the Schroeder frequency of a shoebox of this volume.
std::vector<double> RoomModesHz(double volumeM3, double rt60Seconds, SeededNumbers& numbers)
{
    const double schroederHz = 2000.0 * std::sqrt(rt60Seconds / volumeM3);
    const double height = numbers.Between(3.0, 6.0);
    const double depth = std::sqrt(volumeM3 / height / numbers.Between(1.2, 1.8));
    const double width = volumeM3 / height / depth;
    std::vector<double> modesHz;
    for (double lengthM : {width, depth, height})
        for (int order = 1; order < 12; ++order) {
            const double hz = SpeedOfSoundMPerS * order / (2 * lengthM);
            if (hz >= 35.0 && hz <= schroederHz)
                modesHz.push_back(hz);
        }
    return modesHz;
}

// The way from one wedge into one microphone: the direct sound with the
// pattern's response at its angle, a few reflections from other angles, the
// room's modes and its diffuse tail, each heard through the pattern. Frames
// count from `firstFrame`, the shortest direct path.
void AddPath(std::vector<float>& taps, const StageScene& scene, const SceneMicrophone& microphone,
             const MicrophonePlacement& placement, const SceneWedge& wedge, int firstFrame,
             const std::array<double, RoomImpulse::OctaveCount>& rt60,
             const std::vector<double>& modesHz, SeededNumbers& numbers)
{
    const int start = PathDelayFrames(placement.distanceM) - firstFrame;
    const int tailFrames = scene.withRoom ? DiffuseTailFrames(rt60) : 0;
    std::vector<float> path(std::size_t(start + SampleRateHz / 20 + tailFrames), 0.0f);

    // The direct sound: 1/r, and the pattern's bass widening as a shelf.
    {
        const double mid = PolarGain(microphone.pattern, placement.angleDeg, false);
        const double bass = PolarGain(microphone.pattern, placement.angleDeg, true);
        std::vector<float> direct(SampleRateHz / 20, 0.0f);
        direct[0] = float(mid / placement.distanceM);
        Filter(direct, {LowShelfSection(PolarShelfHz, AmplitudeToDb(bass / mid))});
        for (std::size_t n = 0; n < direct.size(); ++n)
            path[start + n] += direct[n];
    }
    if (scene.withRoom) {
        int lastReflection = 0;
        for (int i = 0; i < EarlyReflections; ++i) {
            const int extra = int(numbers.Between(1.0, 15.0) * SampleRateHz / 1000);
            const double pathM = placement.distanceM + SpeedOfSoundMPerS * extra / SampleRateHz;
            const double gain = numbers.Between(0.5, 0.8) / pathM *
                                PolarGain(microphone.pattern, numbers.Between(0, 180), false);
            path[start + extra] += float(gain);
            lastReflection = std::max(lastReflection, extra);
        }
        const double criticalDistanceM =
            0.057 * std::sqrt(WedgeDirectivity * scene.roomVolumeM3 / scene.rt60Seconds);
        const double diffuseLevel =
            std::sqrt(DiffuseEfficiency(microphone.pattern)) / criticalDistanceM;
        AddDiffuseTail(path, rt60, numbers, start + lastReflection / 2, diffuseLevel);
        // Each mode as a decaying sine of the bass's decay; its strength at
        // this microphone depends on where it stands in the mode's pattern.
        const double bassDecay = 60.0 / 20.0 * std::numbers::ln10 / (rt60[0] * SampleRateHz);
        for (double hz : modesHz) {
            // Its peak stands some 8 dB over the diffuse field's mean, as
            // a small hall's modes do; A / (2 decay) is a decaying sine's peak.
            const double amplitude =
                5.0 * bassDecay * diffuseLevel * std::cos(numbers.Between(0, 3.1416));
            const double phase = numbers.Between(0, 2 * std::numbers::pi);
            const double omega = 2 * std::numbers::pi * hz / SampleRateHz;
            // A rotating phasor: one complex product per sample, not a sine.
            std::complex<double> phasor = std::polar(amplitude, phase);
            const std::complex<double> step = std::polar(std::exp(-bassDecay), omega);
            for (std::size_t n = std::size_t(start); n < path.size(); ++n) {
                path[n] += float(phasor.imag());
                phasor *= step;
            }
        }
    }
    Filter(path, MicrophoneSections(microphone));
    Filter(path, WedgeSections(wedge));
    if (taps.size() < path.size())
        taps.resize(path.size(), 0.0f);
    for (std::size_t n = 0; n < path.size(); ++n)
        taps[n] += path[n];
}

std::string Fixed(double value, int decimals)
{
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, decimals);
    return std::string(text.data(), result.ptr);
}

// The singer turns after about every second stop.
constexpr int SingerTurnsPlanned = 5;
constexpr double SingerTurnShare = 0.5;

} // namespace

double PolarGain(PolarPattern pattern, double angleDeg, bool bass)
{
    double a = PatternOmniShare(pattern);
    if (bass)
        a += (1 - a) * 0.3;
    const double gain = std::abs(a + (1 - a) * std::cos(angleDeg * std::numbers::pi / 180.0));
    return std::max(gain, NullFloor);
}

const char* PatternName(PolarPattern pattern)
{
    switch (pattern) {
    case PolarPattern::Omni:
        return "omni";
    case PolarPattern::Cardioid:
        return "cardioid";
    case PolarPattern::Supercardioid:
        return "supercardioid";
    case PolarPattern::Hypercardioid:
        return "hypercardioid";
    }
    return "omni";
}

StageScene DrawScene(std::uint32_t seed, bool withRoom)
{
    SeededNumbers numbers(seed);
    StageScene scene;
    scene.seed = seed;
    scene.withRoom = withRoom;
    const double u = numbers.Uniform();
    const int microphones = u < 0.45 ? 1 : u < 0.8 ? 2 : 3;
    const int wedges = numbers.Uniform() < 0.6 ? 1 : 2;
    for (int w = 0; w < wedges; ++w)
        scene.wedges.push_back(DrawWedge(numbers));
    for (int m = 0; m < microphones; ++m) {
        SceneMicrophone microphone;
        microphone.pattern = DrawPattern(numbers);
        microphone.lowCutHz = numbers.LogBetween(60, 150);
        microphone.presenceHz = numbers.LogBetween(2000, 10000);
        microphone.presenceDb = numbers.Between(0, 5);
        for (int w = 0; w < wedges; ++w)
            microphone.toWedges.push_back(
                {numbers.LogBetween(0.8, 3.0), numbers.Between(0.0, 180.0)});
        scene.microphones.push_back(microphone);
    }
    scene.firstGrowthDbPerSecond = numbers.LogBetween(10.0, 40.0);
    // Drawn even without a room, so a seed's stage is the same but for it.
    const double rt60 = numbers.Between(0.4, 1.5);
    const double volumeM3 = numbers.LogBetween(150, 2000);
    if (withRoom) {
        scene.rt60Seconds = rt60;
        scene.roomVolumeM3 = volumeM3;
    }
    // From a stream of their own, so the stage up to the first stop is the
    // one it was before singers moved.
    SeededNumbers turns(seed ^ 0x5BD1E995u);
    for (int stop = 1; stop < SingerTurnsPlanned + 1; ++stop)
        scene.singerTurnsDeg.push_back(turns.Uniform() < SingerTurnShare ? turns.Between(0, 180)
                                                                         : -1.0);
    return scene;
}

LoopDesign SceneDesign(const StageScene& scene)
{
    // The room's own draws come from a stream of their own, so a scene
    // changed by hand (a test's) keeps its room.
    SeededNumbers numbers(scene.seed * 2654435761u + 12345u);
    LoopDesign design;
    design.bandCentresHz = StageBandCentresHz();
    design.firstGrowthDbPerSecond = scene.firstGrowthDbPerSecond;
    int firstFrame = SampleRateHz;
    for (const SceneMicrophone& microphone : scene.microphones)
        for (const MicrophonePlacement& placement : microphone.toWedges)
            firstFrame = std::min(firstFrame, PathDelayFrames(placement.distanceM));
    design.room.directDelayFrames = firstFrame;
    std::vector<double> modesHz;
    if (scene.withRoom) {
        design.room.rt60Seconds = DrawRt60(numbers, scene.rt60Seconds);
        modesHz = RoomModesHz(scene.roomVolumeM3, scene.rt60Seconds, numbers);
    }
    for (const SceneMicrophone& microphone : scene.microphones)
        for (std::size_t w = 0; w < scene.wedges.size(); ++w)
            AddPath(design.room.taps, scene, microphone, microphone.toWedges[w], scene.wedges[w],
                    firstFrame, design.room.rt60Seconds, modesHz, numbers);
    return design;
}

bool SingerTurnsAfter(const StageScene& scene, int stops)
{
    return stops >= 1 && stops <= int(scene.singerTurnsDeg.size()) &&
           scene.singerTurnsDeg[std::size_t(stops - 1)] >= 0;
}

StageScene SceneAfterStops(const StageScene& scene, int stops)
{
    StageScene moved = scene;
    if (moved.microphones.empty())
        return moved;
    std::vector<MicrophonePlacement>& toWedges = moved.microphones[0].toWedges;
    for (int stop = 1; stop <= stops; ++stop) {
        if (!SingerTurnsAfter(scene, stop))
            continue;
        const double turnDeg = scene.singerTurnsDeg[std::size_t(stop - 1)] - toWedges[0].angleDeg;
        // An angle off the axis is the same to either side.
        for (MicrophonePlacement& placement : toWedges)
            placement.angleDeg = std::abs(std::remainder(placement.angleDeg + turnDeg, 360.0));
    }
    return moved;
}

std::optional<LoopDesign> SingerTurnDesign(const StageScene& scene, int stops)
{
    if (!SingerTurnsAfter(scene, stops))
        return std::nullopt;
    return SceneDesign(SceneAfterStops(scene, stops));
}

std::string PlacementText(const SceneMicrophone& microphone)
{
    return std::string(PatternName(microphone.pattern)) + "," +
           Fixed(microphone.toWedges[0].distanceM, 2) + "," +
           Fixed(microphone.toWedges[0].angleDeg, 0);
}

std::string SceneLine(const StageScene& scene)
{
    std::string line = "scene mics=" + std::to_string(scene.microphones.size());
    for (std::size_t m = 0; m < scene.microphones.size(); ++m)
        line += " mic" + std::to_string(m + 1) + "=" + PlacementText(scene.microphones[m]);
    line +=
        " wedges=" + std::to_string(scene.wedges.size()) + " rt60=" + Fixed(scene.rt60Seconds, 2);
    return line;
}

} // namespace stage
