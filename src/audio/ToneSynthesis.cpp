#include "audio/ToneSynthesis.h"

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

TurnFrequency PickTurnFrequency(const GameState& state, RandomGenerator& random)
{
    TurnFrequency drawn;
    const int g = random.Below(state.HighCutBand - state.LowCutBand) + 1 + state.LowCutBand;
    drawn.band = g;

    const double lower = BandLowerEdge(state.BandTable, g);
    const double upper = BandUpperEdge(state.BandTable, g);
    const double part = static_cast<double>((static_cast<long double>(upper) - lower) / 100);
    const int k = random.Below(91) + 5;
    drawn.frequencyHz = static_cast<double>(lower + static_cast<long double>(k) * part);
    return drawn;
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
