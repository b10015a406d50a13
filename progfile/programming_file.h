#pragma once

#include "protocol/frames.h"
#include "values/result.h"

#include <cstddef>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <system_error>

namespace velmora {

// The longest value the reader takes, in characters from its first to its last
// non-blank one (sign, leading zeros and point included): far above any number an
// editor or a spreadsheet writes for a byte, yet a bound on what one value may hold.
inline constexpr std::size_t kLongestProgrammingFileValue = 256;

// The programming file: 98 lines, one frame byte each, written " 170 \r\n".
std::string formatProgrammingFile(const Frame& frame);

// Reads the first 98 values: one per line or several separated by commas, blanks
// around them skipped, an empty line or an empty field read as 0, each rounded half to
// even and required to lie in 0..255. A UTF-8 byte-order mark at the very start is
// skipped. Lines may be of any length: nothing is held per line, only the value being
// read, which may be up to kLongestProgrammingFileValue characters long. Stops at the
// 98th value; fewer values, a value that is not a number or is longer than that is a
// problem naming the line.
Result<Frame> readProgrammingFile(std::istream& in);

// Reads the programming file at `path`. Only a regular file (or a link to one) is
// read; a folder, a named pipe, a socket or a device is refused at once, without
// waiting for a writer or reading endless data. Problems name the file and the cause.
Result<Frame> loadProgrammingFile(const std::filesystem::path& path);

// Why a name that exists does not lead to a regular file (a folder, a named pipe, a
// socket, a device), in the operator's words; none for a regular file, a link to one
// and a name that leads nowhere. Loading and saving both refuse such a name.
std::optional<std::string> notARegularFile(const std::filesystem::path& path);

// The cause of a failed file operation, as an Italian phrase ("permesso negato",
// "disco pieno", ...); the system's own text for a cause without one.
std::string describeFileError(std::error_code error);

} // namespace velmora
