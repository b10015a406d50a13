#include "protocol/image_decode.h"

#include "values/tone_table.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace velmora {

namespace {

constexpr double kChannelWidth = 0.0125; // MHz
constexpr double kTextNudge = 0.00001;   // keeps four decimals in a cut frequency text
constexpr double kUhfAbove = 175.0;      // MHz, decides the receive offset and the band
constexpr double kUhfReceiveOffset = 45.0;
constexpr double kVhfReceiveOffset = 21.4;
constexpr int kFirstRangeByte = 33;
constexpr int kDeviceRangeHighMask = 63;
constexpr int kImportRangeHighLimit = 128;

// Signed 16-bit arithmetic, each step checked on its own.
std::optional<int> checked(long value) {
    if (value < INT16_MIN || value > INT16_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> peripheralNumber(const Image& image) {
    const auto thousands = checked(imageByte(image, 1) * 1000L);
    const auto hundreds = checked(imageByte(image, 2) * 100L);
    if (!thousands || !hundreds)
        return std::nullopt;
    auto sum = checked(long{*thousands} + *hundreds);
    const auto tens = checked(imageByte(image, 3) * 10L);
    if (!sum || !tens)
        return std::nullopt;
    sum = checked(long{*sum} + *tens);
    if (!sum)
        return std::nullopt;
    return checked(long{*sum} + imageByte(image, 4));
}

double channelCount(const Image& image, int highByte, int lowByte, int aByte) {
    return (imageByte(image, highByte) * 256.0 + imageByte(image, lowByte)) * 64.0 +
           imageByte(image, aByte) / 2.0;
}

std::string byteText(const Image& image, int n) {
    return std::to_string(imageByte(image, n));
}

class Decoder {
public:
    Decoder(const Image& image, ImageSource source) : image_(image), source_(source) {}

    Result<DecodedImage> run() {
        frequencies();
        identity();
        positionsAndMode();
        for (int k = 0; k < kRangeCount; ++k) {
            const std::size_t index = static_cast<std::size_t>(k);
            decoded_.text2[index] = rangeText(k, kFirstRangeByte + 4 * k, "Text2");
            decoded_.text3[index] = rangeText(k, kFirstRangeByte + 4 * k + 2, "Text3");
        }
        decoded_.lo = (imageByte(image_, 27) & 1) != 0;
        if (!problems_.empty())
            return std::move(problems_);
        return std::move(decoded_);
    }

private:
    void frequencies() {
        const double transmitChannels = channelCount(image_, 25, 11, 12);
        const double receiveChannels = channelCount(image_, 26, 13, 14);
        const double fTx = transmitChannels * kChannelWidth + kTextNudge;
        // The transmit frequency picks the receive offset; only the VHF side gets the nudge.
        const double fRx = fTx > kUhfAbove
                               ? receiveChannels * kChannelWidth + kUhfReceiveOffset
                               : receiveChannels * kChannelWidth - kVhfReceiveOffset + kTextNudge;
        decoded_.txFrequency = fTx;
        decoded_.uhf = fTx > kUhfAbove;
        decoded_.txttx = frequencyText(fTx);
        decoded_.txtrx = frequencyText(fRx);
    }

    void identity() {
        if (const auto number = peripheralNumber(image_))
            decoded_.txtnumero = std::to_string(*number);
        else
            fail("Txtnumero", "Numero periferico: le cifre " + byteText(image_, 1) + ", " +
                                  byteText(image_, 2) + ", " + byteText(image_, 3) + ", " +
                                  byteText(image_, 4) + " non formano un numero valido");
        decoded_.txtgruppo = byteText(image_, 7);
        decoded_.txtmodif1 = byteText(image_, 5);
        decoded_.txtmodif2 = byteText(image_, 6);
        decoded_.txtcodatt = byteText(image_, 24);
        if (const auto row = toneRowForCode(imageByte(image_, 8)))
            decoded_.combotonoRow = *row;
        else
            fail("Combotono", "Tono subaudio: codice " + byteText(image_, 8) + " sconosciuto");
        decoded_.textsincro = byteText(image_, 9);
        decoded_.textoutimp = byteText(image_, 10);
        decoded_.text1 = byteText(image_, 15);
        decoded_.textintert = byteText(image_, 16);
    }

    void positionsAndMode() {
        const std::uint8_t mode = imageByte(image_, 20);
        decoded_.reteMask = imageByte(image_, 18);
        decoded_.battMask = imageByte(image_, 19);
        decoded_.beep = (mode & 4) != 0;
        if (mode & 1)
            decoded_.mode = PanelMode::InsDisOne;
        else if (mode & 2)
            decoded_.mode = PanelMode::InsDisSix;
        else
            decoded_.mode = PanelMode::Off;
        // A unit whose control-panel mode is off leaves position 6 out of its masks.
        const bool deviceWithoutPanel =
            source_ == ImageSource::DeviceReply && decoded_.mode == PanelMode::Off;
        decoded_.positionBitsRead = deviceWithoutPanel ? 5 : 6;
        const std::uint8_t inputs = imageByte(image_, 28);
        for (int bit = 0; bit < kPositionCount; ++bit)
            decoded_.check3[static_cast<std::size_t>(kPositionCount - 1 - bit)] =
                (inputs >> bit & 1) != 0;
        decoded_.txtsir = byteText(image_, 21);
        decoded_.txtin = byteText(image_, 22);
        decoded_.txtout = byteText(image_, 23);
    }

    std::string rangeText(int k, int lowByte, const char* column) {
        int high = imageByte(image_, lowByte + 1);
        if (source_ == ImageSource::DeviceReply) {
            high &= kDeviceRangeHighMask;
        } else if (high >= kImportRangeHighLimit) {
            const std::string control = std::string(column) + "(" + std::to_string(k) + ")";
            fail(control, (k < 8 ? "Monodirezionali" : "Bidirezionali") + std::string(" Range ") +
                              std::to_string(k % 8 + 1) + ": byte alto " + std::to_string(high) +
                              " non valido");
            return {};
        }
        return std::to_string(high * 256 + imageByte(image_, lowByte));
    }

    void fail(std::string field, std::string message) {
        problems_.push_back({std::move(field), std::move(message)});
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
