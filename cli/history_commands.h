#pragma once

#include "cli/exit_status.h"
#include "support/command_options.h"

#include <ostream>

namespace velmora::cli {

// history [list] | show ID | save ID -o FILE.prg | diff ID1 ID2 | restore ID --port N:
// every configuration sent to a unit or read from one, kept in the production store.
ExitStatus historyCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

} // namespace velmora::cli
