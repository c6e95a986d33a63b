#include "platform/SoundLibraries.h"

#include "platform/JackLibrary.h"
#include "platform/SharedLibrary.h"

#include <portaudio.h>

#include <atomic>

namespace {

struct PortAudioFunctions {
    decltype(&Pa_Initialize) initialize;
    decltype(&Pa_Terminate) terminate;
    decltype(&Pa_GetErrorText) errorText;
    decltype(&Pa_HostApiTypeIdToHostApiIndex) hostApiIndex;
    decltype(&Pa_GetDeviceCount) deviceCount;
    decltype(&Pa_GetDefaultOutputDevice) defaultOutputDevice;
    decltype(&Pa_GetDeviceInfo) deviceInfo;
    decltype(&Pa_OpenStream) openStream;
    decltype(&Pa_CloseStream) closeStream;
    decltype(&Pa_StartStream) startStream;
    decltype(&Pa_StopStream) stopStream;
    decltype(&Pa_AbortStream) abortStream;
    decltype(&Pa_GetStreamWriteAvailable) streamWriteAvailable;
    decltype(&Pa_WriteStream) writeStream;
    decltype(&Pa_GetStreamInfo) streamInfo;
};

bool ResolvePortAudio(const SymbolSource& symbol, PortAudioFunctions& f)
{
    return symbol("Pa_Initialize", f.initialize) && symbol("Pa_Terminate", f.terminate) &&
           symbol("Pa_GetErrorText", f.errorText) &&
           symbol("Pa_HostApiTypeIdToHostApiIndex", f.hostApiIndex) &&
           symbol("Pa_GetDeviceCount", f.deviceCount) &&
           symbol("Pa_GetDefaultOutputDevice", f.defaultOutputDevice) &&
           symbol("Pa_GetDeviceInfo", f.deviceInfo) && symbol("Pa_OpenStream", f.openStream) &&
           symbol("Pa_CloseStream", f.closeStream) && symbol("Pa_StartStream", f.startStream) &&
           symbol("Pa_StopStream", f.stopStream) && symbol("Pa_AbortStream", f.abortStream) &&
           symbol("Pa_GetStreamWriteAvailable", f.streamWriteAvailable) &&
           symbol("Pa_WriteStream", f.writeStream) && symbol("Pa_GetStreamInfo", f.streamInfo);
}

// Null without the library.
const PortAudioFunctions* PortAudio()
{
    static const LazyLibrary<PortAudioFunctions> portAudio({"libportaudio.so.2"}, "libportaudio2",
                                                           ResolvePortAudio);
    return portAudio.Get();
}

using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
struct AlsaFunctions {
    int (*setErrorHandler)(AlsaHandler);
};

bool ResolveAlsa(const SymbolSource& symbol, AlsaFunctions& f)
{
    return symbol("snd_lib_error_set_handler", f.setErrorHandler);
}

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}
void SilentJackMessage(const char*) {}

struct JackWatch {
    const JackLibrary* jack = nullptr;
    jack_client_t* client = nullptr;
    std::atomic<bool> serverGone{false};
};
JackWatch watch;

// Thread: JACK's, when the server went away.
void OnJackShutdown(void*)
{
    watch.serverGone.store(true);
}

} // namespace

void SilenceSoundSystemMessages()
{
    // The same libraries PortAudio loads: a library is loaded once per process.
    static const LazyLibrary<AlsaFunctions> alsa({"libasound.so.2"}, "libasound2", ResolveAlsa);
    if (const AlsaFunctions* functions = alsa.Get())
        functions->setErrorHandler(SilentAlsaError);
    if (const JackLibrary* jack = LoadJack(nullptr)) {
        jack->setErrorFunction(SilentJackMessage);
        jack->setInfoFunction(SilentJackMessage);
    }
}

void WatchPortAudioJackServer()
{
    if (Pa_HostApiTypeIdToHostApiIndex(paJACK) < 0)
        return;
    const JackLibrary* jack = LoadJack(nullptr);
    if (!jack)
        return;
    jack_status_t status{};
    watch.client = jack->clientOpen("Heulmeister Pro Ton", JackNoStartServer, &status);
    if (!watch.client)
        return;
    watch.jack = jack;
    jack->onShutdown(watch.client, &OnJackShutdown, nullptr);
    jack->activate(watch.client);
}

bool EndPortAudioJackWatch()
{
    if (!watch.client)
        return false;
    // A dead server's client is left alone: closing it cannot succeed either.
    if (watch.serverGone.load())
        return true;
    watch.jack->clientClose(watch.client);
    watch.client = nullptr;
    return false;
}

// Without the library each answers as PortAudio does before Pa_Initialize
// succeeded.
#define HEULMEISTER_FORWARD(member, fallback, ...)                                                 \
    const PortAudioFunctions* portAudio = PortAudio();                                             \
    return portAudio ? portAudio->member(__VA_ARGS__)                                              \
                     : static_cast<decltype(portAudio->member(__VA_ARGS__))>(fallback)

extern "C" {

PaError Pa_Initialize(void)
{
    HEULMEISTER_FORWARD(initialize, paNotInitialized);
}
PaError Pa_Terminate(void)
{
    HEULMEISTER_FORWARD(terminate, paNotInitialized);
}
const char* Pa_GetErrorText(PaError errorCode)
{
    HEULMEISTER_FORWARD(errorText, "libportaudio.so.2 fehlt", errorCode);
}
PaHostApiIndex Pa_HostApiTypeIdToHostApiIndex(PaHostApiTypeId type)
{
    HEULMEISTER_FORWARD(hostApiIndex, paNotInitialized, type);
}
PaDeviceIndex Pa_GetDeviceCount(void)
{
    HEULMEISTER_FORWARD(deviceCount, paNotInitialized);
}
PaDeviceIndex Pa_GetDefaultOutputDevice(void)
{
    HEULMEISTER_FORWARD(defaultOutputDevice, paNoDevice);
}
const PaDeviceInfo* Pa_GetDeviceInfo(PaDeviceIndex device)
{
    HEULMEISTER_FORWARD(deviceInfo, nullptr, device);
}
PaError Pa_OpenStream(PaStream** stream, const PaStreamParameters* inputParameters,
                      const PaStreamParameters* outputParameters, double sampleRate,
                      unsigned long framesPerBuffer, PaStreamFlags streamFlags,
                      PaStreamCallback* streamCallback, void* userData)
{
    HEULMEISTER_FORWARD(openStream, paNotInitialized, stream, inputParameters, outputParameters,
                        sampleRate, framesPerBuffer, streamFlags, streamCallback, userData);
}
PaError Pa_CloseStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(closeStream, paNotInitialized, stream);
}
PaError Pa_StartStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(startStream, paNotInitialized, stream);
}
PaError Pa_StopStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(stopStream, paNotInitialized, stream);
}
PaError Pa_AbortStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(abortStream, paNotInitialized, stream);
}
signed long Pa_GetStreamWriteAvailable(PaStream* stream)
{
    HEULMEISTER_FORWARD(streamWriteAvailable, paNotInitialized, stream);
}
PaError Pa_WriteStream(PaStream* stream, const void* buffer, unsigned long frames)
{
    HEULMEISTER_FORWARD(writeStream, paNotInitialized, stream, buffer, frames);
}
const PaStreamInfo* Pa_GetStreamInfo(PaStream* stream)
{
    HEULMEISTER_FORWARD(streamInfo, nullptr, stream);
}

} // extern "C"
