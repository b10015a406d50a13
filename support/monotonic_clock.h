#pragma once

#include <chrono>

namespace velmora {

// Milliseconds on the steady clock (CLOCK_MONOTONIC on Linux). The simulated unit's
// byte log, the window's automation events and the bench all stamp with it, so their
// moments compare directly.
inline double monotonicMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace velmora
