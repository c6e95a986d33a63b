#include "stage/FftwLibrary.h"

#include "platform/SharedLibrary.h"

#include <mutex>

namespace stage {

namespace {

constexpr char FftwSoname[] = "libfftw3f.so.3";

bool Resolve(const SymbolSource& symbol, FftwFunctions& f)
{
    return symbol("fftwf_plan_dft_r2c_1d", f.planForward) &&
           symbol("fftwf_plan_dft_c2r_1d", f.planInverse) &&
           symbol("fftwf_execute_dft_r2c", f.executeForward) &&
           symbol("fftwf_execute_dft_c2r", f.executeInverse) &&
           symbol("fftwf_destroy_plan", f.destroyPlan) && symbol("fftwf_malloc", f.allocate) &&
           symbol("fftwf_free", f.release);
}

const LazyLibrary<FftwFunctions>& Fftw()
{
    static const LazyLibrary<FftwFunctions> fftw({FftwSoname}, "libfftw3-single3", Resolve);
    return fftw;
}

std::mutex& PlannerLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

const FftwFunctions* LoadFftw(std::string* errorText)
{
    return Fftw().Get(errorText);
}

const FftwFunctions* LoadFftw(QString* errorText)
{
    return Fftw().Get(errorText);
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
