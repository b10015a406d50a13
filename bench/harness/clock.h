#pragma once

#include <chrono>

namespace velmora::bench {

// The clock the program's events and the simulated unit's log are stamped with
// (CLOCK_MONOTONIC), in milliseconds.
inline double monotonicMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace velmora::bench
