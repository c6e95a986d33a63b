#pragma once
// The median of some figures; none for none. Thread: any.

#include <algorithm>
#include <optional>
#include <vector>

inline std::optional<double> Median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    if (values.size() % 2 == 1)
        return values[middle];
    const double upper = values[middle];
    const double lower = *std::max_element(values.begin(), values.begin() + middle);
    return (lower + upper) / 2;
}
