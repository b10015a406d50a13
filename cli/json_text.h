#pragma once

#include "exchange/parameter_listing.h"
#include "protocol/config_image.h"

#include <string>
#include <string_view>

namespace velmora::cli {

// A JSON string literal: quotes, backslashes and control characters escaped, UTF-8 kept.
std::string jsonString(std::string_view text);

// {"file": ..., "parameters": [{"caption", "controls", "value"}...], "image": [96 numbers]}
std::string configurationJson(std::string_view file, const exchange::Listing& listing,
                              const Image& image);

} // namespace velmora::cli
