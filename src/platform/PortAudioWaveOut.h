#pragma once
// The wave output device on PortAudio (blocking API). Each open device gets
// a writer thread that copies queued samples into PortAudio, applying the
// per-channel gain; it never allocates, touches no game state and holds its
// lock only while copying one 10 ms chunk. Finished blocks are announced on
// the GUI thread: the writer only bumps an eventfd, a socket notifier on the
// GUI thread turns that into one posted WaveDoneEvent per block.
//
// Threads: construct, destroy and call every WaveOut operation on the GUI
// thread. At most one instance per process (its scan owns
// Pa_Initialize/Pa_Terminate).

#include "platform/WaveOut.h"

#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class PortAudioStream;

// PortAudio's initialisation and device scan on a thread of its own: it loads
// the sound libraries (ALSA's plugins pull in dozens more) and asks every
// sound system, some 50 ms that the window need not wait for. While it loads
// libraries it holds the dynamic loader's lock, which Qt needs for its own
// plugins, so the program starts it only once its first window is drawn.
// Threads: construct and destroy on the GUI thread (or before there is one);
// the other operations on the GUI thread. The destructor waits for the scan
// and ends PortAudio, so it must outlive every stream.
class PortAudioDeviceScan {
  public:
    struct StartLater {};
    // Starts scanning at once.
    PortAudioDeviceScan();
    // Starts with Start(), or with the first Wait().
    explicit PortAudioDeviceScan(StartLater);
    ~PortAudioDeviceScan();
    PortAudioDeviceScan(const PortAudioDeviceScan&) = delete;
    PortAudioDeviceScan& operator=(const PortAudioDeviceScan&) = delete;

    // Starts the scan unless it has been started.
    void Start();
    bool Started() const { return thread_.joinable(); }
    // Starts the scan if need be and blocks until it has finished.
    void Wait();
    // Posts `done` to `context`'s thread once the scan has finished and
    // returns true; false, posting nothing, when it has finished already.
    // Starts nothing.
    bool NotifyWhenDone(QObject* context, std::function<void()> done);

    // After Wait: PortAudio's code of Pa_Initialize, and the PortAudio index
    // of each device number (the system's default output first).
    int InitError() const { return initError_; }
    const std::vector<int>& Devices() const { return devices_; }

    // For measurements: when the scan started and finished on its thread.
    std::chrono::steady_clock::time_point StartTime() const { return started_; }
    std::chrono::steady_clock::time_point FinishTime() const { return finished_; }

  private:
    void Run();

    std::mutex mutex_;
    std::condition_variable doneSignal_;
    bool done_ = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> waiting_;
    int initError_ = 0;
    std::vector<int> devices_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point finished_;
    std::thread thread_;
};

class PortAudioWaveOut final : public WaveOut {
  public:
    // Scans for devices itself, in the background.
    PortAudioWaveOut();
    // With a scan started earlier.
    explicit PortAudioWaveOut(std::shared_ptr<PortAudioDeviceScan> scan);
    ~PortAudioWaveOut() override;
    PortAudioWaveOut(const PortAudioWaveOut&) = delete;
    PortAudioWaveOut& operator=(const PortAudioWaveOut&) = delete;

    bool NotifyWhenDevicesKnown(QObject* context, std::function<void()> known) override;
    void WaitForDevices() override;
    std::uint32_t DeviceCount() override;
    WaveResult ProductName(std::uint32_t device, QString& name) override;
    WaveResult Open(WaveHandle& handle, std::int32_t device, const WaveFormat& format,
                    QObject* notifyTarget) override;
    WaveResult Prepare(WaveHandle handle, WaveHeader& header) override;
    WaveResult Unprepare(WaveHandle handle, WaveHeader& header) override;
    WaveResult Write(WaveHandle handle, WaveHeader& header) override;
    WaveResult Pause(WaveHandle handle) override;
    WaveResult Restart(WaveHandle handle) override;
    WaveResult Reset(WaveHandle handle) override;
    WaveResult Close(WaveHandle handle) override;
    WaveResult SetVolume(WaveHandle handle, std::uint32_t volume) override;
    QString ErrorText(WaveResult code) override;

    // For measurements: when the writer of `handle` first handed samples to
    // PortAudio, if it has.
    std::optional<std::chrono::steady_clock::time_point> FirstWriteTime(WaveHandle handle);

  private:
    PortAudioStream* Find(WaveHandle handle);
    // The scan's results, after waiting for it.
    const std::vector<int>& Devices();
    int InitError();

    std::shared_ptr<PortAudioDeviceScan> scan_;
    std::vector<std::uint32_t> volumes_; // per device number, kept across openings
    std::map<WaveHandle, std::unique_ptr<PortAudioStream>> streams_;
    WaveHandle nextHandle_ = 1; // never reused, so a stale handle stays invalid
};
