#pragma once

#include "values/parameter_set.h"
#include "values/result.h"

#include <array>
#include <cstdint>

namespace velmora {

inline constexpr int kImageSize = 96;

// The 96-byte configuration image. Image bytes are numbered 1 to 96 everywhere
// (frame offset n, file line n + 1, reply position n); use imageByte() to address
// them by that number.
using Image = std::array<std::uint8_t, kImageSize>;

inline std::uint8_t imageByte(const Image& image, int n) {
    return image[static_cast<std::size_t>(n - 1)];
}
inline std::uint8_t& imageByte(Image& image, int n) {
    return image[static_cast<std::size_t>(n - 1)];
}

// Encodes the parameter set into the image, in IEEE double precision step by step.
// A value whose byte would fall outside 0..255, or a peripheral number that is not a
// whole number from 0 to 9999, is a problem naming its control: no image then, never
// a wrapped or truncated byte.
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
