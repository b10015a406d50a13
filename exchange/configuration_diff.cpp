#include "exchange/configuration_diff.h"

#include <algorithm>

namespace velmora::exchange {
namespace {

bool accountedFor(const std::vector<const ListedParameter*>& changed, int n) {
    for (const std::string& control : controlsOfImageByte(n))
        for (const ListedParameter* parameter : changed)
            if (std::find(parameter->controls.begin(), parameter->controls.end(), control) !=
                parameter->controls.end())
                return true;
    return false;
}

} // namespace

std::vector<Difference> differences(const Image& first, const Listing& firstListing,
                                    const Image& second, const Listing& secondListing) {
    std::vector<Difference> found;
    if (first == second)
        return found;
    std::vector<const ListedParameter*> changed;
    for (std::size_t i = 0; i < firstListing.size() && i < secondListing.size(); ++i)
        if (firstListing[i].value != secondListing[i].value) {
            changed.push_back(&firstListing[i]);
            found.push_back(
                {firstListing[i].caption, firstListing[i].value, secondListing[i].value});
        }
    for (int n = 1; n <= kImageSize; ++n)
        if (imageByte(first, n) != imageByte(second, n) && !accountedFor(changed, n))
            found.push_back({"image byte " + std::to_string(n), std::to_string(imageByte(first, n)),
                             std::to_string(imageByte(second, n))});
    return found;
}

} // namespace velmora::exchange
