#include "cli/command_line.h"

#include <cmath>
#include <limits>

namespace velmora::cli {

std::optional<std::chrono::milliseconds> secondsWithin(const std::string& text, double first,
                                                       double last) {
    const auto value = decimalNumber(text, -last, last);
    if (!value)
        return std::nullopt;
    const std::chrono::milliseconds wait(std::lround(*value * 1000));
    if (wait < std::chrono::milliseconds(std::lround(first * 1000)))
        return std::nullopt;
    return wait;
}

std::chrono::milliseconds timeoutOf(const Arguments& arguments,
                                    std::chrono::milliseconds fallback) {
    const auto given = arguments.options.find("--timeout");
    if (given == arguments.options.end())
        return fallback;
    return secondsWithin(given->second, 0, std::numeric_limits<double>::max()).value_or(fallback);
}

} // namespace velmora::cli
