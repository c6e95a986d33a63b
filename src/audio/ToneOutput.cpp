#include "audio/ToneOutput.h"

#include "audio/TrainingSound.h"
#include "model/GameState.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace {

constexpr auto WaveMutexWait = std::chrono::milliseconds(1000);

// Waits at most a second and then goes on regardless, as the device calls
// must be made even if something kept the mutex.
class WaveMutexLock {
  public:
    explicit WaveMutexLock(std::recursive_timed_mutex& mutex)
        : mutex_(mutex), owned_(mutex.try_lock_for(WaveMutexWait))
    {
    }
    ~WaveMutexLock()
    {
        if (owned_)
            mutex_.unlock();
    }
    WaveMutexLock(const WaveMutexLock&) = delete;
    WaveMutexLock& operator=(const WaveMutexLock&) = delete;

  private:
    std::recursive_timed_mutex& mutex_;
    bool owned_;
};

// Delivers the block notices the device has posted, and nothing else: a
// click (or a timer) waiting behind them must not start or stop a tone in the
// middle of this start or stop. It runs right after, in its turn.
void DispatchWaitingMessages()
{
    QCoreApplication::sendPostedEvents(nullptr, WaveDoneEvent::eventType());
}

} // namespace

std::int32_t OutputDeviceFor(std::int32_t soundCardId, std::uint32_t deviceCount)
{
    if (deviceCount == 0)
        return soundCardId;
    const auto last = static_cast<std::int32_t>(
        std::min<std::uint32_t>(deviceCount - 1, std::numeric_limits<std::int32_t>::max()));
    return std::clamp(soundCardId, 0, last);
}

ToneOutput::ToneOutput(const GameState& state, WaveOut& wave, Dialogs& dialogs, QObject* parent)
    : QObject(parent), state_(state), wave_(wave), dialogs_(dialogs)
{
    soundStop_.setInterval(1000);
    connect(&soundStop_, &QTimer::timeout, this, &ToneOutput::SoundStopTimer);
}

ToneOutput::~ToneOutput()
{
    // Last resort if the owner skipped Shutdown: the device must not keep
    // blocks that are about to be freed. No boxes, no event dispatch here.
    if (!soundIdle_ && sampleBlock1_) {
        soundIdle_ = true;
        wave_.Reset(waveHandle_);
        wave_.Close(waveHandle_);
    }
}

void ToneOutput::OpenWaveDevice()
{
    const WaveFormat format{WaveFormatPcm, 1, SampleRate, SampleRate * 2, 2, 16};
    const std::int32_t device = OutputDeviceFor(state_.SoundCardId, wave_.DeviceCount());
    const WaveResult opened = wave_.Open(waveHandle_, device, format, this);
    ReportWaveError(opened, QT_TRANSLATE_NOOP("ToneOutput", "Open"));
    // Every tone starts at the volume the fader shows: the device would keep
    // whatever it was last given, and the fader may have moved since. A
    // failed open has nothing to set.
    if (opened == WaveNoError)
        SendVolume();
    DispatchWaitingMessages();
}

void ToneOutput::PrepareTone(double frequencyHz, ToneKind kind)
{
    OpenWaveDevice();
    synthesis_.StartTone(frequencyHz);
    kind_ = kind;
    shaped_ = training_ && training_->StartTone(kind == ToneKind::Turn);
    // The blocks are allocated once and reused: freeing them here could pull
    // memory from under a device that failed to hand them back.
    if (!sampleBlock1_)
        sampleBlock1_ = std::make_unique<std::int16_t[]>(BlockSamples);
    if (!sampleBlock2_)
        sampleBlock2_ = std::make_unique<std::int16_t[]>(BlockSamples);
    FillBlock(sampleBlock1_.get());
    FillBlock(sampleBlock2_.get());
}

void ToneOutput::FillBlock(std::int16_t* block)
{
    if (shaped_)
        training_->FillToneBlock(block, synthesis_);
    else
        synthesis_.FillToneBlock(block);
}

void ToneOutput::PrepareHeader(WaveHeader& header, std::int16_t* block,
                               const char* unprepareCaption, const char* prepareCaption)
{
    if (header.flags != 0)
        ReportWaveError(wave_.Unprepare(waveHandle_, header), unprepareCaption);
    header.flags = 0;
    header.bufferLength = BlockBytes;
    header.data = reinterpret_cast<char*>(block);
    ReportWaveError(wave_.Prepare(waveHandle_, header), prepareCaption);
}

void ToneOutput::StartToneOutput()
{
    // Without PrepareTone there is nothing to play; the game never does this.
    if (!sampleBlock1_ || !sampleBlock2_)
        return;
    ApplyFeedbackTime();
    soundIdle_ = true;
    PrepareHeader(waveHeader1_, sampleBlock1_.get(), QT_TRANSLATE_NOOP("ToneOutput", "Unprepare 1"),
                  QT_TRANSLATE_NOOP("ToneOutput", "Prepare 1"));
    PrepareHeader(waveHeader2_, sampleBlock2_.get(), QT_TRANSLATE_NOOP("ToneOutput", "Unprepare 2"),
                  QT_TRANSLATE_NOOP("ToneOutput", "Prepare 2"));
    // Both blocks go in while paused, so playback starts with a full queue.
    ReportWaveError(wave_.Pause(waveHandle_), QT_TRANSLATE_NOOP("ToneOutput", "Pause"));
    ReportWaveError(wave_.Write(waveHandle_, waveHeader1_),
                    QT_TRANSLATE_NOOP("ToneOutput", "Write 1"));
    ReportWaveError(wave_.Write(waveHandle_, waveHeader2_),
                    QT_TRANSLATE_NOOP("ToneOutput", "Write 2"));
    soundIdle_ = false;
    ReportWaveError(wave_.Restart(waveHandle_), QT_TRANSLATE_NOOP("ToneOutput", "Restart"));
    if (state_.FeedbackTimeSetting > 0 && kind_ == ToneKind::Turn && !soundStop_.isActive())
        soundStop_.start();
}

void ToneOutput::StopTone()
{
    if (soundIdle_)
        return;
    soundIdle_ = true;
    soundStop_.stop();
    {
        WaveMutexLock lock(waveMutex_);
        ReportWaveError(wave_.Reset(waveHandle_), QT_TRANSLATE_NOOP("ToneOutput", "Reset"));
    }
    // The blocks the reset handed back are unprepared here, not requeued.
    DispatchWaitingMessages();
    {
        WaveMutexLock lock(waveMutex_);
        ReportWaveError(wave_.Close(waveHandle_), QT_TRANSLATE_NOOP("ToneOutput", "Close"));
    }
    DispatchWaitingMessages();
    emit toneStopped();
}

void ToneOutput::OnBufferDone(WaveHeader* header)
{
    // Only our own headers point at our blocks; anything else is stale.
    if (header != &waveHeader1_ && header != &waveHeader2_)
        return;
    WaveMutexLock lock(waveMutex_);
    wave_.Unprepare(waveHandle_, *header);
    header->flags = 0;
    if (soundIdle_)
        return;
    FillBlock(reinterpret_cast<std::int16_t*>(header->data));
    wave_.Prepare(waveHandle_, *header);
    wave_.Write(waveHandle_, *header);
}

std::uint32_t DeviceVolume(std::int32_t masterVolume)
{
    return static_cast<std::uint32_t>(std::nearbyint(masterVolume * 32767 / 12.0 + 32767));
}

void ToneOutput::ApplyVolume()
{
    if (!soundIdle_)
        SendVolume();
}

void ToneOutput::ApplyStartUpVolume()
{
    SendVolume();
}

void ToneOutput::SendVolume()
{
    const auto v = DeviceVolume(state_.MasterVolume);
    ReportWaveError(wave_.SetVolume(waveHandle_, v | (v << 16)),
                    QT_TRANSLATE_NOOP("ToneOutput", "Set Vol"));
}

void ToneOutput::ApplyFeedbackTime()
{
    static constexpr int IntervalsMs[] = {500, 1000, 2000, 3000, 4000, 5000};
    const int setting = state_.FeedbackTimeSetting;
    if (setting < 1 || setting > 6)
        return;
    // A running countdown restarts only when the interval really changes.
    if (soundStop_.interval() != IntervalsMs[setting - 1])
        soundStop_.setInterval(IntervalsMs[setting - 1]);
}

void ToneOutput::SoundStopTimer()
{
    soundStop_.stop();
    if (!soundIdle_)
        wave_.Pause(waveHandle_);
}

void ToneOutput::ReportWaveError(WaveResult code, const char* operation)
{
    if (code == WaveNoError)
        return;
    MessageBoxRequest request;
    request.caption = tr(operation);
    request.text = wave_.ErrorText(code).left(127);
    request.icon = DialogIcon::Error;
    request.buttons = DialogButtons::Ok;
    request.defaultButton = DialogResult::Ok;
    dialogs_.MessageBox(request);
}

void ToneOutput::Shutdown()
{
    StopTone();
    sampleBlock1_.reset();
    sampleBlock2_.reset();
    waveHeader1_ = WaveHeader{};
    waveHeader2_ = WaveHeader{};
}

bool ToneOutput::event(QEvent* event)
{
    if (event->type() == WaveDoneEvent::eventType()) {
        OnBufferDone(static_cast<WaveDoneEvent*>(event)->header());
        return true;
    }
    return QObject::event(event);
}
