#pragma once

#include "cli/exit_status.h"
#include "support/command_options.h"

#include <ostream>

namespace velmora::cli {

// `job create NAME FILE.prg --numbers 101-400`, `job list`, `job show NAME`,
// `job close NAME`: the jobs of the production store (--store as for batch).
ExitStatus jobCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// `record export [--job NAME] [-o FILE.csv]`: every number that left the store's free
// ones, as an RFC 4180 record; `record show NUMBER [--job NAME]`: what went into the
// unit that holds the number, when, where, by whom, and whether it was verified.
ExitStatus recordCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

} // namespace velmora::cli
