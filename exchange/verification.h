#pragma once

#include "exchange/configuration_diff.h"

#include <string>
#include <vector>

namespace velmora::exchange {

// Compares the image read back with the one sent: empty when the write landed byte for
// byte, otherwise every parameter (or byte) that differs.
std::vector<Difference> compareReadBack(const Image& sent, const Image& held);

// "Numero periferico: sent 101, unit holds 102"
std::string describeReadBack(const Difference& difference);

} // namespace velmora::exchange
