#include "audio/SoundFileLibraries.h"

#include <dlfcn.h>
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

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

Loaded Load()
{
    Loaded loaded;
    void* sndfile = dlopen(SndfileSoname, RTLD_NOW | RTLD_LOCAL);
    void* samplerate = sndfile ? dlopen(SamplerateSoname, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!sndfile || !samplerate) {
        loaded.errorText = QStringLiteral("Die Bibliothek %1 fehlt. (System: %2)")
                               .arg(QLatin1String(sndfile ? SamplerateSoname : SndfileSoname),
                                    QString::fromLocal8Bit(dlerror()));
        return loaded;
    }
    // Kept open for the rest of the program's life.
    SoundFileLibraries& f = loaded.functions;
    loaded.ok = Resolve(sndfile, "sf_open_fd", f.openDescriptor) &&
                Resolve(sndfile, "sf_readf_float", f.readFloatFrames) &&
                Resolve(sndfile, "sf_close", f.close) && Resolve(sndfile, "sf_error", f.error) &&
                Resolve(sndfile, "sf_strerror", f.errorText) &&
                Resolve(samplerate, "src_new", f.newResampler) &&
                Resolve(samplerate, "src_process", f.process) &&
                Resolve(samplerate, "src_delete", f.deleteResampler) &&
                Resolve(samplerate, "src_strerror", f.resamplerErrorText);
    if (!loaded.ok)
        loaded.errorText = QStringLiteral("Die Bibliotheken %1 und %2 sind zu alt. (System: %3)")
                               .arg(QLatin1String(SndfileSoname), QLatin1String(SamplerateSoname),
                                    QString::fromLocal8Bit(dlerror()));
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
