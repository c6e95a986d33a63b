#include "audio/SoundFileLibraries.h"

#include "platform/SharedLibrary.h"

namespace {

// The run-time names of the Debian packages libsndfile1 and libsamplerate0.
constexpr char SndfileSoname[] = "libsndfile.so.1";
constexpr char SamplerateSoname[] = "libsamplerate.so.0";

bool Resolve(const SymbolSource& symbol, SoundFileLibraries& f)
{
    return symbol("sf_open_fd", f.openDescriptor) && symbol("sf_readf_float", f.readFloatFrames) &&
           symbol("sf_close", f.close) && symbol("sf_error", f.error) &&
           symbol("sf_strerror", f.errorText) && symbol("src_new", f.newResampler) &&
           symbol("src_process", f.process) && symbol("src_delete", f.deleteResampler) &&
           symbol("src_strerror", f.resamplerErrorText);
}

} // namespace

const SoundFileLibraries* LoadSoundFileLibraries(QString* errorText)
{
    static const LazyLibrary<SoundFileLibraries> libraries(
        {SndfileSoname, SamplerateSoname},
        QT_TRANSLATE_NOOP("SharedLibrary", "libsndfile1 und libsamplerate0"), Resolve);
    return libraries.Get(errorText);
}
