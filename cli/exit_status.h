#pragma once

#include "exchange/failure.h"

#include <ostream>

namespace velmora::cli {

// The engines' statuses and failures are the command line's own.
using exchange::badInput;
using exchange::ExitStatus;
using exchange::Failure;
using exchange::Step;

// Says "velmora-cli: message" on `err` and gives the status back: the one way a command
// tells why it stopped.
inline ExitStatus report(std::ostream& err, const Failure& failure) {
    err << "velmora-cli: " << failure.message << "\n" << std::flush;
    return failure.status;
}

inline int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

} // namespace velmora::cli
