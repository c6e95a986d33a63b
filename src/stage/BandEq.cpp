#include "stage/BandEq.h"

namespace stage {

namespace {

std::vector<BiquadCoefficients> FlatSections(const BandCentres& centresHz)
{
    std::vector<BiquadCoefficients> sections;
    for (double centreHz : centresHz)
        sections.push_back(BandSection(centreHz, 0.0));
    return sections;
}

} // namespace

BiquadCoefficients BandSection(double centreHz, double levelDb)
{
    return PeakingSection(centreHz, ThirdOctaveQ, levelDb);
}

BandEq::BandEq(const BandCentres& centresHz)
    : centresHz_(centresHz), chain_(FlatSections(centresHz))
{
}

void BandEq::SetLevels(const BandLevels& levelsDb)
{
    for (int band = 0; band < BandCount; ++band) {
        if (levelsDb[band] == levelsDb_[band])
            continue;
        levelsDb_[band] = levelsDb[band];
        chain_.SetSection(band, BandSection(centresHz_[band], levelsDb[band]));
    }
}

} // namespace stage
