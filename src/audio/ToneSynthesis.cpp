#include "audio/ToneSynthesis.h"

#include <cmath>

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
