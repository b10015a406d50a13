#include "cli/verification.h"

#include "cli/form_loading.h"

namespace velmora::cli {
namespace {

// A unit may hold an image the window cannot show; its bytes are compared all the same.
Listing listingOf(const Image& image) {
    const Result<FormModel> form = formFromImage(image);
    return form ? listParameters(*form) : Listing{};
}

} // namespace

Result<std::vector<Difference>, UnitOutcome> readBack(UnitSession& session, const Image& sent) {
    const Result<Image, UnitOutcome> held = session.read();
    if (!held)
        return held.error();
    return compareReadBack(sent, *held);
}

std::vector<Difference> compareReadBack(const Image& sent, const Image& held) {
    return differences(sent, listingOf(sent), held, listingOf(held));
}

std::string describeReadBack(const Difference& difference) {
    return difference.caption + ": sent " + difference.first + ", unit holds " + difference.second;
}

} // namespace velmora::cli
