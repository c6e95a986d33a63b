#pragma once
// Uniform and Gaussian numbers from the generator's raw output: the same on
// every standard library, unlike the distributions, so a seed is a stage.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace stage {

class SeededNumbers {
  public:
    explicit SeededNumbers(std::uint32_t seed) : engine_(seed) {}
    double Uniform() { return engine_() / 4294967296.0; }
    double Between(double low, double high) { return low + (high - low) * Uniform(); }
    // Even on a log scale between low and high.
    double LogBetween(double low, double high) { return low * std::pow(high / low, Uniform()); }
    int Below(int count) { return std::min(count - 1, int(Uniform() * count)); }
    double Gaussian()
    {
        const double u1 = 1.0 - Uniform();
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }

  private:
    std::mt19937 engine_;
};

} // namespace stage
