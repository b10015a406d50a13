#pragma once

#include "cli/exit_status.h"

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

// Polls each port named by its number, or else every mapped and every listed port, with
// one "U" at a time, three tries of 150 ms each, and reports which of them have a unit
// answering "V". A port that cannot be opened (another program holds it, no rights, no
// such device) is reported and left alone. Done when at least one unit answered,
// NoAnswer when none did.
ExitStatus probePorts(const std::vector<std::string>& numbers, std::ostream& out,
                      std::ostream& err);

} // namespace velmora::cli
