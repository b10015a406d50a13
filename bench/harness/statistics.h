#pragma once

#include <vector>

namespace velmora::bench {

// The middle value (the mean of the two middle ones for an even count); NaN when empty.
double median(std::vector<double> values);
// Nearest-rank percentile, `fraction` from 0 to 1; NaN when empty.
double percentile(std::vector<double> values, double fraction);

// The median of several runs and how far they spread.
struct Spread {
    double median;
    double low;
    double high;
};
Spread spreadOf(const std::vector<double>& runs);

} // namespace velmora::bench
