#pragma once
// Which band rings in a turn and the tone's exact frequency inside it: a rule
// of the game, drawn from the random source. Thread: GUI only.

#include "model/BandWeights.h"
#include "model/GameState.h"

class RandomGenerator;

// Geometric means with the neighbouring bands; g must be 1..BandCount-2.
double BandLowerEdge(const BandArray& bands, int g);
double BandUpperEdge(const BandArray& bands, int g);

// The band that rings in a turn and the tone's exact frequency inside it.
struct TurnFrequency {
    std::int32_t band = NoFader;
    double frequencyHz = 0.0;
};

// Draws the band (first) from LowCutBand + 1 .. HighCutBand, then the
// frequency (division point 5..95 of 100) from `random`. The settings reader
// and the menus keep the cut range where both neighbours of every band exist.
// Without `weights` every band is equally likely, from one Below() call; with
// them (the "Schwache Bänder üben" option) band b is drawn with its share of
// WithShareFloor (weights[b] / the sum over those bands, but at least half
// the uniform share) from one Fraction() call. With `only` (the "Lernpfad"
// option) the draw keeps to those of its bands that can ring, evenly from one
// Below() call or weighted among them; a mask with none of them is ignored.
// The frequency inside the band is drawn the same way in every case.
TurnFrequency PickTurnFrequency(const GameState& state, RandomGenerator& random,
                                const BandWeights* weights = nullptr,
                                const BandMask* only = nullptr);
// The band a weighted draw gives for the fraction u (0 <= u < 1): the first
// candidate whose cumulative weight exceeds u times the total. Weights that
// are not positive numbers count as 0; -1 when no candidate has weight.
int WeightedBand(const BandWeights& weights, int firstBand, int lastBand, double u);
