#pragma once

#include "protocol/wire_format.h"
#include "values/parameter_set.h"
#include "values/result.h"

namespace velmora {

// Encodes the parameter set into the image, field by field as the byte map lists them,
// in IEEE double precision step by step. A value whose byte would fall outside 0..255,
// or a peripheral number that is not a whole number from 0 to 9999, is a problem naming
// its control: no image then, never a wrapped or truncated byte.
Result<Image> encodeImage(const ParameterSet& parameters);

// The three frequency bytes of one text, exposed for tests and tools.
struct FrequencyBytes {
    double nLow;
    double aByte; // 2·A rounded
    double nHigh;
};
FrequencyBytes transmitFrequencyBytes(double megahertz);
FrequencyBytes receiveFrequencyBytes(double megahertz);

} // namespace velmora
