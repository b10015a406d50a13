#include "exchange/verification.h"

#include "exchange/form_loading.h"

namespace velmora::exchange {
namespace {

// A unit may hold an image the window cannot show; its bytes are compared all the same.
Listing listingOf(const Image& image) {
    const Result<FormModel> form = formFromImage(image);
    return form ? listParameters(*form) : Listing{};
}

} // namespace

std::vector<Difference> compareReadBack(const Image& sent, const Image& held) {
    return differences(sent, listingOf(sent), held, listingOf(held));
}

std::string describeReadBack(const Difference& difference) {
    return difference.caption + ": sent " + difference.first + ", unit holds " + difference.second;
}

} // namespace velmora::exchange
