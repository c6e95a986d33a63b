#pragma once
// Rounding of every pixel coordinate and of the mouse level: to the nearest
// integer, an exact half to the even neighbour. Written out rather than left
// to the floating-point rounding mode, which a library could have changed;
// out-of-range values saturate instead of overflowing.

#include <climits>
#include <cmath>

inline int Nearest(double x)
{
    if (std::isnan(x))
        return 0;
    const double below = std::floor(x);
    const double fraction = x - below; // exact for doubles
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    if (rounded >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (rounded <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(rounded);
}
