#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/production_line.h"

#include <set>
#include <string>

namespace velmora::cli {

// The record side of a batch: the numbers an earlier batch already sent (--resume), and
// the recorder that appends each attempt to the record (--log, else the --resume file),
// held against every other writer for as long as the recorder lives.
struct BatchRecord {
    std::set<long> alreadySent;
    UnitRecorder recorder;
    std::string path; // the record written, empty without one
};

// `labelOf` names a position ("port 3") as the record's position column shows it.
Step<BatchRecord> openBatchRecord(const Arguments& arguments, const std::string& configurationFile,
                                  std::function<std::string(int)> labelOf);

} // namespace velmora::cli
