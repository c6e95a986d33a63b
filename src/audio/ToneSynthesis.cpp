#include "audio/ToneSynthesis.h"

#include "platform/Random.h"

#include <algorithm>
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

void PickTurnFrequency(GameState& state, RandomGenerator& random, const BandWeights* weights)
{
    // The menus keep 0 <= LowCutBand < HighCutBand <= 26. Only an edited
    // settings file breaks that; clamp so the band and both neighbours exist
    // and the range is never empty.
    const int lowCut = std::clamp(state.LowCutBand, 0, BandCount - 3);
    const int highCut = std::clamp(state.HighCutBand, lowCut + 1, BandCount - 2);

    int g = -1;
    if (weights)
        g = WeightedBand(*weights, lowCut + 1, highCut, random.Fraction());
    if (g < 0)
        g = random.Below(highCut - lowCut) + 1 + lowCut;
    state.RingingBand = g;

    const double lower = BandLowerEdge(state.BandTable, g);
    const double upper = BandUpperEdge(state.BandTable, g);
    const double part = static_cast<double>((static_cast<long double>(upper) - lower) / 100);
    const int k = random.Below(91) + 5;
    state.ToneFrequency = static_cast<double>(lower + static_cast<long double>(k) * part);
}

void ToneSynthesis::StartTone(double frequencyHz)
{
    TonePhase = 0.0;
    PhaseStep = static_cast<double>(TwoPi * frequencyHz / SampleRate);
}

void ToneSynthesis::FillToneBlock(std::int16_t* block)
{
    double phase = TonePhase;
    for (int i = 0; i < BlockSamples; ++i) {
        // Reduce before the sample; a phase of exactly 2 pi stays.
        if (phase > TwoPi)
            phase = static_cast<double>(phase - TwoPi);
        block[i] = static_cast<std::int16_t>(std::nearbyint(ToneAmplitude * std::sin(phase)));
        phase = static_cast<double>(static_cast<long double>(phase) + PhaseStep);
    }
    TonePhase = phase;
}
