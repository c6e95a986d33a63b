#pragma once
// The room between the wedge and the microphone, synthesised from a seed: a
// direct path, a few early reflections and an exponentially decaying diffuse
// tail whose reverberation time depends on the octave band.

#include <array>
#include <cstdint>
#include <vector>

namespace stage {

struct RoomImpulse {
    static constexpr int OctaveCount = 9; // 63 Hz .. 16 kHz
    static constexpr double ShortestRt60Seconds = 0.4;
    static constexpr double LongestRt60Seconds = 1.2;

    // The direct path's delay, whole frames; taps[0] arrives then.
    int directDelayFrames = 0;
    std::vector<float> taps;
    // Zero without a room (direct path only).
    std::array<double, OctaveCount> rt60Seconds{};

    bool HasRoom() const { return taps.size() > 1; }
    double DirectDelayMs() const;
    // The octave bands' reverberation time interpolated on a log frequency
    // scale; 0 without a room.
    double Rt60Seconds(double frequencyHz) const;
};

double OctaveCentreHz(int octave);
// The same seed gives the same room on every run.
RoomImpulse SynthesiseRoom(std::uint32_t seed, bool withRoom);

} // namespace stage
