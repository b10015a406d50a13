#include "protocol/image_decode.h"

#include <charconv>
#include <cmath>

namespace velmora {

namespace {

constexpr int kSignificantDigits = 15;
constexpr std::size_t kShownCharacters = 8;
constexpr double kSmallestGeneral = 1e-4;

// Drops the zeros that end a fraction, and the point when nothing is left after it.
std::string withoutTrailingZeros(std::string text) {
    if (text.find('.') == std::string::npos || text.find('e') != std::string::npos)
        return text;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace

std::string frequencyText(double megahertz) {
    char buffer[512]; // room for the fixed form of the smallest double
    const double magnitude = std::fabs(megahertz);
    std::to_chars_result written{};
    if (magnitude != 0.0 && magnitude < kSmallestGeneral) {
        // Plain digits instead of an exponent, still 15 significant ones.
        const int leadingZeros = -static_cast<int>(std::floor(std::log10(magnitude))) - 1;
        written = std::to_chars(buffer, buffer + sizeof buffer, megahertz, std::chars_format::fixed,
                                leadingZeros + kSignificantDigits);
    } else {
        written = std::to_chars(buffer, buffer + sizeof buffer, megahertz,
                                std::chars_format::general, kSignificantDigits);
    }
    if (written.ec != std::errc{})
        return {};
    std::string text = withoutTrailingZeros(std::string(buffer, written.ptr));
    if (text.size() > kShownCharacters)
        text.resize(kShownCharacters);
    return text;
}

} // namespace velmora
