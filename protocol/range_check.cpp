#include "protocol/range_check.h"

#include "values/text_value.h"

namespace velmora {
namespace {

bool pairFails(double min, double max) {
    return (min == 0 && max != 0) || (min != 0 && max == 0) || max < min;
}

} // namespace

std::optional<int> firstFailingRangePair(const ParameterSet& parameters) {
    for (int k = 0; k < kRangeCount; ++k) {
        const auto index = static_cast<std::size_t>(k);
        if (pairFails(textValue(parameters.rangeMinimum[index]),
                      textValue(parameters.rangeMaximum[index]))) {
            return k;
        }
    }
    return std::nullopt;
}

} // namespace velmora
