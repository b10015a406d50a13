#pragma once

#include "link/open_failure.h"
#include "values/result.h"

#include <QString>

namespace velmora {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 8;

// Where the device behind a port number came from.
enum class PortSource { Environment, Map, Default };

struct ResolvedPort {
    QString device;
    PortSource source;
};

// The device behind port number n (1 to 8), the one rule of the window and the command
// line: VELMORA_COM<n> when it is set and not empty (tests, one-off runs), otherwise the
// saved port map, otherwise the platform's n-th serial port (/dev/ttyS<n-1>, COM<n>).
// A map that is there but cannot be used stops the rule, with the file and the reason
// (OpenProblem::BrokenMap): the number may be in it, so the default is not taken.
Result<ResolvedPort, OpenFailure> resolvePort(int portNumber);

inline Result<QString, OpenFailure> deviceForPort(int portNumber) {
    auto resolved = resolvePort(portNumber);
    if (!resolved) {
        return resolved.error();
    }
    return resolved->device;
}

// "environment", "map", "default".
const char* sourceName(PortSource source);

} // namespace velmora
