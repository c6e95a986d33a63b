#include "stage/StageBands.h"

#include "model/FaderModel.h"

#include <cmath>

namespace stage {

static_assert(BandCount == ::BandCount);

const BandCentres& StageBandCentresHz()
{
    static const BandCentres centres = [] {
        BandCentres c{};
        for (int band = 0; band < BandCount; ++band)
            c[band] = BandDefinitions[band].frequencyHz;
        return c;
    }();
    return centres;
}

int NearestBand(double frequencyHz)
{
    const BandCentres& centres = StageBandCentresHz();
    int nearest = 0;
    for (int band = 1; band < BandCount; ++band)
        if (std::abs(std::log(frequencyHz / centres[band])) <
            std::abs(std::log(frequencyHz / centres[nearest])))
            nearest = band;
    return nearest;
}

} // namespace stage
