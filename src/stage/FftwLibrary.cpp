#include "stage/FftwLibrary.h"

#include <dlfcn.h>
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

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

std::string SystemReason()
{
    const char* reason = dlerror();
    return reason ? reason : "";
}

Loaded Load()
{
    Loaded loaded;
    void* library = dlopen(FftwSoname, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        loaded.errorText = std::string("Die Bibliothek ") + FftwSoname +
                           " fehlt (Paket libfftw3-single3). (System: " + SystemReason() + ")";
        return loaded;
    }
    FftwFunctions& f = loaded.functions;
    loaded.ok = Resolve(library, "fftwf_plan_dft_r2c_1d", f.planForward) &&
                Resolve(library, "fftwf_plan_dft_c2r_1d", f.planInverse) &&
                Resolve(library, "fftwf_execute_dft_r2c", f.executeForward) &&
                Resolve(library, "fftwf_execute_dft_c2r", f.executeInverse) &&
                Resolve(library, "fftwf_destroy_plan", f.destroyPlan) &&
                Resolve(library, "fftwf_malloc", f.allocate) &&
                Resolve(library, "fftwf_free", f.release);
    if (!loaded.ok)
        loaded.errorText = std::string("Die Bibliothek ") + FftwSoname +
                           " ist zu alt. (System: " + SystemReason() + ")";
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
