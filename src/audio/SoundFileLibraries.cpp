#include "audio/SoundFileLibraries.h"

#include "platform/SharedLibrary.h"

#include <mutex>

namespace {

// The run-time names of the Debian packages libsndfile1 and libsamplerate0.
constexpr char SndfileSoname[] = "libsndfile.so.1";
constexpr char SamplerateSoname[] = "libsamplerate.so.0";

struct Loaded {
    SoundFileLibraries functions{};
    bool ok = false;
    QString errorText;
};

Loaded Load()
{
    Loaded loaded;
    void* sndfile = OpenSharedLibrary(SndfileSoname);
    void* samplerate = sndfile ? OpenSharedLibrary(SamplerateSoname) : nullptr;
    if (!sndfile || !samplerate) {
        loaded.errorText = QStringLiteral("Die Bibliothek %1 fehlt. (System: %2)")
                               .arg(QLatin1String(sndfile ? SamplerateSoname : SndfileSoname),
                                    QString::fromStdString(SharedLibraryError()));
        return loaded;
    }
    // Kept open for the rest of the program's life.
    SoundFileLibraries& f = loaded.functions;
    loaded.ok = ResolveSymbol(sndfile, "sf_open_fd", f.openDescriptor) &&
                ResolveSymbol(sndfile, "sf_readf_float", f.readFloatFrames) &&
                ResolveSymbol(sndfile, "sf_close", f.close) &&
                ResolveSymbol(sndfile, "sf_error", f.error) &&
                ResolveSymbol(sndfile, "sf_strerror", f.errorText) &&
                ResolveSymbol(samplerate, "src_new", f.newResampler) &&
                ResolveSymbol(samplerate, "src_process", f.process) &&
                ResolveSymbol(samplerate, "src_delete", f.deleteResampler) &&
                ResolveSymbol(samplerate, "src_strerror", f.resamplerErrorText);
    if (!loaded.ok)
        loaded.errorText = QStringLiteral("Die Bibliotheken %1 und %2 sind zu alt. (System: %3)")
                               .arg(QLatin1String(SndfileSoname), QLatin1String(SamplerateSoname),
                                    QString::fromStdString(SharedLibraryError()));
    return loaded;
}

} // namespace

const SoundFileLibraries* LoadSoundFileLibraries(QString* errorText)
{
    static std::once_flag once;
    // Never destroyed: a decoding the exit did not wait for still calls in.
    static Loaded* loaded = nullptr;
    std::call_once(once, [] { loaded = new Loaded(Load()); });
    if (!loaded->ok && errorText)
        *errorText = loaded->errorText;
    return loaded->ok ? &loaded->functions : nullptr;
}
