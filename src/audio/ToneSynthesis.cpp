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

void PickTurnFrequency(GameState& state, RandomGenerator& random)
{
    // The menus keep 0 <= LowCutBand < HighCutBand <= 26. Only an edited
    // settings file breaks that; clamp so the band and both neighbours exist
    // and the range is never empty.
    const int lowCut = std::clamp(state.LowCutBand, 0, BandCount - 3);
    const int highCut = std::clamp(state.HighCutBand, lowCut + 1, BandCount - 2);

    const int g = random.Below(highCut - lowCut) + 1 + lowCut;
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
    RenderTone(block, [](double sine) {
        return static_cast<std::int16_t>(std::nearbyint(ToneAmplitude * sine));
    });
}
