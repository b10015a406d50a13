#pragma once

#include "values/parameter_set.h"

#include <optional>

namespace velmora {

// The check "Programma" makes before encoding: for k = 0 to 15 in order, with the text
// values of `Text2(k)` (min) and `Text3(k)` (max), a pair fails when min is 0 and max is
// not, when min is not 0 and max is, or when max is below min. Returns the first
// failing k; later pairs are not looked at.
std::optional<int> firstFailingRangePair(const ParameterSet& parameters);

} // namespace velmora
