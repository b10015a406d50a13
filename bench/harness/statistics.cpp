#include "harness/statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::bench {

double median(std::vector<double> values) {
    if (values.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(std::clamp(fraction, 0.0, 1.0) * values.size());
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

Spread spreadOf(const std::vector<double>& runs) {
    if (runs.empty()) {
        const double none = std::numeric_limits<double>::quiet_NaN();
        return {none, none, none};
    }
    const auto [low, high] = std::minmax_element(runs.begin(), runs.end());
    return {median(runs), *low, *high};
}

} // namespace velmora::bench
