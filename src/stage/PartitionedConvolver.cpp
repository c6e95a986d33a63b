#include "stage/PartitionedConvolver.h"

#include <algorithm>
#include <cstring>

namespace stage {

namespace {

// The spectra multiply-add: the convolution's inner loop over all bins of one
// partition, written for the compiler's vectoriser.
void MultiplyAdd(const float* __restrict xRe, const float* __restrict xIm,
                 const float* __restrict hRe, const float* __restrict hIm, float* __restrict sumRe,
                 float* __restrict sumIm, int count)
{
    for (int k = 0; k < count; ++k) {
        sumRe[k] += xRe[k] * hRe[k] - xIm[k] * hIm[k];
        sumIm[k] += xRe[k] * hIm[k] + xIm[k] * hRe[k];
    }
}

} // namespace

PartitionedConvolver::PartitionedConvolver(const FftwFunctions& fftw,
                                           const std::vector<float>& taps, int blockFrames)
    : fftw_(fftw), blockFrames_(blockFrames), bins_(blockFrames + 1),
      stride_((blockFrames + 1 + 7) / 8 * 8),
      partitions_(std::max<int>(1, (int(taps.size()) + blockFrames - 1) / blockFrames))
{
    const int size = 2 * blockFrames;
    time_ = static_cast<float*>(fftw.allocate(sizeof(float) * size));
    spectrum_ = static_cast<fftwf_complex*>(fftw.allocate(sizeof(fftwf_complex) * bins_));
    forward_ = PlanForward(fftw, size, time_, spectrum_);
    inverse_ = PlanInverse(fftw, size, spectrum_, time_);

    const std::size_t total = std::size_t(partitions_) * stride_;
    filterRe_.assign(total, 0.0f);
    filterIm_.assign(total, 0.0f);
    historyRe_.assign(total, 0.0f);
    historyIm_.assign(total, 0.0f);
    sumRe_.assign(stride_, 0.0f);
    sumIm_.assign(stride_, 0.0f);
    lastInput_.assign(blockFrames, 0.0f);

    // Each partition zero-padded to twice the block; the inverse transform's
    // 1/size goes into the filter once.
    const float scale = 1.0f / float(size);
    for (int p = 0; p < partitions_; ++p) {
        std::fill(time_, time_ + size, 0.0f);
        const std::size_t begin = std::size_t(p) * blockFrames;
        const std::size_t end = std::min(taps.size(), begin + blockFrames);
        for (std::size_t i = begin; i < end; ++i)
            time_[i - begin] = taps[i] * scale;
        fftw.executeForward(forward_, time_, spectrum_);
        for (int k = 0; k < bins_; ++k) {
            filterRe_[std::size_t(p) * stride_ + k] = spectrum_[k][0];
            filterIm_[std::size_t(p) * stride_ + k] = spectrum_[k][1];
        }
    }
}

PartitionedConvolver::~PartitionedConvolver()
{
    DestroyPlan(fftw_, forward_);
    DestroyPlan(fftw_, inverse_);
    fftw_.release(spectrum_);
    fftw_.release(time_);
}

void PartitionedConvolver::Process(const float* in, float* out)
{
    const std::size_t blockBytes = sizeof(float) * blockFrames_;
    std::memcpy(time_, lastInput_.data(), blockBytes);
    std::memcpy(time_ + blockFrames_, in, blockBytes);
    std::memcpy(lastInput_.data(), in, blockBytes);
    fftw_.executeForward(forward_, time_, spectrum_);

    newest_ = newest_ == 0 ? partitions_ - 1 : newest_ - 1;
    float* newRe = &historyRe_[std::size_t(newest_) * stride_];
    float* newIm = &historyIm_[std::size_t(newest_) * stride_];
    for (int k = 0; k < bins_; ++k) {
        newRe[k] = spectrum_[k][0];
        newIm[k] = spectrum_[k][1];
    }

    // Partition p meets the input spectrum of p blocks ago.
    std::fill(sumRe_.begin(), sumRe_.end(), 0.0f);
    std::fill(sumIm_.begin(), sumIm_.end(), 0.0f);
    for (int p = 0; p < partitions_; ++p) {
        const std::size_t slot = std::size_t((newest_ + p) % partitions_) * stride_;
        const std::size_t filter = std::size_t(p) * stride_;
        MultiplyAdd(&historyRe_[slot], &historyIm_[slot], &filterRe_[filter], &filterIm_[filter],
                    sumRe_.data(), sumIm_.data(), stride_);
    }
    for (int k = 0; k < bins_; ++k) {
        spectrum_[k][0] = sumRe_[k];
        spectrum_[k][1] = sumIm_[k];
    }
    fftw_.executeInverse(inverse_, spectrum_, time_);
    // Overlap-save: the second half is the linear convolution.
    std::memcpy(out, time_ + blockFrames_, blockBytes);
}

} // namespace stage
