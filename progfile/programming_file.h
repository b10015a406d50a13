#pragma once

#include "model/result.h"
#include "protocol/frames.h"

#include <filesystem>
#include <istream>
#include <string>

namespace velmora {

// The programming file: 98 lines, one frame byte each, written " 170 \r\n".
std::string formatProgrammingFile(const Frame& frame);

// Reads the first 98 values: one per line or several separated by commas, blanks
// around them skipped, an empty line or an empty field read as 0, each rounded half to
// even and required to lie in 0..255. Stops at the 98th value; fewer values, a value
// that is not a number, or an absurdly long line is a problem naming the line.
Result<Frame> readProgrammingFile(std::istream& in);

// File-level helpers. Saving writes a temporary file beside the target and renames it
// into place, so a failed save never leaves a truncated file.
Result<Frame> loadProgrammingFile(const std::filesystem::path& path);
Result<bool> saveProgrammingFile(const std::filesystem::path& path, const Frame& frame);

} // namespace velmora
