#pragma once
// The EQ's band centres: the game's own band frequencies.

#include "stage/BandEq.h"

namespace stage {

const BandCentres& StageBandCentresHz();
// The band whose centre is nearest `frequencyHz` on a log scale.
int NearestBand(double frequencyHz);

} // namespace stage
