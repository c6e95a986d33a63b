#pragma once
// The tone output over the wave device: opens it, keeps two sample blocks
// cycling, stops and closes it, sets its volume and reports every failed
// device call in a message box. It is the device's notify target: each
// WaveDoneEvent runs OnBufferDone. It alone knows whether a tone plays
// (SoundIdle); it reads the game state and writes none of it.
// Thread: GUI only, all of it.

#include "audio/ToneSynthesis.h"
#include "platform/WaveOut.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <mutex>

class Dialogs;
class TrainingSound;
struct GameState;

// The device a SoundCardId plays on: an edited number beyond the list means
// the last device, a negative one the first, as the sound card dialog marks
// them. Without any device the number stays and the open reports it.
std::int32_t OutputDeviceFor(std::int32_t soundCardId, std::uint32_t deviceCount);

// What a tone is for. A turn's tone may be shaped by the training options
// and falls silent after the feedback time; the generator's and a replay's
// play plain until stopped.
enum class ToneKind { Turn, Plain };

// The device volume of the volume fader's level (-12..+12), both channels.
std::uint32_t DeviceVolume(std::int32_t masterVolume);

class ToneOutput : public QObject {
    Q_OBJECT

  public:
    // `wave` and `dialogs` must outlive this object.
    ToneOutput(const GameState& state, WaveOut& wave, Dialogs& dialogs, QObject* parent = nullptr);
    ~ToneOutput() override;

    // Opens device SoundCardId and sets it to MasterVolume; failures are
    // reported under "Open" and "Set Vol".
    void OpenWaveDevice();
    // Opens the device and renders the first second of `frequencyHz`. Call
    // while idle (after StopTone), then StartToneOutput.
    void PrepareTone(double frequencyHz, ToneKind kind);
    // Queues both blocks and starts playback; arms SoundStop for a turn's
    // tone when a feedback time is set.
    void StartToneOutput();
    // Resets and closes the device, then emits toneStopped; nothing at all
    // while idle.
    void StopTone();
    // Refills and requeues a block the device handed back, unless stopping.
    void OnBufferDone(WaveHeader* header);
    // Sends MasterVolume to the device while a tone runs; while idle the
    // next open sends it.
    void ApplyVolume();
    // Start-up: sends MasterVolume before any device is open.
    void ApplyStartUpVolume();
    // True when no tone output runs.
    bool SoundIdle() const { return soundIdle_; }
    // SoundStop interval from FeedbackTimeSetting 1..6; other values keep it.
    void ApplyFeedbackTime();
    // SoundStop ran out: pauses the device where it is. The turn, its clock
    // and the open device go on; the tone stays silent until StopTone.
    // Pausing rather than stopping keeps the tone "playing" for the game
    // until the find. Nothing resumes it; a failed pause is not reported.
    void SoundStopTimer();
    // Shows the device's text for a non-zero code, captioned `operation`, a
    // text marked with QT_TRANSLATE_NOOP("ToneOutput", ...).
    void ReportWaveError(WaveResult code, const char* operation);
    // For shutdown: stops a running tone, then releases the sample blocks.
    void Shutdown();
    // Lets `training` shape the tones of turns (swell, bed) from the next
    // tone on; null plays every tone plain. It must outlive this object.
    // Thread: GUI.
    void SetTrainingSound(TrainingSound* training) { training_ = training; }

    // The feedback-time timer (disabled, 1000 ms at start).
    QTimer& SoundStop() { return soundStop_; }
    WaveHandle CurrentWaveHandle() const { return waveHandle_; }
    WaveOut& Device() { return wave_; }
    const WaveHeader& WaveHeader1() const { return waveHeader1_; }
    const WaveHeader& WaveHeader2() const { return waveHeader2_; }
    const ToneSynthesis& Synthesis() const { return synthesis_; }

  signals:
    // A running tone output was stopped.
    void toneStopped();

  protected:
    bool event(QEvent* event) override;

  private:
    void SendVolume();
    // Queues one block: unprepare if still marked, prepare, with its captions.
    void PrepareHeader(WaveHeader& header, std::int16_t* block, const char* unprepareCaption,
                       const char* prepareCaption);

    // The next block of the running tone, plain or shaped. Thread: GUI.
    void FillBlock(std::int16_t* block);

    const GameState& state_;
    WaveOut& wave_;
    Dialogs& dialogs_;
    ToneSynthesis synthesis_;
    TrainingSound* training_ = nullptr;
    ToneKind kind_ = ToneKind::Plain;
    bool shaped_ = false; // this tone's blocks come from training_
    QTimer soundStop_;

    bool soundIdle_ = true;

    // Taken around reset, close and each refill. Recursive, because a refill
    // can run inside a message box shown while StopTone holds it. Everything
    // here runs on the GUI thread, so it only ever admits its own holder.
    std::recursive_timed_mutex waveMutex_;
    WaveHandle waveHandle_ = 0;
    WaveHeader waveHeader1_;
    WaveHeader waveHeader2_;
    std::unique_ptr<std::int16_t[]> sampleBlock1_;
    std::unique_ptr<std::int16_t[]> sampleBlock2_;
};
