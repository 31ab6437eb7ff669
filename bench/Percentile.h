#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

// The value at fraction `p` (0 to 1) of the sorted values, nearest rank.
inline double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1) + 0.5)];
}
