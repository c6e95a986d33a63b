#pragma once
// Relative weights of the 28 bands for drawing the ringing band: a band with
// twice the weight of another rings twice as often. Filled by the training
// journal from the player's weak bands; read by the band draw.

#include "model/BandSlot.h"

#include <array>
#include <cmath>

using BandWeights = std::array<double, BandCount>;
// Which bands may ring; the "Lernpfad" option narrows the draw to its bands.
using BandMask = std::array<bool, BandCount>;

// The weights of firstBand..lastBand as shares of one, each raised to at
// least half the share it would have in a uniform draw and the others scaled
// down to make up for it: a band the player finds easily still comes up now
// and then. Weights that are not positive numbers count as 0; bands outside
// the range, or outside `only` when given, get 0. Unchanged when no band in
// range has weight.
inline BandWeights WithShareFloor(const BandWeights& weights, int firstBand, int lastBand,
                                  const BandMask* only = nullptr)
{
    auto usable = [](double w) { return std::isfinite(w) && w > 0 ? w : 0.0; };
    int bands = 0;
    std::array<bool, BandCount> raised{};
    for (int b = firstBand; b <= lastBand; ++b) {
        // A band left out counts as raised already, with no share of its own.
        raised[b] = only && !(*only)[b];
        bands += raised[b] ? 0 : 1;
    }
    if (bands <= 0)
        return weights;
    const double floorShare = 0.5 / bands;
    int raisedCount = 0;
    BandWeights shares{};
    // Raising one band can push another under the floor; the heaviest band
    // never goes under it, so this ends after at most `bands` passes.
    for (bool again = true; again;) {
        again = false;
        double free = 0;
        for (int b = firstBand; b <= lastBand; ++b)
            free += raised[b] ? 0.0 : usable(weights[b]);
        if (!(free > 0) || !std::isfinite(free))
            return weights;
        const double left = 1.0 - raisedCount * floorShare;
        for (int b = firstBand; b <= lastBand; ++b) {
            if (raised[b])
                continue;
            shares[b] = left * usable(weights[b]) / free;
            if (shares[b] < floorShare) {
                shares[b] = floorShare;
                raised[b] = true;
                ++raisedCount;
                again = true;
            }
        }
    }
    return shares;
}
