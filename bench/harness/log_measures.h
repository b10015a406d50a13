#pragma once

#include "harness/unit_log.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora::bench {

// When the unit received a poll: a "U" between frames. A 0xAA opens a 98-byte frame
// whose bytes, a 0x55 among them, are no polls; a hang-up loses a half frame.
std::vector<double> pollArrivals(const std::vector<LogEntry>& log);

// How far each interval between consecutive moments lies from `periodMs`.
std::vector<double> intervalErrors(const std::vector<double>& moments, double periodMs);

// When the unit last wrote bytes at or before `ms`.
std::optional<double> lastSentAtOrBefore(const std::vector<LogEntry>& log, double ms);

// The moments the unit came back from a fault: a fault switched off ("silent off",
// "garbage off", "noack off", "short 0", "gap 0") or its line opened again after a
// hang-up.
std::vector<double> recoveryMoments(const std::vector<LogEntry>& log);

// For each recovery, how long until the next poll arrived; none when no poll came
// before the log ends.
std::vector<std::optional<double>> resumeDelays(const std::vector<LogEntry>& log);

} // namespace velmora::bench
