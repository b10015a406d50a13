#pragma once

#include "exchange/parameter_listing.h"
#include "protocol/config_image.h"

#include <string>
#include <vector>

namespace velmora::exchange {

// One parameter that two configurations hold differently; for an image byte that no
// listed value shows (a marker, a bit nothing reads) the caption names the byte.
struct Difference {
    std::string caption;
    std::string first;
    std::string second;
};

// Every difference between two images, each also seen as the form it gives: the
// parameters whose shown values differ, in the window's order, then the bytes whose
// change none of those values accounts for. Empty when the images are equal.
std::vector<Difference> differences(const Image& first, const Listing& firstListing,
                                    const Image& second, const Listing& secondListing);

} // namespace velmora::exchange
