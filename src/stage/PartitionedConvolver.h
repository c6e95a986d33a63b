#pragma once
// Convolution with a long impulse response, block by block without added
// delay: uniform partitions of the block size, overlap-save with FFTW
// (r2c/c2r of twice the block), and a frequency-domain delay line of the
// past input spectra.

#include "stage/FftwLibrary.h"

#include <vector>

namespace stage {

class PartitionedConvolver {
  public:
    // Thread: any but the audio thread (plans and allocates).
    PartitionedConvolver(const FftwFunctions& fftw, const std::vector<float>& taps,
                         int blockFrames);
    ~PartitionedConvolver();
    PartitionedConvolver(const PartitionedConvolver&) = delete;
    PartitionedConvolver& operator=(const PartitionedConvolver&) = delete;

    // One block of blockFrames samples in, the same number out; out[n]
    // includes in[n] times taps[0]. Thread: the one thread that processes
    // (audio or renderer); never allocates.
    void Process(const float* in, float* out);

    int PartitionCount() const { return partitions_; }

  private:
    const FftwFunctions& fftw_;
    int blockFrames_;
    int bins_;   // blockFrames + 1
    int stride_; // bins rounded up for vector loads
    int partitions_;
    float* time_; // 2 * blockFrames, FFTW-aligned
    fftwf_complex* spectrum_;
    fftwf_plan forward_;
    fftwf_plan inverse_;
    std::vector<float> filterRe_, filterIm_;   // partitions_ * stride_
    std::vector<float> historyRe_, historyIm_; // the delay line, a ring
    std::vector<float> sumRe_, sumIm_;
    std::vector<float> lastInput_;
    int newest_ = 0;
};

} // namespace stage
