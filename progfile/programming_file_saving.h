#pragma once

#include "protocol/frames.h"
#include "values/result.h"

#include <filesystem>

namespace velmora {

// Saves `frame` as a programming file under the name the operator gave, and touches
// nothing else. The text goes to a new file of its own, created exclusively under an
// unpredictable name beside the target and renamed over it once complete, so a failed
// save leaves the old file as it was. A name that is a symbolic link saves into the
// file it points to and keeps the link; an existing file keeps its permissions, and a
// read-only one is refused; in a folder the user may not write, an existing writable
// file is written in place. A failure names the cause ("cartella inesistente",
// "permesso negato", "disco pieno", ...).
Status saveProgrammingFile(const std::filesystem::path& path, const Frame& frame);

} // namespace velmora
