#include "platform/SoundLibraries.h"

#include "platform/SharedLibrary.h"

#include <jack/jack.h>
#include <portaudio.h>

#include <atomic>

namespace {

void* PortAudioLibrary()
{
    static void* const library = OpenSharedLibrary("libportaudio.so.2");
    return library;
}

// PortAudio's own function `name`, or null without the library.
template <typename Function> Function Real(const char* name)
{
    Function function = nullptr;
    if (void* library = PortAudioLibrary())
        ResolveSymbol(library, name, function);
    return function;
}

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}
void SilentJackMessage(const char*) {}

struct JackWatch {
    decltype(&jack_client_close) clientClose = nullptr;
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
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using JackHandler = void (*)(const char*);
    // The same libraries PortAudio loads: a library is loaded once per process.
    if (void* alsa = OpenSharedLibrary("libasound.so.2")) {
        int (*setHandler)(AlsaHandler) = nullptr;
        if (ResolveSymbol(alsa, "snd_lib_error_set_handler", setHandler))
            setHandler(SilentAlsaError);
    }
    if (void* jack = OpenSharedLibrary("libjack.so.0")) {
        void (*setFunction)(JackHandler) = nullptr;
        if (ResolveSymbol(jack, "jack_set_error_function", setFunction))
            setFunction(SilentJackMessage);
        if (ResolveSymbol(jack, "jack_set_info_function", setFunction))
            setFunction(SilentJackMessage);
    }
}

void WatchPortAudioJackServer()
{
    if (Pa_HostApiTypeIdToHostApiIndex(paJACK) < 0)
        return;
    void* jack = OpenSharedLibrary("libjack.so.0");
    decltype(&jack_client_open) clientOpen = nullptr;
    decltype(&jack_on_shutdown) onShutdown = nullptr;
    decltype(&jack_activate) activate = nullptr;
    if (!jack || !ResolveSymbol(jack, "jack_client_open", clientOpen) ||
        !ResolveSymbol(jack, "jack_on_shutdown", onShutdown) ||
        !ResolveSymbol(jack, "jack_activate", activate) ||
        !ResolveSymbol(jack, "jack_client_close", watch.clientClose))
        return;
    jack_status_t status{};
    watch.client = clientOpen("Heulmeister Pro Ton", JackNoStartServer, &status);
    if (!watch.client)
        return;
    onShutdown(watch.client, &OnJackShutdown, nullptr);
    activate(watch.client);
}

bool EndPortAudioJackWatch()
{
    if (!watch.client)
        return false;
    // A dead server's client is left alone: closing it cannot succeed either.
    if (watch.serverGone.load())
        return true;
    watch.clientClose(watch.client);
    watch.client = nullptr;
    return false;
}

// Each looks its function up once; without the library each answers as
// PortAudio does before Pa_Initialize succeeded.
#define HEULMEISTER_FORWARD(name, fallback, ...)                                                   \
    static const auto real = Real<decltype(&name)>(#name);                                         \
    return real ? real(__VA_ARGS__) : static_cast<decltype(real(__VA_ARGS__))>(fallback)

extern "C" {

PaError Pa_Initialize(void)
{
    HEULMEISTER_FORWARD(Pa_Initialize, paNotInitialized);
}
PaError Pa_Terminate(void)
{
    HEULMEISTER_FORWARD(Pa_Terminate, paNotInitialized);
}
const char* Pa_GetErrorText(PaError errorCode)
{
    HEULMEISTER_FORWARD(Pa_GetErrorText, "libportaudio.so.2 fehlt", errorCode);
}
PaHostApiIndex Pa_HostApiTypeIdToHostApiIndex(PaHostApiTypeId type)
{
    HEULMEISTER_FORWARD(Pa_HostApiTypeIdToHostApiIndex, paNotInitialized, type);
}
PaDeviceIndex Pa_GetDeviceCount(void)
{
    HEULMEISTER_FORWARD(Pa_GetDeviceCount, paNotInitialized);
}
PaDeviceIndex Pa_GetDefaultOutputDevice(void)
{
    HEULMEISTER_FORWARD(Pa_GetDefaultOutputDevice, paNoDevice);
}
const PaDeviceInfo* Pa_GetDeviceInfo(PaDeviceIndex device)
{
    HEULMEISTER_FORWARD(Pa_GetDeviceInfo, nullptr, device);
}
PaError Pa_OpenStream(PaStream** stream, const PaStreamParameters* inputParameters,
                      const PaStreamParameters* outputParameters, double sampleRate,
                      unsigned long framesPerBuffer, PaStreamFlags streamFlags,
                      PaStreamCallback* streamCallback, void* userData)
{
    HEULMEISTER_FORWARD(Pa_OpenStream, paNotInitialized, stream, inputParameters, outputParameters,
                        sampleRate, framesPerBuffer, streamFlags, streamCallback, userData);
}
PaError Pa_CloseStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(Pa_CloseStream, paNotInitialized, stream);
}
PaError Pa_StartStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(Pa_StartStream, paNotInitialized, stream);
}
PaError Pa_StopStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(Pa_StopStream, paNotInitialized, stream);
}
PaError Pa_AbortStream(PaStream* stream)
{
    HEULMEISTER_FORWARD(Pa_AbortStream, paNotInitialized, stream);
}
signed long Pa_GetStreamWriteAvailable(PaStream* stream)
{
    HEULMEISTER_FORWARD(Pa_GetStreamWriteAvailable, paNotInitialized, stream);
}
PaError Pa_WriteStream(PaStream* stream, const void* buffer, unsigned long frames)
{
    HEULMEISTER_FORWARD(Pa_WriteStream, paNotInitialized, stream, buffer, frames);
}
const PaStreamInfo* Pa_GetStreamInfo(PaStream* stream)
{
    HEULMEISTER_FORWARD(Pa_GetStreamInfo, nullptr, stream);
}

} // extern "C"
