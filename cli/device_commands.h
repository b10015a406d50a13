#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"

#include <ostream>

namespace velmora::cli {

// The commands that talk to a unit through --port N (1 to 8, mapped as the window maps
// it) or --device PATH, each exchange ended by --timeout SECONDS (2 by default).
// Results go to `out`, messages to `err`; a batch's positions and summary go to the
// program's own standard output and error.

// read -o FILE.prg: the unit's image, saved as a programming file.
ExitStatus readCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// program FILE.prg [--verify]: the file's frame, acknowledged; then read back.
ExitStatus programCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// The highest peripheral number a unit takes (four digits).
inline constexpr long kHighestPeripheralNumber = 9999;

// batch FILE.prg --number-from N --count C [--verify]: unit after unit.
ExitStatus batchCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

} // namespace velmora::cli
