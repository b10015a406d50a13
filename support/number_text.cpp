#include "support/number_text.h"

#include <charconv>

namespace velmora {

std::optional<long> wholeNumber(std::string_view text, long first, long last) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text[0] == '-' || error != std::errc{} || stop != end || value < first ||
        value > last)
        return std::nullopt;
    return value;
}

std::optional<double> decimalNumber(std::string_view text, double first, double last) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc{} || stop != end || !(value >= first && value <= last))
        return std::nullopt;
    return value;
}

std::string shortestText(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : std::string("?");
}

} // namespace velmora
