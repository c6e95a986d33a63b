#include "model/TurnDraw.h"

#include "platform/Random.h"

#include <cmath>

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
                                const BandWeights* weights)
{
    TurnFrequency drawn;
    int g = -1;
    if (weights) {
        const int first = state.LowCutBand + 1;
        g = WeightedBand(WithShareFloor(*weights, first, state.HighCutBand), first,
                         state.HighCutBand, random.Fraction());
    }
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
