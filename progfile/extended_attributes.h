#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// Copies every extended attribute of the file at `from` (its access control list,
// "system.posix_acl_access", among them) onto the open file `to`, so that a file saved
// in its place keeps them. Returns what could not be copied, one Italian phrase each
// ("attributo esteso security.capability: permesso negato"); a file system without
// extended attributes, or a file that does not exist, has nothing to copy.
std::vector<std::string> copyExtendedAttributes(const std::filesystem::path& from, int to);

} // namespace velmora
