#pragma once
// Relative weights of the 28 bands for drawing the ringing band: a band with
// twice the weight of another rings twice as often. Filled by the training
// journal from the player's weak bands; read by the band draw.

#include "model/BandSlot.h"

#include <array>

using BandWeights = std::array<double, BandCount>;
