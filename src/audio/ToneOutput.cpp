#include "audio/ToneOutput.h"

#include "model/GameState.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <chrono>
#include <cmath>

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

void DispatchWaitingMessages()
{
    QCoreApplication::processEvents();
}

} // namespace

ToneOutput::ToneOutput(GameState& state, WaveOut& wave, Dialogs& dialogs, QObject* parent)
    : QObject(parent), state_(state), wave_(wave), dialogs_(dialogs)
{
    soundStop_.setInterval(1000);
}

ToneOutput::~ToneOutput()
{
    // Last resort if the owner skipped Shutdown: the device must not keep
    // blocks that are about to be freed. No boxes, no event dispatch here.
    if (state_.SoundIdle == 0 && sampleBlock1_) {
        state_.SoundIdle = 1;
        wave_.Reset(waveHandle_);
        wave_.Close(waveHandle_);
    }
}

void ToneOutput::OpenWaveDevice()
{
    const WaveFormat format{WaveFormatPcm, 1, SampleRate, SampleRate * 2, 2, 16};
    ReportWaveError(wave_.Open(waveHandle_, state_.SoundCardId, format, this), "Open");
    ApplyVolume();
    DispatchWaitingMessages();
}

void ToneOutput::PrepareTone(double frequencyHz)
{
    OpenWaveDevice();
    synthesis_.StartTone(frequencyHz);
    // The blocks are allocated once and reused: freeing them here could pull
    // memory from under a device that failed to hand them back.
    if (!sampleBlock1_)
        sampleBlock1_ = std::make_unique<std::int16_t[]>(BlockSamples);
    if (!sampleBlock2_)
        sampleBlock2_ = std::make_unique<std::int16_t[]>(BlockSamples);
    synthesis_.FillToneBlock(sampleBlock1_.get());
    synthesis_.FillToneBlock(sampleBlock2_.get());
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
    state_.SoundIdle = 1;
    PrepareHeader(waveHeader1_, sampleBlock1_.get(), "Unprepare 1", "Prepare 1");
    PrepareHeader(waveHeader2_, sampleBlock2_.get(), "Unprepare 2", "Prepare 2");
    // Both blocks go in while paused, so playback starts with a full queue.
    ReportWaveError(wave_.Pause(waveHandle_), "Pause");
    ReportWaveError(wave_.Write(waveHandle_, waveHeader1_), "Write 1");
    ReportWaveError(wave_.Write(waveHandle_, waveHeader2_), "Write 2");
    state_.SoundIdle = 0;
    ReportWaveError(wave_.Restart(waveHandle_), "Restart");
    if (state_.FeedbackTimeSetting > 0 && state_.GameMode == ModeSearching &&
        !soundStop_.isActive())
        soundStop_.start();
}

void ToneOutput::StopTone()
{
    if (state_.SoundIdle == 1)
        return;
    state_.SoundIdle = 1;
    soundStop_.stop();
    {
        WaveMutexLock lock(waveMutex_);
        ReportWaveError(wave_.Reset(waveHandle_), "Reset");
    }
    // The blocks the reset handed back are unprepared here, not requeued.
    DispatchWaitingMessages();
    {
        WaveMutexLock lock(waveMutex_);
        ReportWaveError(wave_.Close(waveHandle_), "Close");
    }
    DispatchWaitingMessages();
    if (state_.GameMode == ModeGeneratorPlaying)
        state_.GameMode = ModeGeneratorSilent;
}

void ToneOutput::OnBufferDone(WaveHeader* header)
{
    // Only our own headers point at our blocks; anything else is stale.
    if (header != &waveHeader1_ && header != &waveHeader2_)
        return;
    WaveMutexLock lock(waveMutex_);
    wave_.Unprepare(waveHandle_, *header);
    header->flags = 0;
    if (state_.SoundIdle == 1)
        return;
    synthesis_.FillToneBlock(reinterpret_cast<std::int16_t*>(header->data));
    wave_.Prepare(waveHandle_, *header);
    wave_.Write(waveHandle_, *header);
}

void ToneOutput::ApplyVolume()
{
    ClampVolume();
    if (state_.SoundIdle == 1)
        return;
    SendVolume();
}

void ToneOutput::ApplyStartupVolume()
{
    ClampVolume();
    SendVolume();
}

void ToneOutput::ClampVolume()
{
    // Out of range (an edited settings file) becomes -11 either way.
    if (state_.MasterVolume > MaxLevel)
        state_.MasterVolume = -11;
    if (state_.MasterVolume < MinLevel)
        state_.MasterVolume = -11;
}

void ToneOutput::SendVolume()
{
    const auto v =
        static_cast<std::uint32_t>(std::nearbyint(state_.MasterVolume * 32767 / 12.0 + 32767));
    ReportWaveError(wave_.SetVolume(waveHandle_, v | (v << 16)), "Set Vol");
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

void ToneOutput::ReportWaveError(WaveResult code, const QString& operation)
{
    if (code == WaveNoError)
        return;
    MessageBoxRequest request;
    request.caption = operation;
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
