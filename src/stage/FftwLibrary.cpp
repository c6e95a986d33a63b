#include "stage/FftwLibrary.h"

#include "platform/SharedLibrary.h"

#include <mutex>

namespace stage {

namespace {

// The run-time name of the Debian package libfftw3-single3.
constexpr char FftwSoname[] = "libfftw3f.so.3";

struct Loaded {
    FftwFunctions functions{};
    bool ok = false;
    std::string errorText;
};

Loaded Load()
{
    Loaded loaded;
    void* library = OpenSharedLibrary(FftwSoname);
    if (!library) {
        loaded.errorText = std::string("Die Bibliothek ") + FftwSoname +
                           " fehlt (Paket libfftw3-single3). (System: " + SharedLibraryError() +
                           ")";
        return loaded;
    }
    FftwFunctions& f = loaded.functions;
    loaded.ok = ResolveSymbol(library, "fftwf_plan_dft_r2c_1d", f.planForward) &&
                ResolveSymbol(library, "fftwf_plan_dft_c2r_1d", f.planInverse) &&
                ResolveSymbol(library, "fftwf_execute_dft_r2c", f.executeForward) &&
                ResolveSymbol(library, "fftwf_execute_dft_c2r", f.executeInverse) &&
                ResolveSymbol(library, "fftwf_destroy_plan", f.destroyPlan) &&
                ResolveSymbol(library, "fftwf_malloc", f.allocate) &&
                ResolveSymbol(library, "fftwf_free", f.release);
    if (!loaded.ok)
        loaded.errorText = std::string("Die Bibliothek ") + FftwSoname +
                           " ist zu alt. (System: " + SharedLibraryError() + ")";
    return loaded;
}

std::mutex& PlannerLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

const FftwFunctions* LoadFftw(std::string* errorText)
{
    static std::once_flag once;
    static Loaded* loaded = nullptr; // never destroyed: plans may outlive statics
    std::call_once(once, [] { loaded = new Loaded(Load()); });
    if (!loaded->ok && errorText)
        *errorText = loaded->errorText;
    return loaded->ok ? &loaded->functions : nullptr;
}

fftwf_plan PlanForward(const FftwFunctions& fftw, int size, float* in, fftwf_complex* out)
{
    std::lock_guard lock(PlannerLock());
    return fftw.planForward(size, in, out, FFTW_ESTIMATE);
}

fftwf_plan PlanInverse(const FftwFunctions& fftw, int size, fftwf_complex* in, float* out)
{
    std::lock_guard lock(PlannerLock());
    return fftw.planInverse(size, in, out, FFTW_ESTIMATE);
}

void DestroyPlan(const FftwFunctions& fftw, fftwf_plan plan)
{
    std::lock_guard lock(PlannerLock());
    fftw.destroyPlan(plan);
}

} // namespace stage
