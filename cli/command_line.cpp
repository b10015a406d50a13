#include "cli/command_line.h"

#include <cmath>

namespace velmora::cli {

Result<std::chrono::milliseconds> timeoutOption(const Arguments& arguments,
                                                std::chrono::milliseconds fallback) {
    constexpr std::chrono::milliseconds kShortestWait{1};
    constexpr double kLongestSeconds = 3600;
    const auto given = arguments.options.find("--timeout");
    if (given == arguments.options.end())
        return fallback;
    // A wait that rounds to 0 ms could never be answered.
    const auto value = decimalNumber(given->second, -kLongestSeconds, kLongestSeconds);
    const std::chrono::milliseconds wait(value ? std::lround(*value * 1000) : 0);
    if (wait < kShortestWait)
        return Problem{"--timeout",
                       "--timeout takes seconds from 0.001 to 3600 (whole milliseconds), not \"" +
                           given->second + "\""};
    return wait;
}

} // namespace velmora::cli
