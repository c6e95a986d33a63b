#include "audio/FeedbackTiming.h"

#include "audio/ToneOutput.h"
#include "model/GameState.h"

#include <QTimer>

FeedbackTiming::FeedbackTiming(GameState& state, ToneOutput& tone, QObject* parent)
    : QObject(parent), state_(state), tone_(tone)
{
    connect(&tone_.SoundStop(), &QTimer::timeout, this, &FeedbackTiming::SoundStopTimer);
}

void FeedbackTiming::SoundStopTimer()
{
    tone_.SoundStop().stop();
    if (state_.SoundIdle != 0)
        return;
    // Pausing rather than stopping keeps both blocks queued and SoundIdle at
    // 0, so the game still treats the turn's tone as running until the find.
    tone_.Device().Pause(tone_.CurrentWaveHandle());
}
