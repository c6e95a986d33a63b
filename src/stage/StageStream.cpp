#include "stage/StageStream.h"

#include "platform/SoundLibraries.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace stage {

namespace {

PaDeviceIndex FindOutput(const std::string& name)
{
    if (name.empty())
        return Pa_GetDefaultOutputDevice();
    for (PaDeviceIndex device = 0; device < Pa_GetDeviceCount(); ++device) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        // The game shows names cut to 31 characters; the start is enough.
        if (info && info->maxOutputChannels > 0 && std::string(info->name).starts_with(name))
            return device;
    }
    return paNoDevice;
}

std::string OpenFailure(PaError error)
{
    return QCoreApplication::translate("StageStream",
                                       "Die Tonausgabe der Bühne lässt sich nicht öffnen: %1")
        .arg(QString::fromUtf8(Pa_GetErrorText(error)))
        .toStdString();
}

} // namespace

StageStream::StageStream(const LoopDesign& design, const FftwFunctions& fftw,
                         std::uint32_t noiseSeed)
    : loop_(design, fftw, noiseSeed)
{
}

StageStream::~StageStream()
{
    Stop();
    if (initialised_)
        Pa_Terminate();
}

bool StageStream::Start(std::string* errorText, const std::string& deviceName)
{
    if (stream_)
        return true;
    if (!initialised_) {
        SilenceSoundSystemMessages();
        const PaError error = Pa_Initialize();
        if (error != paNoError) {
            *errorText = OpenFailure(error);
            return false;
        }
        initialised_ = true;
    }
    const PaDeviceIndex device = FindOutput(deviceName);
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (!info) {
        *errorText =
            QCoreApplication::translate(
                "StageStream", "Keine Tonausgabe gefunden: Die Bühne braucht eine Soundkarte.")
                .toStdString();
        return false;
    }
    const PaStreamParameters output{device, 1, paFloat32, info->defaultLowOutputLatency, nullptr};
    PaStream* stream = nullptr;
    PaError error = Pa_OpenStream(&stream, nullptr, &output, SampleRateHz, BlockFrames, paClipOff,
                                  &StageStream::Callback, this);
    if (error == paNoError && (error = Pa_StartStream(stream)) != paNoError)
        Pa_CloseStream(stream);
    if (error != paNoError) {
        *errorText = OpenFailure(error);
        return false;
    }
    stream_ = stream;
    return true;
}

void StageStream::Stop()
{
    if (!stream_)
        return;
    Pa_StopStream(stream_);
    Pa_CloseStream(stream_);
    stream_ = nullptr;
}

double StageStream::OutputLatencySeconds() const
{
    const PaStreamInfo* info = stream_ ? Pa_GetStreamInfo(stream_) : nullptr;
    return info ? info->outputLatency : 0.0;
}

void StageStream::WatchFall(std::uint64_t untilFrame)
{
    quietestDbfs_.store(200.0f, std::memory_order_relaxed);
    watchUntilFrame_.store(untilFrame, std::memory_order_relaxed);
    watchAsked_.fetch_add(1, std::memory_order_release);
}

void StageStream::SetParameters(const StageParameters& parameters)
{
    lastParameters_ = parameters;
    lastParameters_.room = turns_;
    lastParameters_.change = ++published_;
    parameters_.Publish(lastParameters_);
}

bool StageStream::MoveRoom(std::shared_ptr<PartitionedConvolver> room)
{
    LetGoOfRooms();
    if (turns_ == MostTurns)
        return false;
    turnedRooms_[std::size_t(turns_++)] = std::move(room);
    return true;
}

void StageStream::LetGoOfRooms()
{
    // Room n (the first is the loop's own) is turnedRooms_[n - 1].
    const int oldest = oldestRoomInUse_.load(std::memory_order_acquire);
    for (int turn = 0; turn + 1 < oldest; ++turn)
        turnedRooms_[std::size_t(turn)].reset();
}

void StageStream::ApplyNewest()
{
    const StageParameters& newest = parameters_.Latest();
    if (newest.change == taken_)
        return;
    taken_ = newest.change;
    BandLevels levelsDb{};
    for (int band = 0; band < BandCount; ++band)
        levelsDb[band] = std::clamp<int>(newest.levelsDb[band], MinLevelDb, MaxLevelDb);
    loop_.SetGainDb(newest.gainDb);
    outputGain_ = newest.outputGain;
    if (newest.howlHz != meteredHz_) {
        meteredHz_ = newest.howlHz;
        howlMeter_.SetFrequencyHz(meteredHz_);
    }
    loop_.SetLevels(levelsDb);
    if (newest.room != roomInUse_) {
        oldRoomInUse_ = roomInUse_;
        roomInUse_ = newest.room;
        loop_.MoveRoom(turnedRooms_[std::size_t(roomInUse_ - 1)].get());
    }
    // The vDSO answers this without entering the kernel.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    appliedAtNs_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(),
                       std::memory_order_relaxed);
    appliedChange_.store(taken_, std::memory_order_release);
}

void StageStream::RenderBuffer(float* out, unsigned long frames)
{
    ApplyNewest();
    // PortAudio keeps to BlockFrames per buffer; any other size is served
    // from whole blocks all the same.
    while (frames > 0) {
        if (blockUsed_ == BlockFrames) {
            loop_.Process(nullptr, block_.data());
            oldestRoomInUse_.store(loop_.OldRoomRinging() ? oldRoomInUse_ : roomInUse_,
                                   std::memory_order_release);
            howlMeter_.Process(block_.data(), BlockFrames);
            const auto levelDbfs = float(howlMeter_.LevelDbfs());
            howlDbfs_.store(levelDbfs, std::memory_order_relaxed);
            const std::uint64_t made =
                framesMade_.load(std::memory_order_relaxed) + std::uint64_t(BlockFrames);
            if (const std::uint32_t asked = watchAsked_.load(std::memory_order_acquire);
                asked != watchTaken_) {
                watchTaken_ = asked;
                quietestDbfs_.store(levelDbfs, std::memory_order_relaxed);
            } else if (made <= watchUntilFrame_.load(std::memory_order_relaxed)) {
                quietestDbfs_.store(
                    std::min(levelDbfs, quietestDbfs_.load(std::memory_order_relaxed)),
                    std::memory_order_relaxed);
            }
            framesMade_.store(made, std::memory_order_release);
            float peak = 1e-10f;
            for (float& sample : block_) {
                peak = std::max(peak, std::abs(sample));
                sample *= outputGain_;
            }
            peakDbfs_.store(float(AmplitudeToDb(peak)), std::memory_order_relaxed);
            blockUsed_ = 0;
        }
        const auto count = std::min<unsigned long>(frames, BlockFrames - blockUsed_);
        std::copy_n(block_.data() + blockUsed_, count, out);
        blockUsed_ += int(count);
        out += count;
        frames -= count;
    }
}

int StageStream::Callback(const void*, void* output, unsigned long frames,
                          const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData)
{
    static_cast<StageStream*>(userData)->RenderBuffer(static_cast<float*>(output), frames);
    return paContinue;
}

} // namespace stage
