#pragma once
// The stage loop's fixed format. No Qt in this layer's signal path.

#include <cmath>

namespace stage {

constexpr int SampleRateHz = 48000;
// 5 ms: a processing block never exceeds the shortest direct path (5 ms), so
// the room's answer to a block always comes from blocks already played.
constexpr int BlockFrames = 240;
constexpr int BandCount = 28;
constexpr int MinLevelDb = -12;
constexpr int MaxLevelDb = 12;
constexpr double LimitDbfs = -6.0;
// Every howl grows this fast, as an engineer meets it: the first by its
// scene's draw, later ones by how far the gain rises between them.
constexpr double SlowestHowlDbPerSecond = 10.0;
constexpr double FastestHowlDbPerSecond = 40.0;

inline double DbToAmplitude(double db)
{
    return std::pow(10.0, db / 20.0);
}

inline double AmplitudeToDb(double amplitude)
{
    return 20.0 * std::log10(amplitude);
}

} // namespace stage
