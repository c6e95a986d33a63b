#include "model/LearningPath.h"

#include <algorithm>
#include <cmath>

namespace {

bool CanRing(int band, int lowCutBand, int highCutBand)
{
    return band > lowCutBand && band <= highCutBand;
}

} // namespace

std::vector<int> LearningPath::FreshPath(int lowCutBand, int highCutBand)
{
    const int inPlay = highCutBand - lowCutBand;
    std::vector<int> bands;
    for (int k = 0; k < FreshBands && inPlay > 0; ++k) {
        const int band = lowCutBand + 1 + int(std::lround(k * (inPlay - 1) / 3.0));
        // Fewer than four bands in play: each of them once.
        if (std::find(bands.begin(), bands.end(), band) == bands.end())
            bands.push_back(band);
    }
    return bands;
}

int LearningPath::WeakestNeighbour(const std::vector<int>& bands, const BandRates& firstTryRates,
                                   int lowCutBand, int highCutBand)
{
    const auto in = [&](int band) {
        return std::find(bands.begin(), bands.end(), band) != bands.end();
    };
    int weakest = NoFader;
    for (int band = lowCutBand + 1; band <= highCutBand; ++band) {
        if (in(band) || !(in(band - 1) || in(band + 1)))
            continue;
        // Ascending, so a tie keeps the lower band.
        if (weakest == NoFader || firstTryRates[band] < firstTryRates[weakest])
            weakest = band;
    }
    return weakest;
}

bool LearningPath::Contains(int band) const
{
    return std::find(bands_.begin(), bands_.end(), band) != bands_.end();
}

BandMask LearningPath::Mask() const
{
    BandMask mask{};
    for (int band : bands_)
        mask[band] = true;
    return mask;
}

bool LearningPath::Fit(int lowCutBand, int highCutBand)
{
    const std::vector<int> before = bands_;
    std::erase_if(bands_, [&](int band) { return !CanRing(band, lowCutBand, highCutBand); });
    for (int band : FreshPath(lowCutBand, highCutBand))
        if (bands_.size() < std::size_t(FreshBands) && !Contains(band))
            bands_.push_back(band);
    if (bands_ == before)
        return false;
    turns_ = firstTries_ = 0;
    return true;
}

LearningPath::Change LearningPath::Record(bool firstTry, const BandRates& firstTryRates,
                                          int lowCutBand, int highCutBand)
{
    ++turns_;
    if (firstTry)
        ++firstTries_;
    if (turns_ < RoundTurns)
        return Change::None;
    // In whole numbers: 17 of 20 is exactly 85 %.
    const bool grow = 100 * firstTries_ >= GrowPercent * turns_;
    const bool shrink = 100 * firstTries_ < ShrinkPercent * turns_;
    turns_ = firstTries_ = 0;
    if (grow) {
        const int next = WeakestNeighbour(bands_, firstTryRates, lowCutBand, highCutBand);
        if (next == NoFader)
            return Change::None;
        bands_.push_back(next);
        return Change::Added;
    }
    if (shrink && bands_.size() > std::size_t(FreshBands)) {
        bands_.pop_back();
        return Change::Removed;
    }
    return Change::None;
}

void LearningPath::Restore(const std::vector<int>& bands, int turnsCounted, int firstTries)
{
    bands_.clear();
    for (int band : bands)
        if (band >= 0 && band < BandCount && !Contains(band))
            bands_.push_back(band);
    const bool possible = turnsCounted >= 0 && turnsCounted < RoundTurns && firstTries >= 0 &&
                          firstTries <= turnsCounted;
    turns_ = possible ? turnsCounted : 0;
    firstTries_ = possible ? firstTries : 0;
}
