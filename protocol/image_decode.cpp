#include "protocol/image_decode.h"

#include "protocol/byte_map.h"
#include "values/tone_table.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace velmora {

namespace {

// Signed 16-bit arithmetic, each step checked on its own.
std::optional<int> checked(long value) {
    if (value < INT16_MIN || value > INT16_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

class Decoder {
public:
    Decoder(const Image& image, ImageSource source) : image_(image), source_(source) {}

    Result<DecodedImage> run() {
        // The mode comes after the positions, yet a unit whose control-panel mode is off
        // leaves position 6 out of its masks.
        for (const ImageField& field : kImageFields)
            if (field.encoding == Encoding::ModeByte)
                mode(byte(field, 0));
        const bool deviceWithoutPanel =
            source_ == ImageSource::DeviceReply && !decoded_.values.controlPanel;
        decoded_.positionBitsRead = deviceWithoutPanel ? kPositionCount - 1 : kPositionCount;
        for (const ImageField* field : kDecodingOrder)
            decode(*field);
        if (!problems_.empty())
            return std::move(problems_);
        return std::move(decoded_);
    }

private:
    int byte(const ImageField& field, int b) const {
        return imageByte(image_, field.bytes[static_cast<std::size_t>(b)]);
    }

    std::string byteText(const ImageField& field, int b) const {
        return std::to_string(byte(field, b));
    }

    // The synthesiser count of a frequency field, in 12.5 kHz channels.
    double channels(const ImageField& field) const {
        return (byte(field, 2) * 256.0 + byte(field, 0)) * kASpan + byte(field, 1) / 2.0;
    }

    void decode(const ImageField& field) {
        ParameterSet& values = decoded_.values;
        const ParameterControl& parameter = *field.parameter;
        switch (field.encoding) {
        case Encoding::TransmitFrequency: {
            const double fTx = channels(field) * kChannelWidth + kTextNudge;
            decoded_.transmitMegahertz = fTx;
            values.uhfBand = fTx > kDecodeUhfAbove;
            values.vhfBand = !values.uhfBand;
            values.*parameter.text = frequencyText(fTx);
            break;
        }
        case Encoding::ReceiveFrequency: {
            // The transmit frequency picks the receive offset; only the VHF side gets the nudge.
            const double c = channels(field) * kChannelWidth;
            const double fRx = decoded_.transmitMegahertz > kDecodeUhfAbove
                                   ? c + kUhfReceiveOffset
                                   : c - kVhfReceiveOffset + kTextNudge;
            values.*parameter.text = frequencyText(fRx);
            break;
        }
        case Encoding::PeripheralDigits:
            peripheralNumber(field);
            break;
        case Encoding::TextByte:
            values.*parameter.text = byteText(field, 0);
            break;
        case Encoding::ToneCode:
            if (const auto row = toneRowForCode(byte(field, 0)))
                values.*parameter.row = *row;
            else
                fail(field,
                     fieldCaption(field) + ": codice " + byteText(field, 0) + " sconosciuto");
            break;
        case Encoding::PositionMask:
            positions(values.*parameter.flags, byte(field, 0));
            break;
        case Encoding::ModeByte: // decoded first of all
            break;
        case Encoding::InputMask:
            for (int bit = 0; bit < kPositionCount; ++bit)
                (values.*parameter.flags)[static_cast<std::size_t>(kPositionCount - 1 - bit)] =
                    (byte(field, 0) >> bit & 1) != 0;
            break;
        case Encoding::RangeValue:
            rangeValue(field);
            break;
        case Encoding::Flag:
            values.*parameter.flag = (byte(field, 0) & 1) != 0;
            break;
        case Encoding::Marker:
            break;
        }
    }

    void peripheralNumber(const ImageField& field) {
        std::optional<int> number;
        const auto thousands = checked(byte(field, 0) * 1000L);
        const auto hundreds = checked(byte(field, 1) * 100L);
        if (thousands && hundreds) {
            auto sum = checked(long{*thousands} + *hundreds);
            const auto tens = checked(byte(field, 2) * 10L);
            if (sum && tens)
                sum = checked(long{*sum} + *tens);
            if (sum && tens)
                number = checked(long{*sum} + byte(field, 3));
        }
        if (number)
            decoded_.values.peripheralNumber = std::to_string(*number);
        else
            fail(field, fieldCaption(field) + ": le cifre " + byteText(field, 0) + ", " +
                            byteText(field, 1) + ", " + byteText(field, 2) + ", " +
                            byteText(field, 3) + " non formano un numero valido");
    }

    // Bit i clear chooses member 5 - i.
    void positions(PositionFlags& chosen, int mask) const {
        for (int bit = 0; bit < kPositionCount; ++bit)
            chosen[static_cast<std::size_t>(kPositionCount - 1 - bit)] =
                bit < decoded_.positionBitsRead && (mask >> bit & 1) == 0;
    }

    void mode(int mode) {
        ParameterSet& values = decoded_.values;
        values.beep = (mode & 4) != 0;
        values.insDisOne = (mode & 1) != 0;
        values.insDisSix = !values.insDisOne && (mode & 2) != 0;
        values.controlPanel = values.insDisOne || values.insDisSix;
    }

    void rangeValue(const ImageField& field) {
        int high = byte(field, 1);
        if (source_ == ImageSource::DeviceReply) {
            high &= kDeviceRangeHighMask;
        } else if (high >= kImportRangeHighLimit) {
            fail(field, startText(rangeGroupCaption(field.range)) + " " + startText(field.caption) +
                            ": byte alto " + std::to_string(high) + " non valido");
            return;
        }
        (decoded_.values.*field.parameter->texts)[static_cast<std::size_t>(field.range)] =
            std::to_string(high * 256 + byte(field, 0));
    }

    void fail(const ImageField& field, std::string message) {
        problems_.push_back({controlName(field.control), std::move(message)});
    }

    const Image& image_;
    ImageSource source_;
    DecodedImage decoded_;
    Problems problems_;
};

} // namespace

Result<DecodedImage> decodeImage(const Image& image, ImageSource source) {
    return Decoder(image, source).run();
}

} // namespace velmora
