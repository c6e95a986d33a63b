#include "audio/FeedbackTiming.h"

#include "audio/ToneOutput.h"

#include <QTimer>

FeedbackTiming::FeedbackTiming(ToneOutput& tone, QObject* parent) : QObject(parent), tone_(tone)
{
    connect(&tone_.SoundStop(), &QTimer::timeout, this, &FeedbackTiming::SoundStopTimer);
}

void FeedbackTiming::SoundStopTimer()
{
    tone_.SoundStop().stop();
    if (tone_.SoundIdle())
        return;
    // Pausing rather than stopping keeps both blocks queued and the output
    // running, so the game still treats the turn's tone as playing until the find.
    tone_.Device().Pause(tone_.CurrentWaveHandle());
}
