#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"

#include <ostream>

namespace velmora::cli {

// ports [--json]             the serial ports the system knows and what ports 1 to 8 open
// ports map N DEVICE [--force], ports unmap N   change the saved port map
// ports probe [N ...]        which ports have a unit answering the poll
ExitStatus portsCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

} // namespace velmora::cli
