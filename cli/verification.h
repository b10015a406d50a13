#pragma once

#include "cli/configuration_diff.h"
#include "cli/unit_session.h"

#include <string>
#include <vector>

namespace velmora::cli {

// Reads the unit back and compares its image with the one sent: empty when the write
// landed byte for byte, otherwise every parameter (or byte) that differs.
Result<std::vector<Difference>, UnitOutcome> readBack(UnitSession& session, const Image& sent);

// The same comparison for an image already read back.
std::vector<Difference> compareReadBack(const Image& sent, const Image& held);

// "Numero periferico: sent 101, unit holds 102"
std::string describeReadBack(const Difference& difference);

} // namespace velmora::cli
