#include "protocol/config_image.h"

#include "values/text_value.h"

#include <cmath>

namespace velmora {

namespace {

// Splits a channel count into the synthesiser's N (low and high byte) and twice A,
// each step in double precision as the unit expects them.
FrequencyBytes splitChannels(double channels) {
    const double n = std::floor(channels / kASpan);
    const double a = channels - kASpan * n;
    const double nHigh = std::floor(n / 256.0);
    return {n - 256.0 * nHigh, roundHalfEven(2.0 * a), nHigh};
}

} // namespace

FrequencyBytes transmitFrequencyBytes(double megahertz) {
    return splitChannels(megahertz / kChannelWidth);
}

FrequencyBytes receiveFrequencyBytes(double megahertz) {
    // The offset follows the receive frequency alone; 200 itself takes the VHF offset.
    const double offset = megahertz > kEncodeUhfAbove ? -kUhfReceiveOffset : kVhfReceiveOffset;
    return splitChannels((megahertz + offset) / kChannelWidth);
}

} // namespace velmora
