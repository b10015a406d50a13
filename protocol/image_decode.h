#pragma once

#include "protocol/config_image.h"
#include "values/parameter_set.h"
#include "values/result.h"

#include <string>

namespace velmora {

// Where an image comes from decides a few decoding rules: a device reply chooses the
// band from the transmit frequency, reads only position bits 0 to 4 while the
// control-panel mode is off, and ignores the two top bits of the range high bytes.
enum class ImageSource { FileImport, DeviceReply };

// The checked values of one image, ready to be written into the window in the decoding
// order. Texts are exactly what the controls will show. Where the parameter set holds a
// selection, the decoded one holds what the image asks for:
// - `mainsPosition`, `batteryPosition`: every member the image chooses, selected in
//   the order of their bits (member 5 first), so the last one chosen stays;
// - `controlPanel`, `insDisOne`, `insDisSix`: the mode of image byte 20, bit 0 before bit 1;
//   `beep` is bit 2 whatever the mode;
// - `vhfBand`, `uhfBand`: the band the transmit frequency lies in (applied to a reply only);
// - `directInputs` and the three control-panel times: written only in control-panel mode.
struct DecodedImage {
    ParameterSet values;
    int positionBitsRead{kPositionCount}; // 5 for a reply whose mode is off: member 0 untouched
    double transmitMegahertz{};           // fTX, the text nudge included
};

// Checks the whole image and returns every value, or every problem (a peripheral
// number beyond the 16-bit range, a tone byte from 32 to 254, a range high byte of 128
// or more on import) naming its field. Nothing is returned to half-apply.
Result<DecodedImage> decodeImage(const Image& image, ImageSource source);

// The frequency in MHz with at most 15 significant digits, "." whatever the locale,
// trailing zeros dropped, cut to 8 characters: 160.00001 -> "160.0000", 460.2 -> "460.2".
std::string frequencyText(double megahertz);

} // namespace velmora
