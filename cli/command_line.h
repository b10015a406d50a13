#pragma once

#include "support/command_options.h"

#include <chrono>

namespace velmora::cli {

// The --timeout given, in seconds with an optional fraction ("2", "0.5") read without
// the locale, from 1 ms (after rounding to whole milliseconds) to an hour; or
// `fallback` when none is given. A value outside those limits is a problem naming them.
Result<std::chrono::milliseconds> timeoutOption(const Arguments& arguments,
                                                std::chrono::milliseconds fallback);

} // namespace velmora::cli
