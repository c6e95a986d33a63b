#pragma once
// FFTW3 in single precision, opened on first use rather than linked: the
// game's start never loads it, only a stage does.

#include <fftw3.h>
#include <string>

class QString;

namespace stage {

struct FftwFunctions {
    decltype(&fftwf_plan_dft_r2c_1d) planForward;
    decltype(&fftwf_plan_dft_c2r_1d) planInverse;
    decltype(&fftwf_execute_dft_r2c) executeForward;
    decltype(&fftwf_execute_dft_c2r) executeInverse;
    decltype(&fftwf_destroy_plan) destroyPlan;
    decltype(&fftwf_malloc) allocate;
    decltype(&fftwf_free) release;
};

// The library, loaded by the first call; null when it is missing, with the
// German reason in `errorText`, as --render-stage prints it, or with the
// reason in the player's language. It stays loaded until the process ends.
// Thread: any (loads once).
const FftwFunctions* LoadFftw(std::string* errorText);
const FftwFunctions* LoadFftw(QString* errorText);

// FFTW's planner is not reentrant: every plan is made and destroyed through
// these, under one lock. FFTW_ESTIMATE only, so a plan, and with it every
// result, is the same on every run. Thread: any but the audio thread.
fftwf_plan PlanForward(const FftwFunctions& fftw, int size, float* in, fftwf_complex* out);
fftwf_plan PlanInverse(const FftwFunctions& fftw, int size, fftwf_complex* in, float* out);
void DestroyPlan(const FftwFunctions& fftw, fftwf_plan plan);

} // namespace stage
