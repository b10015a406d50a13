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
    ToneCode,          // the code of the selected tone row
    TransmitFrequency, // N low, 2·A, N high
    ReceiveFrequency,  // the same after the receive offset
    PositionMask,      // bit b clear for the selected member 5 - b
    ModeByte,          // control-panel mode, Ins/DIS position, beep
    LoFlag,            // 0 or 1
    InputMask,         // bit b set for the ticked direct input 5 - b
    RangeValue,        // low byte, high byte
    Marker,            // always 0x41, never read
};

// One field of the configuration image: the image bytes it fills (in the order its
// encoding fills them), how, the parameter it carries, the label whose text is its
// caption, and the step at which the decoding writes it into the window.
struct ImageField {
    std::array<int, 4> bytes;
    int byteCount;
    Encoding encoding;
    const ParameterControl* parameter; // null for a marker
    ControlId control;                 // the box, list, check box or first array member
    ControlId caption;      // label, or the check box captioned itself; a range's row caption
    int step;               // decoding step; 0: never decoded
    bool panelOnly = false; // decoded only when the image's control-panel mode is on
    int range = -1;         // k of a range value
    // Further controls the encoding reads, besides `control`.
    std::array<ControlId, 2> alsoRead{};
    int alsoReadCount = 0;
};

// Decoding steps whose order matters to the window's reactions.
inline constexpr int kFirstPositionStep = 8; // a device reply sets `ImageLoading` from here

namespace byte_map {

consteval ImageField field(std::array<int, 4> bytes, int count, Encoding encoding,
                           ControlId control, ControlId caption, int step, bool panelOnly = false) {
    return {bytes, count, encoding, parameterOf(control), control, caption, step, panelOnly};
}

// The mode byte is read from `Check1`, `Check4` and `Option3`.
consteval ImageField modeField(std::array<int, 4> bytes, int step) {
    ImageField mode = field(bytes, 1, Encoding::ModeByte, "Check1"_control, "Check1"_control, step);
    mode.alsoRead = {"Check4"_control, "Option3"_control};
    mode.alsoReadCount = 2;
    return mode;
}

consteval ImageField marker(int byte) {
    return {{byte}, 1, Encoding::Marker, nullptr, ControlId{}, ControlId{}, 0};
}

// Image bytes 1 to 32, in image order.
inline constexpr ImageField kHeader[] = {
    field({1, 2, 3, 4}, 4, Encoding::PeripheralDigits, "Txtnumero"_control, "Labnumero"_control, 3),
    field({5}, 1, Encoding::TextByte, "Txtmodif1"_control, "Labmodif"_control, 5),
    field({6}, 1, Encoding::TextByte, "Txtmodif2"_control, "Labmodif"_control, 5),
    field({7}, 1, Encoding::TextByte, "Txtgruppo"_control, "labgruppo"_control, 4),
    field({8}, 1, Encoding::ToneCode, "Combotono"_control, "Labtono"_control, 6),
    field({9}, 1, Encoding::TextByte, "Textsincro"_control, "labsincro"_control, 7),
    field({10}, 1, Encoding::TextByte, "Textoutimp"_control, "laboutimp"_control, 7),
    field({11, 12, 25}, 3, Encoding::TransmitFrequency, "txttx"_control, "Label16"_control, 1),
    field({13, 14, 26}, 3, Encoding::ReceiveFrequency, "txtrx"_control, "Label18"_control, 2),
    field({15}, 1, Encoding::TextByte, "Text1"_control, "Labripet"_control, 7),
    field({16}, 1, Encoding::TextByte, "Textintert"_control, "Labintert"_control, 7),
    marker(17),
    field({18}, 1, Encoding::PositionMask, kMainsRow[0], "Labelmanca"_control, 8),
    field({19}, 1, Encoding::PositionMask, kBatteryRow[0], "Labscar"_control, 9),
    modeField({20}, 10),
    field({21}, 1, Encoding::TextByte, "Txtsir"_control, "Label10"_control, 13, true),
    field({22}, 1, Encoding::TextByte, "txtin"_control, "Label12"_control, 13, true),
    field({23}, 1, Encoding::TextByte, "Txtout"_control, "Label14"_control, 13, true),
    field({24}, 1, Encoding::TextByte, "Txtcodatt"_control, "Labcaodatt"_control, 5),
    // bytes 25 and 26: the frequencies' N high bytes, above
    field({27}, 1, Encoding::LoFlag, "Check2"_control, "Check2"_control, 15),
    field({28}, 1, Encoding::InputMask, kInputRow[0], "Label30"_control, 12, true),
    marker(29),
    marker(30),
    marker(31),
    marker(32),
};

inline constexpr int kRangeStep = 14;
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
                          false,
                          k};
        fields[next++] = {{first + 2, first + 3},
                          2,
                          Encoding::RangeValue,
                          parameterOf(kRangeMaximumBoxes[0]),
                          kRangeMaximumBoxes[slot],
                          kRangeRowCaptions[slot],
                          kRangeStep,
                          false,
                          k};
    }
    return fields;
}

constexpr std::size_t countDecoded(const std::array<ImageField, kFieldCount>& fields) {
    std::size_t count = 0;
    for (const ImageField& f : fields)
        count += f.step > 0 ? 1 : 0;
    return count;
}

} // namespace byte_map

// Every field of the image: the one description the encoder, the decoder, the window's
// decoding and the command line's listings follow.
inline constexpr std::array<ImageField, byte_map::kFieldCount> kImageFields = byte_map::allFields();

inline constexpr std::size_t kDecodedFieldCount = byte_map::countDecoded(kImageFields);

// The fields in the order the decoding writes them into the window: by step, and in
// image order within a step.
inline constexpr std::array<const ImageField*, kDecodedFieldCount> kDecodingOrder = [] {
    std::array<const ImageField*, kDecodedFieldCount> order{};
    std::size_t next = 0;
    for (int step = 1; next < kDecodedFieldCount; ++step)
        for (const ImageField& f : kImageFields)
            if (f.step == step)
                order[next++] = &f;
    return order;
}();

// The field that image byte n (1 to 96) belongs to.
const ImageField& fieldOfByte(int n);

// The caption a problem names the field by: "Frequenza TX", "Bidirezionali Range 1 min".
std::string fieldCaption(const ImageField& field);

// Whether a range field is the minimum of its pair.
constexpr bool isRangeMinimum(const ImageField& field) {
    return field.parameter->texts == &ParameterSet::rangeMinimum;
}

} // namespace velmora
