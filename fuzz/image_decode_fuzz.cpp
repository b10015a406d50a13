// 96 arbitrary bytes as a configuration image, decoded both as an imported file and as
// a unit's reply, and written into a window at start-up and into one already in
// control-panel mode. What the window then shows must be what was decoded, and an
// imported image the encoder accepts must decode again to the same values.
#include "fuzz_check.h"
#include "model/form_model.h"
#include "protocol/config_image.h"
#include "protocol/image_decode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using velmora::DecodedImage;
using velmora::FormModel;
using velmora::ImageSource;
using velmora::PanelMode;

// The names of a range column's boxes, formatted once rather than on every input.
using RangeNames = std::array<std::string, velmora::kRangeCount>;

RangeNames rangeNames(const char* column) {
    RangeNames names;
    for (int k = 0; k < velmora::kRangeCount; ++k)
        names[static_cast<std::size_t>(k)] = std::string(column) + "(" + std::to_string(k) + ")";
    return names;
}

const RangeNames kMinimumBoxes = rangeNames("Text2");
const RangeNames kMaximumBoxes = rangeNames("Text3");

FormModel windowAtStart(bool controlPanel) {
    FormModel form;
    form.selectStartBand();
    if (controlPanel)
        form.setValue("Check1", true);
    return form;
}

void checkWindowShows(const FormModel& form, const DecodedImage& image, ImageSource source) {
    FUZZ_CHECK(form.text("txttx") == image.txttx);
    FUZZ_CHECK(form.text("txtrx") == image.txtrx);
    FUZZ_CHECK(form.text("Txtnumero") == image.txtnumero);
    FUZZ_CHECK(form.text("Txtgruppo") == image.txtgruppo);
    FUZZ_CHECK(form.text("Textintert") == image.textintert);
    FUZZ_CHECK(form.comboRow() == image.combotonoRow);
    for (std::size_t k = 0; k < kMinimumBoxes.size(); ++k) {
        FUZZ_CHECK(form.text(kMinimumBoxes[k]) == image.text2[k]);
        FUZZ_CHECK(form.text(kMaximumBoxes[k]) == image.text3[k]);
    }
    FUZZ_CHECK(form.value("Check1") == (image.mode != PanelMode::Off));
    FUZZ_CHECK(form.value("Check2") == image.lo);
    if (image.mode != PanelMode::Off) {
        FUZZ_CHECK(form.value("Check4") == image.beep);
        FUZZ_CHECK(form.value("Option4") == (image.mode == PanelMode::InsDisOne));
        FUZZ_CHECK(form.text("Txtsir") == image.txtsir);
    }
    if (source == ImageSource::DeviceReply) {
        FUZZ_CHECK(!form.imageLoading());
        FUZZ_CHECK(form.value("Option2") == image.uhf);
        FUZZ_CHECK(form.value("Option1") == !image.uhf);
    }
}

// A unit's reply keeps only 14 bits of a range value.
std::string deviceRangeText(const std::string& text) {
    constexpr int kDeviceRangeLimit = 1 << 14;
    return std::to_string(std::stoi(text) % kDeviceRangeLimit);
}

// The fields that pass through the encoder unchanged; frequencies do not (their
// text is cut and the receive offset is chosen differently on each side).
void checkSameValues(const DecodedImage& first, const DecodedImage& again, ImageSource source) {
    FUZZ_CHECK(again.txtnumero == first.txtnumero);
    FUZZ_CHECK(again.txtgruppo == first.txtgruppo);
    FUZZ_CHECK(again.txtmodif1 == first.txtmodif1);
    FUZZ_CHECK(again.txtmodif2 == first.txtmodif2);
    FUZZ_CHECK(again.txtcodatt == first.txtcodatt);
    FUZZ_CHECK(again.combotonoRow == first.combotonoRow);
    FUZZ_CHECK(again.textsincro == first.textsincro);
    FUZZ_CHECK(again.textoutimp == first.textoutimp);
    FUZZ_CHECK(again.text1 == first.text1);
    FUZZ_CHECK(again.textintert == first.textintert);
    for (std::size_t k = 0; k < first.text2.size(); ++k) {
        const bool device = source == ImageSource::DeviceReply;
        FUZZ_CHECK(again.text2[k] == (device ? deviceRangeText(first.text2[k]) : first.text2[k]));
        FUZZ_CHECK(again.text3[k] == (device ? deviceRangeText(first.text3[k]) : first.text3[k]));
    }
    FUZZ_CHECK(again.lo == first.lo);
    FUZZ_CHECK(again.mode == first.mode);
    if (first.mode != PanelMode::Off)
        FUZZ_CHECK(again.beep == first.beep);
}

void decodeInto(const velmora::Image& image, ImageSource source, bool controlPanel) {
    const velmora::Result<DecodedImage> decoded = velmora::decodeImage(image, source);
    if (!decoded.ok()) {
        FUZZ_CHECK(!decoded.problems().empty());
        return;
    }
    FormModel form = windowAtStart(controlPanel);
    form.applyDecodedImage(decoded.value(), source);
    checkWindowShows(form, decoded.value(), source);
    if (source != ImageSource::FileImport)
        return;

    const velmora::Result<velmora::Image> encoded = velmora::encodeImage(form.parameters());
    if (!encoded.ok())
        return;
    for (const ImageSource again : {ImageSource::FileImport, ImageSource::DeviceReply}) {
        const velmora::Result<DecodedImage> redecoded = velmora::decodeImage(*encoded, again);
        FUZZ_CHECK(redecoded.ok());
        checkSameValues(decoded.value(), redecoded.value(), again);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < static_cast<std::size_t>(velmora::kImageSize))
        return 0;
    velmora::Image image{};
    std::copy_n(data, image.size(), image.begin());
    for (const ImageSource source : {ImageSource::FileImport, ImageSource::DeviceReply})
        for (const bool controlPanel : {false, true})
            decodeInto(image, source, controlPanel);
    return 0;
}
