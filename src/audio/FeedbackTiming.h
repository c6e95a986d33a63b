#pragma once
// The end of a timed turn's tone: when SoundStop runs out, the device is
// paused where it is. The turn, its clock and the open device go on; the
// tone stays silent until StopTone ends the turn. Thread: GUI only.

#include <QObject>

class ToneOutput;

class FeedbackTiming : public QObject {
    Q_OBJECT

  public:
    // Handles the timeout of `tone`'s SoundStop timer; `tone` must outlive
    // this object.
    explicit FeedbackTiming(ToneOutput& tone, QObject* parent = nullptr);

    // One-shot: disables SoundStop and, while a tone runs, pauses the device.
    // Nothing resumes it; a failed pause is not reported. Thread: GUI only.
    void SoundStopTimer();

  private:
    ToneOutput& tone_;
};
