#include "values/text_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace velmora {

namespace {

bool isIgnored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

double textValue(std::string_view text) {
    // Gather the number with the ignored characters left out, then convert it with a
    // locale-free parser.
    std::string number;
    bool negative = false;
    bool seenSign = false;
    bool seenPoint = false;
    bool seenDigit = false;
    for (char c : text) {
        if (isIgnored(c))
            continue;
        if ((c == '+' || c == '-') && !seenSign && !seenDigit && !seenPoint) {
            seenSign = true;
            negative = c == '-';
        } else if (isDigit(c)) {
            seenDigit = true;
            number += c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            number += c;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too small to represent reads as 0; too large as infinity.
        const bool tiny = number.find_first_of("123456789") > number.find('.');
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

} // namespace velmora
