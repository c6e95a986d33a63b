#include "model/TurnDraw.h"

#include "platform/Random.h"

#include <cmath>
#include <vector>

double BandLowerEdge(const BandArray& bands, int g)
{
    return static_cast<double>(std::sqrt(static_cast<long double>(bands[g - 1].Frequency) *
                                         static_cast<long double>(bands[g].Frequency)));
}

double BandUpperEdge(const BandArray& bands, int g)
{
    return static_cast<double>(std::sqrt(static_cast<long double>(bands[g].Frequency) *
                                         static_cast<long double>(bands[g + 1].Frequency)));
}

int WeightedBand(const BandWeights& weights, int firstBand, int lastBand, double u)
{
    auto usable = [](double w) { return std::isfinite(w) && w > 0 ? w : 0.0; };
    double total = 0;
    for (int b = firstBand; b <= lastBand; ++b)
        total += usable(weights[b]);
    if (!(total > 0) || !std::isfinite(total))
        return -1;
    const double target = u * total;
    double cumulative = 0;
    int last = -1;
    for (int b = firstBand; b <= lastBand; ++b) {
        const double w = usable(weights[b]);
        if (w == 0)
            continue;
        cumulative += w;
        last = b;
        if (target < cumulative)
            return b;
    }
    return last; // u * total rounded up to the total
}

TurnFrequency PickTurnFrequency(const GameState& state, RandomGenerator& random,
                                const BandWeights* weights, const BandMask* only)
{
    TurnFrequency drawn;
    const int first = state.LowCutBand + 1;
    const int last = state.HighCutBand;
    std::vector<int> allowed;
    if (only) {
        for (int b = first; b <= last; ++b)
            if ((*only)[b])
                allowed.push_back(b);
    }
    int g = -1;
    if (weights && allowed.empty()) {
        g = WeightedBand(WithShareFloor(*weights, first, last), first, last, random.Fraction());
    } else if (weights) {
        BandWeights masked{};
        for (int b : allowed)
            masked[b] = (*weights)[b];
        g = WeightedBand(WithShareFloor(masked, first, last, only), first, last, random.Fraction());
    }
    if (g < 0 && !allowed.empty())
        g = allowed[random.Below(int(allowed.size()))];
    if (g < 0)
        g = random.Below(state.HighCutBand - state.LowCutBand) + 1 + state.LowCutBand;
    drawn.band = g;

    const double lower = BandLowerEdge(state.BandTable, g);
    const double upper = BandUpperEdge(state.BandTable, g);
    const double part = static_cast<double>((static_cast<long double>(upper) - lower) / 100);
    const int k = random.Below(91) + 5;
    drawn.frequencyHz = static_cast<double>(lower + static_cast<long double>(k) * part);
    return drawn;
}
