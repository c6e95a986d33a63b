#pragma once
// The tone output over the wave device: opens it, keeps two sample blocks
// cycling, stops and closes it, sets its volume and reports every failed
// device call in a message box. It is the device's notify target: each
// WaveDoneEvent runs OnBufferDone. Thread: GUI only, all of it.

#include "audio/ToneSynthesis.h"
#include "platform/WaveOut.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <mutex>

class Dialogs;
struct GameState;

class ToneOutput : public QObject {
    Q_OBJECT

  public:
    // `wave` and `dialogs` must outlive this object.
    ToneOutput(GameState& state, WaveOut& wave, Dialogs& dialogs, QObject* parent = nullptr);
    ~ToneOutput() override;

    // Opens device SoundCardId; failures are reported under "Open".
    void OpenWaveDevice();
    // Opens the device and renders the first second of `frequencyHz`. Call
    // with SoundIdle = 1 (after StopTone), then StartToneOutput.
    void PrepareTone(double frequencyHz);
    // Queues both blocks and starts playback; arms SoundStop in a timed turn.
    void StartToneOutput();
    // Resets and closes the device; nothing at all when SoundIdle is 1.
    void StopTone();
    // Refills and requeues a block the device handed back, unless stopping.
    void OnBufferDone(WaveHeader* header);
    // Clamps MasterVolume and, while a tone runs (or before the first one,
    // SoundIdle still 0), sends it to the device.
    void ApplyVolume();
    // Start-up, once the device list is known: sends MasterVolume (clamped)
    // to the device before anything has been opened, whatever SoundIdle says
    // by then.
    void ApplyStartupVolume();
    // SoundStop interval from FeedbackTimeSetting 1..6; other values keep it.
    void ApplyFeedbackTime();
    // Shows the device's text for a non-zero code, captioned `operation`.
    void ReportWaveError(WaveResult code, const QString& operation);
    // For shutdown: stops a running tone, then releases the sample blocks.
    void Shutdown();

    // The feedback-time timer (disabled, 1000 ms at start). Its timeout is
    // handled by the owner of the feedback timing.
    QTimer& SoundStop() { return soundStop_; }
    WaveHandle CurrentWaveHandle() const { return waveHandle_; }
    WaveOut& Device() { return wave_; }
    const WaveHeader& WaveHeader1() const { return waveHeader1_; }
    const WaveHeader& WaveHeader2() const { return waveHeader2_; }
    const ToneSynthesis& Synthesis() const { return synthesis_; }

  protected:
    bool event(QEvent* event) override;

  private:
    void ClampVolume();
    void SendVolume();
    // Queues one block: unprepare if still marked, prepare, with its captions.
    void PrepareHeader(WaveHeader& header, std::int16_t* block, const char* unprepareCaption,
                       const char* prepareCaption);

    GameState& state_;
    WaveOut& wave_;
    Dialogs& dialogs_;
    ToneSynthesis synthesis_;
    QTimer soundStop_;

    // Taken around reset, close and each refill. Recursive, because a refill
    // can run inside a message box shown while StopTone holds it.
    std::recursive_timed_mutex waveMutex_;
    WaveHandle waveHandle_ = 0;
    WaveHeader waveHeader1_;
    WaveHeader waveHeader2_;
    std::unique_ptr<std::int16_t[]> sampleBlock1_;
    std::unique_ptr<std::int16_t[]> sampleBlock2_;
};
