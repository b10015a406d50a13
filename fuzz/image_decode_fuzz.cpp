// 96 arbitrary bytes as a configuration image, decoded both as an imported file and as
// a unit's reply, and written into a window at start-up and into one already in
// control-panel mode. What the window then shows must be what was decoded, and an
// imported image the encoder accepts must decode again to the same values.
#include "fuzz_check.h"
#include "model/form_model.h"
#include "protocol/config_image.h"
#include "protocol/image_decode.h"
#include "protocol/wire_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using velmora::DecodedImage;
using velmora::FormModel;
using velmora::ImageSource;
using velmora::ParameterSet;
using velmora::operator""_control;

FormModel windowAtStart(bool controlPanel) {
    FormModel form;
    form.selectStartBand();
    if (controlPanel)
        form.setValue("Check1"_control, true);
    return form;
}

void checkWindowShows(const FormModel& form, const DecodedImage& image, ImageSource source) {
    const ParameterSet& values = image.values;
    FUZZ_CHECK(form.text("txttx"_control) == values.transmitFrequency);
    FUZZ_CHECK(form.text("txtrx"_control) == values.receiveFrequency);
    FUZZ_CHECK(form.text("Txtnumero"_control) == values.peripheralNumber);
    FUZZ_CHECK(form.text("Txtgruppo"_control) == values.group);
    FUZZ_CHECK(form.text("Textintert"_control) == values.repetitionInterval);
    FUZZ_CHECK(form.comboRow() == values.toneRow);
    for (std::size_t k = 0; k < velmora::kRangeCount; ++k) {
        FUZZ_CHECK(form.text(velmora::kRangeMinimumBoxes[k]) == values.rangeMinimum[k]);
        FUZZ_CHECK(form.text(velmora::kRangeMaximumBoxes[k]) == values.rangeMaximum[k]);
    }
    FUZZ_CHECK(form.value("Check1"_control) == values.controlPanel);
    FUZZ_CHECK(form.value("Check2"_control) == values.lo);
    if (values.controlPanel) {
        FUZZ_CHECK(form.value("Check4"_control) == values.beep);
        FUZZ_CHECK(form.value("Option4"_control) == values.insDisOne);
        FUZZ_CHECK(form.text("Txtsir"_control) == values.sirenTime);
    }
    if (source == ImageSource::DeviceReply) {
        FUZZ_CHECK(!form.imageLoading());
        FUZZ_CHECK(form.value("Option2"_control) == values.uhfBand);
        FUZZ_CHECK(form.value("Option1"_control) == values.vhfBand);
    }
}

// A unit's reply keeps only 14 bits of a range value.
std::string deviceRangeText(const std::string& text) {
    constexpr int kDeviceRangeLimit = (velmora::kDeviceRangeHighMask + 1) * 256;
    int value = -1;
    std::from_chars(text.data(), text.data() + text.size(), value);
    FUZZ_CHECK(value >= 0);
    return std::to_string(value % kDeviceRangeLimit);
}

// The fields that pass through the encoder unchanged; frequencies do not (their
// text is cut and the receive offset is chosen differently on each side).
void checkSameValues(const ParameterSet& first, const ParameterSet& again, ImageSource source) {
    FUZZ_CHECK(again.peripheralNumber == first.peripheralNumber);
    FUZZ_CHECK(again.group == first.group);
    FUZZ_CHECK(again.firstModifier == first.firstModifier);
    FUZZ_CHECK(again.secondModifier == first.secondModifier);
    FUZZ_CHECK(again.activationCode == first.activationCode);
    FUZZ_CHECK(again.toneRow == first.toneRow);
    FUZZ_CHECK(again.synchronismDuration == first.synchronismDuration);
    FUZZ_CHECK(again.pulseDuration == first.pulseDuration);
    FUZZ_CHECK(again.repetitions == first.repetitions);
    FUZZ_CHECK(again.repetitionInterval == first.repetitionInterval);
    const bool device = source == ImageSource::DeviceReply;
    for (std::size_t k = 0; k < velmora::kRangeCount; ++k) {
        const std::string& minimum = first.rangeMinimum[k];
        const std::string& maximum = first.rangeMaximum[k];
        FUZZ_CHECK(again.rangeMinimum[k] == (device ? deviceRangeText(minimum) : minimum));
        FUZZ_CHECK(again.rangeMaximum[k] == (device ? deviceRangeText(maximum) : maximum));
    }
    FUZZ_CHECK(again.lo == first.lo);
    FUZZ_CHECK(again.controlPanel == first.controlPanel);
    FUZZ_CHECK(again.insDisOne == first.insDisOne);
    if (first.controlPanel)
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
        checkSameValues(decoded->values, redecoded->values, again);
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
