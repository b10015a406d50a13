#include "protocol/config_image.h"

#include "protocol/byte_map.h"
#include "values/text_value.h"
#include "values/tone_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace velmora {

namespace {

constexpr double kNotAByte = std::numeric_limits<double>::quiet_NaN();

using Quantities = std::array<double, 4>; // a field's bytes before they are checked

std::string numberText(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : std::string{};
}

std::string outOfRange(const std::string& caption, double value) {
    if (!std::isfinite(value))
        return caption + ": valore fuori dai limiti";
    return caption + ": valore " + numberText(value) + " fuori dai limiti";
}

// The four digits of the peripheral number: the decimal form of n + 10000 cut to its
// last four characters only works for whole numbers 0..9999, anything else is refused.
double peripheralDigit(double number, int place) {
    if (!(number >= 0.0 && number <= 9999.0) || number != std::floor(number))
        return kNotAByte;
    int whole = static_cast<int>(number);
    for (int later = place + 1; later < 4; ++later)
        whole /= 10;
    return whole % 10;
}

// Bit b stands for member 5 - b; `inverted` sets the bits of the members not chosen.
double memberMask(const PositionFlags& members, bool inverted) {
    int mask = 0;
    for (int bit = 0; bit < kPositionCount; ++bit)
        if (members[static_cast<std::size_t>(kPositionCount - 1 - bit)] != inverted)
            mask |= 1 << bit;
    return mask;
}

double modeByte(const ParameterSet& parameters) {
    if (!parameters.controlPanel)
        return 0;
    return (parameters.insDisSix ? 2 : 1) + (parameters.beep ? 4 : 0);
}

double toneCode(int row) {
    if (row < 0 || row >= static_cast<int>(kToneTable.size()))
        return kNotAByte;
    return kToneTable[static_cast<std::size_t>(row)].code;
}

class Encoder {
public:
    explicit Encoder(const ParameterSet& parameters) : parameters_(parameters) {}

    void encode(const ImageField& field) {
        const double value = controlValue(field);
        const Quantities bytes = quantities(field, value);
        bool stored = true;
        for (int b = 0; b < field.byteCount; ++b) {
            const auto at = static_cast<std::size_t>(b);
            stored = store(field.bytes[at], bytes[at]) && stored;
        }
        if (!stored)
            report(field, value);
    }

    Result<Image> result() {
        if (!problems_.empty())
            return problems_;
        return image_;
    }

private:
    // The number the field's control holds: its text value, or the tone row.
    double controlValue(const ImageField& field) const {
        if (field.parameter == nullptr)
            return 0;
        const ParameterControl& p = *field.parameter;
        if (p.text)
            return textValue(parameters_.*p.text);
        if (p.texts)
            return textValue((parameters_.*p.texts)[static_cast<std::size_t>(field.range)]);
        if (p.row)
            return parameters_.*p.row;
        return 0;
    }

    // The field's bytes in the order of its image bytes, from the control's value.
    Quantities quantities(const ImageField& field, double value) const {
        switch (field.encoding) {
        case Encoding::PeripheralDigits:
            return {peripheralDigit(value, 0), peripheralDigit(value, 1), peripheralDigit(value, 2),
                    peripheralDigit(value, 3)};
        case Encoding::TextByte:
            return {roundHalfEven(value)};
        case Encoding::ToneCode:
            return {toneCode(parameters_.*field.parameter->row)};
        case Encoding::TransmitFrequency:
        case Encoding::ReceiveFrequency: {
            const FrequencyBytes frequency = field.encoding == Encoding::TransmitFrequency
                                                 ? transmitFrequencyBytes(value)
                                                 : receiveFrequencyBytes(value);
            return {frequency.nLow, frequency.aByte, frequency.nHigh};
        }
        case Encoding::PositionMask:
            return {memberMask(parameters_.*field.parameter->flags, true)};
        case Encoding::ModeByte:
            return {modeByte(parameters_)};
        case Encoding::Flag:
            return {parameters_.*field.parameter->flag ? 1.0 : 0.0};
        case Encoding::InputMask:
            return {memberMask(parameters_.*field.parameter->flags, false)};
        case Encoding::RangeValue: {
            const double high = std::floor(value / 256.0);
            return {roundHalfEven(value - 256.0 * high), roundHalfEven(high)};
        }
        case Encoding::Marker:
            return {kMarker};
        }
        return {kNotAByte};
    }

    // Stores one byte when its value can be one.
    bool store(int byte, double value) {
        if (!(value >= 0.0 && value <= 255.0))
            return false;
        imageByte(image_, byte) = static_cast<std::uint8_t>(value);
        return true;
    }

    // Records a control whose value cannot be a byte, once.
    void report(const ImageField& field, double controlValue) {
        const std::string& control = controlName(field.control);
        const bool known = std::any_of(problems_.begin(), problems_.end(),
                                       [&](const Problem& p) { return p.field == control; });
        if (!known)
            problems_.push_back({control, outOfRange(fieldCaption(field), controlValue)});
    }

    const ParameterSet& parameters_;
    Image image_{};
    Problems problems_;
};

} // namespace

Result<Image> encodeImage(const ParameterSet& parameters) {
    Encoder encoder(parameters);
    for (const ImageField& field : kImageFields)
        encoder.encode(field);
    return encoder.result();
}

} // namespace velmora
