#pragma once
// The wave output device on PortAudio (blocking API). Each open device gets
// a writer thread that copies queued samples into PortAudio, applying the
// per-channel gain; it never allocates, touches no game state and holds its
// lock only while copying one 10 ms chunk. Finished blocks are announced on
// the GUI thread: the writer only bumps an eventfd, a socket notifier on the
// GUI thread turns that into one posted WaveDoneEvent per block.
//
// Threads: construct, destroy and call every WaveOut operation on the GUI
// thread. Construct at most one instance per process (it owns
// Pa_Initialize/Pa_Terminate).

#include "platform/WaveOut.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class PortAudioStream;

class PortAudioWaveOut final : public WaveOut {
  public:
    PortAudioWaveOut();
    ~PortAudioWaveOut() override;
    PortAudioWaveOut(const PortAudioWaveOut&) = delete;
    PortAudioWaveOut& operator=(const PortAudioWaveOut&) = delete;

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

    int initError_ = 0;                  // PortAudio code of Pa_Initialize
    std::vector<int> devices_;           // PortAudio index per device number
    std::vector<std::uint32_t> volumes_; // per device number, kept across openings
    std::map<WaveHandle, std::unique_ptr<PortAudioStream>> streams_;
    WaveHandle nextHandle_ = 1; // never reused, so a stale handle stays invalid
};
