#pragma once

#include "cli/verb_table.h"

#include <string>
#include <vector>

namespace velmora::cli {

// The words after the verb, checked against its row of the table: only the options it
// takes, each value within its limits, as many plain words as it takes and the options
// it needs. Otherwise the first thing wrong, as bad input.
Step<Arguments> checkArguments(const Verb& verb, const std::vector<std::string>& words);

} // namespace velmora::cli
