#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"

#include <ostream>

namespace velmora::cli {

// Each takes its arguments as the verb table has checked them (cli/verb_table.cpp).

// show FILE.prg [--json]: every parameter as the window shows it.
ExitStatus showCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// diff A.prg B.prg: the parameters that differ, with both values.
ExitStatus diffCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// set FILE.prg NAME=VALUE ... -o OUT.prg: the file the window would save after these
// changes; nothing is written when one of them is refused.
ExitStatus setCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

} // namespace velmora::cli
