#pragma once

#include "protocol/wire_format.h"
#include "values/parameter_set.h"

#include <array>
#include <cstddef>
#include <string>

namespace velmora {

// How a parameter becomes its image bytes and comes back.
enum class Encoding {
    PeripheralDigits,  // four decimal digit values, most significant first
    TextByte,          // the text value, rounded
    ToneCode,          // the code of the parameter's row of the tone table
    TransmitFrequency, // N low, 2·A, N high
    ReceiveFrequency,  // the same after the receive offset
    PositionMask,      // bit b clear for the parameter's selected member 5 - b
    ModeByte,          // control-panel mode, Ins/DIS position, beep
    Flag,              // 0 or 1, the parameter's flag
    InputMask,         // bit b set for the parameter's ticked member 5 - b
    RangeValue,        // low byte, high byte
    Marker,            // always 0x41, never read
};

// One field of the configuration image: the image bytes it fills (in the order its
// encoding fills them), how, the parameter it carries, the label whose text is its
// caption, the step at which the decoding writes it into the window, and its place when
// the parameters are listed in the window's reading order (fields sharing a place are
// listed as one parameter: the two modifiers, the two ends of a range).
struct ImageField {
    std::array<int, 4> bytes;
    int byteCount;
    Encoding encoding;
    const ParameterControl* parameter; // null for a marker
    ControlId control;                 // the box, list, check box or first array member
    ControlId caption;      // label, or the check box captioned itself; a range's row caption
    int step;               // decoding step; 0: never decoded
    int listed;             // place in the window's reading order; 0: not listed
    bool panelOnly = false; // decoded only when the image's control-panel mode is on
    int range = -1;         // k of a range value
    // Further controls the encoding reads, besides `control`.
    std::array<ControlId, 3> alsoRead{};
    int alsoReadCount = 0;
};

// Decoding steps whose order matters to the window's reactions.
inline constexpr int kFirstPositionStep = 8; // a device reply sets `ImageLoading` from here

namespace byte_map {

consteval ImageField field(std::array<int, 4> bytes, int count, Encoding encoding,
                           ControlId control, ControlId caption, int step, int listed,
                           bool panelOnly = false) {
    return {bytes, count,  encoding, parameterOf(control), control, caption,
            step,  listed, panelOnly};
}

} // namespace byte_map

// The mode byte as the window shows it: two check boxes, then the Ins/DIS position, which
// one option per position chooses (none chosen: no position).
struct PositionOption {
    ControlId option;
    int position;
};
inline constexpr ControlId kModeBoxes[] = {kControlPanelMode, kBeep};
inline constexpr PositionOption kInsDisOptions[] = {{kInsDisAtSix, 6}, {kInsDisAtOne, 1}};

namespace byte_map {

consteval ImageField modeField(std::array<int, 4> bytes, int step, int listed) {
    ImageField mode =
        field(bytes, 1, Encoding::ModeByte, kModeBoxes[0], kModeBoxes[0], step, listed);
    mode.alsoRead = {kModeBoxes[1], kInsDisOptions[0].option, kInsDisOptions[1].option};
    mode.alsoReadCount = 3;
    return mode;
}

consteval ImageField marker(int byte) {
    return {{byte}, 1, Encoding::Marker, nullptr, ControlId{}, ControlId{}, 0, 0};
}

// Image bytes 1 to 32, in image order. Columns: image bytes, how many, encoding, control,
// caption, decoding step, place in the listing, decoded only in control-panel mode.
inline constexpr ImageField kHeader[] = {
    field({1, 2, 3, 4}, 4, Encoding::PeripheralDigits, "Txtnumero"_control, "Labnumero"_control, 3,
          1),
    field({5}, 1, Encoding::TextByte, "Txtmodif1"_control, "Labmodif"_control, 5, 3),
    field({6}, 1, Encoding::TextByte, "Txtmodif2"_control, "Labmodif"_control, 5, 3),
    field({7}, 1, Encoding::TextByte, "Txtgruppo"_control, "labgruppo"_control, 4, 2),
    field({8}, 1, Encoding::ToneCode, "Combotono"_control, "Labtono"_control, 6, 5),
    field({9}, 1, Encoding::TextByte, "Textsincro"_control, "labsincro"_control, 7, 6),
    field({10}, 1, Encoding::TextByte, "Textoutimp"_control, "laboutimp"_control, 7, 7),
    field({11, 12, 25}, 3, Encoding::TransmitFrequency, "txttx"_control, "Label16"_control, 1, 10),
    field({13, 14, 26}, 3, Encoding::ReceiveFrequency, "txtrx"_control, "Label18"_control, 2, 11),
    field({15}, 1, Encoding::TextByte, "Text1"_control, "Labripet"_control, 7, 8),
    field({16}, 1, Encoding::TextByte, "Textintert"_control, "Labintert"_control, 7, 9),
    marker(17),
    field({18}, 1, Encoding::PositionMask, kMainsRow[0], "Labelmanca"_control, 8, 12),
    field({19}, 1, Encoding::PositionMask, kBatteryRow[0], "Labscar"_control, 9, 13),
    modeField({20}, 10, 14),
    field({21}, 1, Encoding::TextByte, "Txtsir"_control, "Label10"_control, 13, 15, true),
    field({22}, 1, Encoding::TextByte, "txtin"_control, "Label12"_control, 13, 16, true),
    field({23}, 1, Encoding::TextByte, "Txtout"_control, "Label14"_control, 13, 17, true),
    field({24}, 1, Encoding::TextByte, "Txtcodatt"_control, "Labcaodatt"_control, 5, 4),
    // bytes 25 and 26: the frequencies' N high bytes, above
    field({27}, 1, Encoding::Flag, "Check2"_control, "Check2"_control, 15, 19),
    field({28}, 1, Encoding::InputMask, kInputRow[0], "Label30"_control, 12, 18, true),
    marker(29),
    marker(30),
    marker(31),
    marker(32),
};

inline constexpr int kRangeStep = 14;
inline constexpr int kFirstRangeListed = 20;
inline constexpr std::size_t kFieldCount = std::size(kHeader) + 2 * kRangeCount;

// The header, then for each range k its minimum and its maximum.
constexpr std::array<ImageField, kFieldCount> allFields() {
    std::array<ImageField, kFieldCount> fields{};
    std::size_t next = 0;
    for (const ImageField& header : kHeader)
        fields[next++] = header;
    for (int k = 0; k < kRangeCount; ++k) {
        const int first = kFirstRangeByte + kBytesPerRange * k;
        const auto slot = static_cast<std::size_t>(k);
        fields[next++] = {{first, first + 1},
                          2,
                          Encoding::RangeValue,
                          parameterOf(kRangeMinimumBoxes[0]),
                          kRangeMinimumBoxes[slot],
                          kRangeRowCaptions[slot],
                          kRangeStep,
                          kFirstRangeListed + k,
                          false,
                          k};
        fields[next++] = {{first + 2, first + 3},
                          2,
                          Encoding::RangeValue,
                          parameterOf(kRangeMaximumBoxes[0]),
                          kRangeMaximumBoxes[slot],
                          kRangeRowCaptions[slot],
                          kRangeStep,
                          kFirstRangeListed + k,
                          false,
                          k};
    }
    return fields;
}

constexpr std::size_t countWith(const std::array<ImageField, kFieldCount>& fields,
                                int ImageField::*place) {
    std::size_t count = 0;
    for (const ImageField& f : fields)
        count += f.*place > 0 ? 1 : 0;
    return count;
}

// The fields that have a place, by place, and in image order within a place.
template <std::size_t N>
constexpr std::array<const ImageField*, N>
orderBy(const std::array<ImageField, kFieldCount>& fields, int ImageField::*place) {
    std::array<const ImageField*, N> order{};
    std::size_t next = 0;
    for (int at = 1; next < N; ++at)
        for (const ImageField& f : fields)
            if (f.*place == at)
                order[next++] = &f;
    return order;
}

} // namespace byte_map

// Every field of the image: the one description the encoder, the decoder, the window's
// decoding and the command line's listings follow.
inline constexpr std::array<ImageField, byte_map::kFieldCount> kImageFields = byte_map::allFields();

// The fields in the order the decoding writes them into the window.
inline constexpr auto kDecodingOrder =
    byte_map::orderBy<byte_map::countWith(kImageFields, &ImageField::step)>(kImageFields,
                                                                            &ImageField::step);

// The fields in the window's reading order, as the command line lists them.
inline constexpr auto kListingOrder =
    byte_map::orderBy<byte_map::countWith(kImageFields, &ImageField::listed)>(kImageFields,
                                                                              &ImageField::listed);

// The field that image byte n (1 to 96) belongs to.
const ImageField& fieldOfByte(int n);

// The caption a problem names the field by: "Frequenza TX", "Bidirezionali Range 1 min".
std::string fieldCaption(const ImageField& field);

// Whether a range field is the minimum of its pair.
constexpr bool isRangeMinimum(const ImageField& field) {
    return field.parameter->texts == &ParameterSet::rangeMinimum;
}

} // namespace velmora
