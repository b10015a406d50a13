#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "protocol/wire_format.h"

#include <QString>

#include <ostream>
#include <string>

namespace velmora::cli {

class CommandHistory;

// The commands that talk to a unit through --port N (1 to 8, mapped as the window maps
// it) or --device PATH, each exchange ended by --timeout SECONDS (2 by default).
// Results go to `out`, messages to `err`; a batch's positions and summary go to the
// program's own standard output and error.

// read -o FILE.prg: the unit's image, saved as a programming file.
ExitStatus readCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// program FILE.prg [--verify] [--no-backup]: what the unit held kept in the history, the
// file's frame, acknowledged; then read back.
ExitStatus programCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

// An image to program: the file it came from (empty when none), what the history calls
// the programming, and whether it is read back.
struct Programming {
    Image image;
    QString file;
    std::string action;
    bool verify = false;
};

// Programs the image on the line of the arguments, first keeping what the unit held
// unless --no-backup is given; every frame sent and image read kept in `history`.
ExitStatus programImage(const Arguments& arguments, const Programming& job, CommandHistory& history,
                        std::ostream& out, std::ostream& err);

// The highest peripheral number a unit takes (four digits).
inline constexpr long kHighestPeripheralNumber = 9999;

// batch FILE.prg --number-from N --count C [--verify]: unit after unit.
ExitStatus batchCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

} // namespace velmora::cli
