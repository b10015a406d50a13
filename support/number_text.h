#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Numbers that a person or a program wrote, read whole and checked: every character
// belongs to the number, which lies within its limits, else there is none.

// A whole number from first to last: digits only, all of the text, no sign or blank.
std::optional<long> wholeNumber(std::string_view text, long first, long last);
// A number with an optional fraction ("2", "0.5"), read without the locale, from first
// to last.
std::optional<double> decimalNumber(std::string_view text, double first, double last);

// The shortest text that reads back as `value`, without the locale: "0.001", "3600".
std::string shortestText(double value);

} // namespace velmora
