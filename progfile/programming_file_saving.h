#pragma once

#include "protocol/frames.h"
#include "values/result.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// A save that went through. A replaced file passes its permissions, access control
// list and extended attributes on to the new one; what the file system would not let
// it keep is listed here, one phrase each ("attributo esteso security.capability:
// permesso negato"), and the save still counts as done.
struct SavedFile {
    std::vector<std::string> notKept;
};

// Saves `frame` as a programming file under the name the operator gave, and touches
// nothing else. The text goes to a new file of its own, created exclusively under an
// unpredictable name beside the target and renamed over it once complete, so a failed
// save leaves the old file as it was. A name that is a symbolic link saves into the
// file it points to and keeps the link; a name that leads to anything but a regular
// file (a device, a named pipe, a socket, a folder) is refused before anything is
// written; an existing file keeps its permissions, and a read-only one is refused; in
// a folder the user may not write, an existing writable file is written in place. A
// failure names the cause ("cartella inesistente", "permesso negato", "disco pieno",
// "è un dispositivo, non un file", ...).
Result<SavedFile> saveProgrammingFile(const std::filesystem::path& path, const Frame& frame);

// The details of a save that could not keep everything: one line per thing lost.
std::string describeNotKept(const SavedFile& saved);

} // namespace velmora
