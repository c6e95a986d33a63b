#pragma once
// The room between the wedges and the microphones as one impulse response
// (built by StageScene): direct paths, early reflections, modes and an
// exponentially decaying diffuse tail whose reverberation time depends on
// the octave band.

#include <array>
#include <cstdint>
#include <vector>

namespace stage {

struct RoomImpulse {
    static constexpr int OctaveCount = 9; // 63 Hz .. 16 kHz
    static constexpr double ShortestRt60Seconds = 0.4;
    static constexpr double LongestRt60Seconds = 1.5;

    // The direct path's delay, whole frames; taps[0] arrives then.
    int directDelayFrames = 0;
    std::vector<float> taps;
    // Zero without a room (direct path only).
    std::array<double, OctaveCount> rt60Seconds{};

    bool HasRoom() const { return rt60Seconds[0] > 0; }
    double DirectDelayMs() const;
    // The octave bands' reverberation time interpolated on a log frequency
    // scale; 0 without a room.
    double Rt60Seconds(double frequencyHz) const;
};

class SeededNumbers;

double OctaveCentreHz(int octave);
// Per-octave reverberation times around `midSeconds`, longer in the bass.
std::array<double, RoomImpulse::OctaveCount> DrawRt60(SeededNumbers& numbers, double midSeconds);
int DiffuseTailFrames(const std::array<double, RoomImpulse::OctaveCount>& rt60Seconds);
// Adds a diffuse tail from `startFrame` on whose energy equals that of a
// direct sound of amplitude `level`; its own noise, so each call is
// uncorrelated with the others.
void AddDiffuseTail(std::vector<float>& taps,
                    const std::array<double, RoomImpulse::OctaveCount>& rt60Seconds,
                    SeededNumbers& numbers, int startFrame, double level);

} // namespace stage
