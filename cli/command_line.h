#pragma once

#include "support/command_options.h"

#include <chrono>
#include <optional>
#include <string>

namespace velmora::cli {

// Seconds with an optional fraction ("2", "0.5"), read without the locale, rounded to
// whole milliseconds, when they come to `first` seconds or more and at most `last`;
// `first` above 0 refuses a wait that rounds to 0 ms, which could never be answered.
std::optional<std::chrono::milliseconds> secondsWithin(const std::string& text, double first,
                                                       double last);

// The --timeout given (already checked against its limits), or `fallback`.
std::chrono::milliseconds timeoutOf(const Arguments& arguments, std::chrono::milliseconds fallback);

} // namespace velmora::cli
