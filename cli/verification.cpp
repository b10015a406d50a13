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

std::variant<std::vector<Difference>, LineTrouble> readBack(UnitSession& session,
                                                            const Image& sent) {
    const std::variant<Image, LineTrouble> held = session.read();
    if (const auto* trouble = std::get_if<LineTrouble>(&held))
        return *trouble;
    return compareReadBack(sent, std::get<Image>(held));
}

std::vector<Difference> compareReadBack(const Image& sent, const Image& held) {
    return differences(sent, listingOf(sent), held, listingOf(held));
}

std::string describeReadBack(const Difference& difference) {
    return difference.caption + ": sent " + difference.first + ", unit holds " + difference.second;
}

} // namespace velmora::cli
