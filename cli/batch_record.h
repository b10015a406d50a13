#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "production/production_line.h"

#include <string>

namespace velmora::cli {

// The CSV copy of a batch (--log FILE.csv): every attempt appended once the store has
// it, held against every other writer for as long as the recorder lives; no recorder
// without --log. The store, not this copy, decides which numbers are free.
// `labelOf` names a position ("port 3") as the record's position column shows it.
Step<production::UnitRecorder> openBatchMirror(const Arguments& arguments,
                                               const std::string& configurationFile,
                                               const std::string& sha256,
                                               std::function<std::string(int)> labelOf);

} // namespace velmora::cli
