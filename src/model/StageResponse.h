#pragma once
// The loop gain of a finished stage turn over frequency, for the drawing an
// engineer would put on a whiteboard: before and after the player's cuts,
// the EQ alone and where it howled. Plain data, header only, so the plot
// module can take it without linking the game.

#include <vector>

struct StageResponse {
    std::vector<double> frequenciesHz; // 20 Hz to 20 kHz, evenly on a log scale
    std::vector<double> beforeDb;      // open loop gain, every fader at 0, the last G
    std::vector<double> afterDb;       // the same with the player's cuts
    std::vector<double> eqDb;          // the EQ alone
    std::vector<double> howlsHz;       // every howl of the turn, in order
};
