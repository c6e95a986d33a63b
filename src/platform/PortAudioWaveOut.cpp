#include "platform/PortAudioWaveOut.h"

#include "platform/SoundLibraries.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <portaudio.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t QueueCapacity = 16;
// A device nobody has set a volume on plays silent, not at full gain: the
// game sets the fader's volume after every open, so this only shows when a
// caller forgot, and then silence is the mistake that harms no ear.
constexpr std::uint32_t UnsetVolume = 0;
constexpr int ProductNameLength = 31;

// Device numbers: the system's default output first, so device 0 plays where
// the desktop plays, then every other device that can output.
std::vector<int> ListOutputDevices()
{
    std::vector<int> devices;
    const PaDeviceIndex defaultOutput = Pa_GetDefaultOutputDevice();
    const auto canOutput = [](PaDeviceIndex index) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        return info != nullptr && info->maxOutputChannels > 0;
    };
    if (defaultOutput != paNoDevice && canOutput(defaultOutput))
        devices.push_back(defaultOutput);
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex index = 0; index < count; ++index) {
        if (index != defaultOutput && canOutput(index))
            devices.push_back(index);
    }
    return devices;
}

WaveResult FromPortAudio(PaError error)
{
    return static_cast<WaveResult>(error);
}

} // namespace

// One open device: the block queue shared with its writer thread.
class PortAudioStream {
  public:
    PortAudioStream(PaStream* stream, int deviceNumber, int channels, std::uint32_t sampleRate,
                    std::uint32_t volume, QObject* notifyTarget, int eventFd)
        : deviceNumber(deviceNumber), stream_(stream), channels_(channels),
          chunkFrames_(std::max<std::uint32_t>(sampleRate / 100, 1)), sampleRate_(sampleRate),
          chunk_(static_cast<std::size_t>(chunkFrames_) * channels), target_(notifyTarget),
          eventFd_(eventFd), notifier_(eventFd, QSocketNotifier::Read)
    {
        volume_.store(volume);
        QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_,
                         [this] { AnnounceConsumed(); });
        writer_ = std::thread([this] { Run(); });
    }

    ~PortAudioStream()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        writer_.join();
        notifier_.setEnabled(false);
        Pa_CloseStream(stream_);
        ::close(eventFd_);
    }

    // GUI thread.
    WaveResult Write(WaveHeader& header)
    {
        if ((header.flags & WaveHeaderPrepared) == 0)
            return WaveUnprepared;
        if ((header.flags & WaveHeaderInQueue) != 0)
            return WaveStillPlaying;
        if (header.data == nullptr && header.bufferLength > 0)
            return WaveInvalidParameter;
        {
            std::lock_guard lock(mutex_);
            if (count_ == QueueCapacity)
                return WaveNoMemory;
            queue_[(head_ + count_) % QueueCapacity] =
                Entry{&header, reinterpret_cast<const std::int16_t*>(header.data),
                      header.bufferLength / 2, 0};
            ++count_;
        }
        header.flags = (header.flags & ~WaveHeaderDone) | WaveHeaderInQueue;
        wake_.notify_one();
        return WaveNoError;
    }

    // GUI thread.
    void SetPaused(bool paused)
    {
        {
            std::lock_guard lock(mutex_);
            paused_ = paused;
        }
        wake_.notify_one();
    }

    // GUI thread. Hands every queued block back in queue order and drops what
    // PortAudio still buffers. Returns a failure the stream met while playing.
    WaveResult Reset()
    {
        std::array<WaveHeader*, QueueCapacity> returned{};
        std::size_t count = 0;
        {
            std::lock_guard lock(mutex_);
            for (; count < count_; ++count)
                returned[count] = queue_[(head_ + count) % QueueCapacity].header;
            head_ = count_ = consumed_ = 0;
            dropRequested_ = true;
        }
        wake_.notify_one();
        for (std::size_t i = 0; i < count; ++i)
            HandBack(returned[i]);
        return FromPortAudio(playError_.exchange(paNoError));
    }

    // GUI thread: announce the blocks the writer has finished with.
    void AnnounceConsumed()
    {
        std::uint64_t ignored = 0;
        [[maybe_unused]] const auto bytes = ::read(eventFd_, &ignored, sizeof ignored);
        std::array<WaveHeader*, QueueCapacity> finished{};
        std::size_t count = 0;
        {
            std::lock_guard lock(mutex_);
            while (consumed_ > 0) {
                finished[count++] = queue_[head_].header;
                head_ = (head_ + 1) % QueueCapacity;
                --count_;
                --consumed_;
            }
        }
        for (std::size_t i = 0; i < count; ++i)
            HandBack(finished[i]);
    }

    // GUI thread.
    bool HasQueuedBlocks()
    {
        std::lock_guard lock(mutex_);
        return count_ > 0;
    }

    void SetVolume(std::uint32_t volume) { volume_.store(volume, std::memory_order_relaxed); }

    std::optional<std::chrono::steady_clock::time_point> FirstWriteTime() const
    {
        const auto ticks = firstWriteTicks_.load();
        if (ticks < 0)
            return std::nullopt;
        return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(ticks));
    }

    const int deviceNumber;

  private:
    struct Entry {
        WaveHeader* header;
        const std::int16_t* samples;
        std::uint32_t frames;
        std::uint32_t position;
    };

    void HandBack(WaveHeader* header)
    {
        header->flags = (header->flags & ~WaveHeaderInQueue) | WaveHeaderDone;
        if (target_)
            QCoreApplication::postEvent(target_, new WaveDoneEvent(header));
    }

    // Writer thread, under mutex_: the next chunk with the gain applied.
    std::uint32_t CopyChunk(bool& finishedBlock)
    {
        const std::uint32_t volume = volume_.load(std::memory_order_relaxed);
        const std::int32_t left = static_cast<std::int32_t>(volume & 0xFFFF);
        const std::int32_t right = static_cast<std::int32_t>(volume >> 16);
        std::uint32_t copied = 0;
        while (copied < chunkFrames_ && consumed_ < count_) {
            Entry& entry = queue_[(head_ + consumed_) % QueueCapacity];
            const std::uint32_t frames =
                std::min(chunkFrames_ - copied, entry.frames - entry.position);
            const std::int16_t* source = entry.samples + entry.position;
            std::int16_t* target = chunk_.data() + static_cast<std::size_t>(copied) * channels_;
            for (std::uint32_t i = 0; i < frames; ++i) {
                const std::int32_t sample = source[i];
                target[static_cast<std::size_t>(i) * channels_] =
                    static_cast<std::int16_t>(sample * left / 65535);
                if (channels_ == 2)
                    target[i * 2 + 1] = static_cast<std::int16_t>(sample * right / 65535);
            }
            copied += frames;
            entry.position += frames;
            if (entry.position == entry.frames) {
                ++consumed_;
                finishedBlock = true;
            }
        }
        return copied;
    }

    // Writer thread.
    void Run()
    {
        for (;;) {
            enum class Action { Quit, Stop, Play } action;
            bool mustStart = false;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] {
                    return quit_ || dropRequested_ || (started_ && paused_) ||
                           (!paused_ && (chunkOffset_ < chunkEnd_ || consumed_ < count_));
                });
                if (quit_) {
                    action = Action::Quit;
                } else if (dropRequested_ || (started_ && paused_)) {
                    action = Action::Stop;
                } else {
                    action = Action::Play;
                    if (chunkOffset_ == chunkEnd_) {
                        chunkFinishesBlock_ = false;
                        chunkOffset_ = 0;
                        chunkEnd_ = CopyChunk(chunkFinishesBlock_);
                    }
                    mustStart = !started_;
                }
            }
            if (action == Action::Quit) {
                if (started_)
                    Pa_AbortStream(stream_);
                return;
            }
            if (action == Action::Stop) {
                Halt();
                continue;
            }
            if (!Play(mustStart))
                continue;
            if (chunkFinishesBlock_) {
                const std::uint64_t one = 1;
                [[maybe_unused]] const auto bytes = ::write(eventFd_, &one, sizeof one);
            }
        }
    }

    // Writer thread, without the lock held.
    void Halt()
    {
        // Abort, not stop: pause and reset silence at once instead of
        // draining what PortAudio still holds.
        if (started_)
            Pa_AbortStream(stream_);
        std::lock_guard lock(mutex_);
        started_ = false;
        // A paused chunk goes on after the restart; a reset one is gone.
        if (dropRequested_)
            chunkOffset_ = chunkEnd_ = 0;
        dropRequested_ = false;
    }

    // Writer thread, without the lock. Hands the rest of the chunk to
    // PortAudio only as fast as it takes it without blocking: a sound server
    // may hold a new stream back for over a second, and a pause, reset or
    // close must not wait for that. False when one of them came first; the
    // rest of the chunk then stays pending.
    bool Play(bool mustStart)
    {
        PaError error = paNoError;
        if (mustStart) {
            error = Pa_StartStream(stream_);
            std::lock_guard lock(mutex_);
            started_ = (error == paNoError);
        }
        if (firstWriteTicks_.load(std::memory_order_relaxed) < 0)
            firstWriteTicks_.store(std::chrono::steady_clock::now().time_since_epoch().count());
        const std::uint32_t frames = chunkEnd_ - chunkOffset_;
        while (error == paNoError && chunkOffset_ < chunkEnd_) {
            const std::uint32_t left = chunkEnd_ - chunkOffset_;
            const long room = Pa_GetStreamWriteAvailable(stream_);
            if (room == 0) {
                if (!WaitForRoom(left))
                    return false;
                continue;
            }
            // A negative room is a failure; the write reports it.
            const std::uint32_t part = room > 0 ? std::min<std::uint32_t>(left, room) : left;
            error = Pa_WriteStream(
                stream_, chunk_.data() + static_cast<std::size_t>(chunkOffset_) * channels_, part);
            if (error == paOutputUnderflowed)
                error = paNoError; // a late refill; the samples still went out
            chunkOffset_ += part;
        }
        if (error != paNoError) {
            chunkOffset_ = chunkEnd_;
            PaError expected = paNoError;
            playError_.compare_exchange_strong(expected, error);
            // The chunk is lost; take the time it would have played so a
            // broken device does not spin the block cycle.
            std::this_thread::sleep_for(
                std::chrono::microseconds(1000000ULL * frames / sampleRate_));
        }
        return true;
    }

    // Writer thread: about as long as `frames` take to play, less when a
    // command arrives; false then.
    bool WaitForRoom(std::uint32_t frames)
    {
        const auto wait = std::max<std::chrono::microseconds>(
            std::chrono::microseconds(1000000ULL * frames / sampleRate_),
            std::chrono::milliseconds(2));
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, wait, [this] { return quit_ || dropRequested_ || paused_; });
    }

    PaStream* const stream_;
    const int channels_;
    const std::uint32_t chunkFrames_;
    const std::uint32_t sampleRate_;
    std::vector<std::int16_t> chunk_; // writer thread only
    // The part of chunk_ not yet handed to PortAudio, and whether it ends a
    // block. Writer thread only.
    std::uint32_t chunkOffset_ = 0;
    std::uint32_t chunkEnd_ = 0;
    bool chunkFinishesBlock_ = false;
    QPointer<QObject> target_;
    const int eventFd_;
    QSocketNotifier notifier_;
    std::thread writer_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::array<Entry, QueueCapacity> queue_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::size_t consumed_ = 0; // blocks at the head the writer has finished with
    bool paused_ = false;
    bool dropRequested_ = false;
    bool started_ = false;
    bool quit_ = false;

    std::atomic<std::uint32_t> volume_{UnsetVolume};
    std::atomic<PaError> playError_{paNoError};
    std::atomic<std::int64_t> firstWriteTicks_{-1};
};

PortAudioDeviceScan::PortAudioDeviceScan()
{
    Start();
}

PortAudioDeviceScan::PortAudioDeviceScan(StartLater) {}

PortAudioDeviceScan::~PortAudioDeviceScan()
{
    if (!thread_.joinable())
        return; // never started: PortAudio was not initialised
    thread_.join();
    if (initError_ == paNoError && !EndPortAudioJackWatch())
        Pa_Terminate();
}

void PortAudioDeviceScan::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void PortAudioDeviceScan::Run()
{
    started_ = std::chrono::steady_clock::now();
    SilenceSoundSystemMessages();
    const int error = Pa_Initialize();
    std::vector<int> devices;
    if (error == paNoError) {
        WatchPortAudioJackServer();
        devices = ListOutputDevices();
    }

    std::lock_guard lock(mutex_);
    initError_ = error;
    devices_ = std::move(devices);
    finished_ = std::chrono::steady_clock::now();
    done_ = true;
    doneSignal_.notify_all();
    for (auto& [context, done] : waiting_)
        if (context)
            QMetaObject::invokeMethod(context, std::move(done), Qt::QueuedConnection);
    waiting_.clear();
}

void PortAudioDeviceScan::Wait()
{
    Start();
    // Not a join: the thread may be slow to end on a busy machine once its
    // work is done.
    std::unique_lock lock(mutex_);
    doneSignal_.wait(lock, [this] { return done_; });
}

bool PortAudioDeviceScan::NotifyWhenDone(QObject* context, std::function<void()> done)
{
    std::lock_guard lock(mutex_);
    if (done_)
        return false;
    waiting_.emplace_back(context, std::move(done));
    return true;
}

PortAudioWaveOut::PortAudioWaveOut() : PortAudioWaveOut(std::make_shared<PortAudioDeviceScan>()) {}

PortAudioWaveOut::PortAudioWaveOut(std::shared_ptr<PortAudioDeviceScan> scan)
    : scan_(std::move(scan))
{
}

PortAudioWaveOut::~PortAudioWaveOut()
{
    streams_.clear();
}

const std::vector<int>& PortAudioWaveOut::Devices()
{
    scan_->Wait();
    if (volumes_.empty())
        volumes_.assign(std::max<std::size_t>(scan_->Devices().size(), 1), UnsetVolume);
    return scan_->Devices();
}

int PortAudioWaveOut::InitError()
{
    Devices();
    return scan_->InitError();
}

bool PortAudioWaveOut::NotifyWhenDevicesKnown(QObject* context, std::function<void()> known)
{
    return scan_->NotifyWhenDone(context, std::move(known));
}

void PortAudioWaveOut::WaitForDevices()
{
    Devices();
}

PortAudioStream* PortAudioWaveOut::Find(WaveHandle handle)
{
    const auto found = streams_.find(handle);
    return found == streams_.end() ? nullptr : found->second.get();
}

std::uint32_t PortAudioWaveOut::DeviceCount()
{
    return static_cast<std::uint32_t>(Devices().size());
}

WaveResult PortAudioWaveOut::ProductName(std::uint32_t device, QString& name)
{
    const std::vector<int>& devices = Devices();
    if (device >= devices.size())
        return devices.empty() ? WaveNoDriver : WaveBadDeviceId;
    name = QString::fromUtf8(Pa_GetDeviceInfo(devices[device])->name).left(ProductNameLength);
    return WaveNoError;
}

WaveResult PortAudioWaveOut::Open(WaveHandle& handle, std::int32_t device, const WaveFormat& format,
                                  QObject* notifyTarget)
{
    const std::vector<int>& devices = Devices();
    if (InitError() != paNoError)
        return FromPortAudio(InitError());
    if (devices.empty())
        return WaveNoDriver;
    if (device < 0 || static_cast<std::size_t>(device) >= devices.size())
        return WaveBadDeviceId;
    if (format.formatTag != WaveFormatPcm || format.channels != 1 || format.bitsPerSample != 16 ||
        format.blockAlign != 2 || format.samplesPerSec == 0)
        return WaveBadFormat;

    const PaDeviceInfo* info = Pa_GetDeviceInfo(devices[device]);
    PaStreamParameters output{};
    output.device = devices[device];
    // Stereo where possible, so each channel gets its own gain.
    output.channelCount = std::min(info->maxOutputChannels, 2);
    output.sampleFormat = paInt16;
    output.suggestedLatency = info->defaultHighOutputLatency;
    PaStream* stream = nullptr;
    const PaError error = Pa_OpenStream(&stream, nullptr, &output, format.samplesPerSec,
                                        paFramesPerBufferUnspecified, paClipOff, nullptr, nullptr);
    if (error != paNoError)
        return FromPortAudio(error);
    const int eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (eventFd < 0) {
        Pa_CloseStream(stream);
        return WaveNoMemory;
    }
    const WaveHandle newHandle = nextHandle_++;
    streams_.emplace(newHandle, std::make_unique<PortAudioStream>(
                                    stream, device, output.channelCount, format.samplesPerSec,
                                    volumes_[device], notifyTarget, eventFd));
    handle = newHandle;
    return WaveNoError;
}

WaveResult PortAudioWaveOut::Prepare(WaveHandle handle, WaveHeader& header)
{
    if (Find(handle) == nullptr)
        return WaveInvalidHandle;
    header.flags |= WaveHeaderPrepared;
    return WaveNoError;
}

WaveResult PortAudioWaveOut::Unprepare(WaveHandle handle, WaveHeader& header)
{
    if (Find(handle) == nullptr)
        return WaveInvalidHandle;
    if ((header.flags & WaveHeaderInQueue) != 0)
        return WaveStillPlaying;
    header.flags &= ~WaveHeaderPrepared;
    return WaveNoError;
}

WaveResult PortAudioWaveOut::Write(WaveHandle handle, WaveHeader& header)
{
    PortAudioStream* stream = Find(handle);
    return stream == nullptr ? WaveInvalidHandle : stream->Write(header);
}

WaveResult PortAudioWaveOut::Pause(WaveHandle handle)
{
    PortAudioStream* stream = Find(handle);
    if (stream == nullptr)
        return WaveInvalidHandle;
    stream->SetPaused(true);
    return WaveNoError;
}

WaveResult PortAudioWaveOut::Restart(WaveHandle handle)
{
    PortAudioStream* stream = Find(handle);
    if (stream == nullptr)
        return WaveInvalidHandle;
    stream->SetPaused(false);
    return WaveNoError;
}

WaveResult PortAudioWaveOut::Reset(WaveHandle handle)
{
    PortAudioStream* stream = Find(handle);
    return stream == nullptr ? WaveInvalidHandle : stream->Reset();
}

WaveResult PortAudioWaveOut::Close(WaveHandle handle)
{
    PortAudioStream* stream = Find(handle);
    if (stream == nullptr)
        return WaveInvalidHandle;
    stream->AnnounceConsumed();
    if (stream->HasQueuedBlocks())
        return WaveStillPlaying;
    streams_.erase(handle);
    return WaveNoError;
}

WaveResult PortAudioWaveOut::SetVolume(WaveHandle handle, std::uint32_t volume)
{
    int deviceNumber = 0;
    if (handle == 0) {
        if (InitError() != paNoError)
            return FromPortAudio(InitError());
        if (Devices().empty())
            return WaveNoDriver;
    } else {
        PortAudioStream* stream = Find(handle);
        if (stream == nullptr)
            return WaveInvalidHandle;
        deviceNumber = stream->deviceNumber;
    }
    volumes_[deviceNumber] = volume;
    for (auto& [ignored, stream] : streams_) {
        if (stream->deviceNumber == deviceNumber)
            stream->SetVolume(volume);
    }
    return WaveNoError;
}

QString PortAudioWaveOut::ErrorText(WaveResult code)
{
    // The player's words first; PortAudio's own follow as the detail a bug
    // report needs.
    const auto libraryCode = static_cast<std::int32_t>(code);
    if (libraryCode < 0) {
        QString text;
        switch (libraryCode) {
        case paInvalidDevice:
            text =
                QCoreApplication::translate("PortAudioWaveOut", "Das Ausgabegerät gibt es nicht.");
            break;
        case paDeviceUnavailable:
            text = QCoreApplication::translate("PortAudioWaveOut",
                                               "Das Ausgabegerät ist nicht verfügbar.");
            break;
        case paUnanticipatedHostError:
            text = QCoreApplication::translate("PortAudioWaveOut",
                                               "Das Audiosystem meldet einen unerwarteten Fehler.");
            break;
        case paInsufficientMemory:
            text = QCoreApplication::translate("PortAudioWaveOut",
                                               "Nicht genug Speicher für die Tonausgabe.");
            break;
        case paSampleFormatNotSupported:
        case paInvalidSampleRate:
        case paInvalidChannelCount:
            text = QCoreApplication::translate(
                "PortAudioWaveOut", "Das Ausgabegerät kann dieses Tonformat nicht abspielen.");
            break;
        default:
            text = QCoreApplication::translate("PortAudioWaveOut", "Fehler der Tonausgabe.");
            break;
        }
        return QCoreApplication::translate("PortAudioWaveOut", "%1 (PortAudio: %2)")
            .arg(text, QString::fromUtf8(Pa_GetErrorText(libraryCode)))
            .left(127);
    }
    switch (code) {
    case WaveNoError:
        return QCoreApplication::translate("PortAudioWaveOut", "Der Befehl wurde ausgeführt.");
    case WaveUnspecifiedError:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Nicht näher bezeichneter Fehler der Tonausgabe.");
    case WaveBadDeviceId:
        return QCoreApplication::translate(
            "PortAudioWaveOut", "Die Gerätenummer liegt außerhalb des gültigen Bereichs.");
    case WaveInvalidHandle:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Das Ausgabegerät ist nicht geöffnet.");
    case WaveNoDriver:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Es ist kein Ausgabegerät vorhanden.");
    case WaveNoMemory:
        return QCoreApplication::translate(
            "PortAudioWaveOut", "Nicht genug Speicher, oder zu viele Blöcke in der Warteschlange.");
    case WaveInvalidParameter:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Dem Ausgabegerät wurde ein ungültiger Wert übergeben.");
    case WaveBadFormat:
        return QCoreApplication::translate(
            "PortAudioWaveOut", "Das Ausgabegerät kann dieses Tonformat nicht abspielen.");
    case WaveStillPlaying:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Es sind noch Blöcke in der Warteschlange.");
    case WaveUnprepared:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Der Block wurde nicht vorbereitet.");
    default:
        return QCoreApplication::translate("PortAudioWaveOut",
                                           "Unbekannter Fehler der Tonausgabe (%1).")
            .arg(code);
    }
}

std::optional<std::chrono::steady_clock::time_point>
PortAudioWaveOut::FirstWriteTime(WaveHandle handle)
{
    PortAudioStream* stream = Find(handle);
    return stream == nullptr ? std::nullopt : stream->FirstWriteTime();
}
