#pragma once

#include "values/parameter_set.h"
#include "values/result.h"
#include "protocol/config_image.h"

#include <array>
#include <cstdint>
#include <string>

namespace velmora {

// Where an image comes from decides a few decoding rules: a device reply chooses the
// band from the transmit frequency, reads only position bits 0 to 4 while the
// control-panel mode is off, and ignores the two top bits of the range high bytes.
enum class ImageSource { FileImport, DeviceReply };

enum class PanelMode {
    Off,       // neither bit 0 nor bit 1 of image byte 20
    InsDisOne, // bit 0: control-panel mode, Ins/DIS position 1 (`Option4`)
    InsDisSix, // bit 1 without bit 0: control-panel mode, Ins/DIS position 6 (`Option3`)
};

// The checked values of one image, ready to be written into the window in the decoding
// order. Texts are exactly what the controls will show.
struct DecodedImage {
    double txFrequency{}; // fTX, 0.00001 included: chooses the receive offset and the band
    std::string txttx;
    std::string txtrx;
    bool uhf{}; // device reply only: the transmit frequency is above 175 MHz

    std::string txtnumero;
    std::string txtgruppo;
    std::string txtmodif1;
    std::string txtmodif2;
    std::string txtcodatt;
    int combotonoRow{};
    std::string textsincro;
    std::string textoutimp;
    std::string text1;
    std::string textintert;

    // Bit i (i = 0..5) clear selects member 5 - i, set deselects it, in the order i = 0..5.
    std::uint8_t reteMask{};
    std::uint8_t battMask{};
    int positionBitsRead{6}; // 5 for a device reply whose mode is off: member 0 untouched

    bool beep{}; // bit 2 of image byte 20
    PanelMode mode{PanelMode::Off};

    // Written only when the mode is on.
    std::array<bool, kPositionCount> check3{}; // by control index: check3[5 - i] = bit i
    std::string txtsir;
    std::string txtin;
    std::string txtout;

    std::array<std::string, kRangeCount> text2;
    std::array<std::string, kRangeCount> text3;
    bool lo{}; // bit 0 of image byte 27
};

// Checks the whole image and returns every value, or every problem (a peripheral
// number beyond the 16-bit range, a tone byte from 32 to 254, a range high byte of 128
// or more on import) naming its field. Nothing is returned to half-apply.
Result<DecodedImage> decodeImage(const Image& image, ImageSource source);

// The frequency in MHz with at most 15 significant digits, "." whatever the locale,
// trailing zeros dropped, cut to 8 characters: 160.00001 -> "160.0000", 460.2 -> "460.2".
std::string frequencyText(double megahertz);

} // namespace velmora
