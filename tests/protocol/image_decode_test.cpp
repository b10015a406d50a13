#include "protocol/image_decode.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace velmora {
namespace {

using Bytes = std::initializer_list<std::pair<int, int>>; // image byte number, value
constexpr auto kFile = ImageSource::FileImport;
constexpr auto kDevice = ImageSource::DeviceReply;

// The image of the form right after start-up, with some bytes changed.
Image imageWith(Bytes changes) {
    const Bytes startUp = {{4, 1},   {8, 255}, {11, 200}, {13, 226}, {14, 96},
                           {17, 65}, {29, 65}, {30, 65},  {31, 65},  {32, 65}};
    Image image{};
    for (const Bytes bytes : {startUp, changes})
        for (const auto& [n, value] : bytes)
            imageByte(image, n) = static_cast<std::uint8_t>(value);
    return image;
}

DecodedImage decoded(Bytes changes, ImageSource source = kFile) {
    const Result<DecodedImage> result = decodeImage(imageWith(changes), source);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : describe(result.problems()));
    return result.ok() ? result.value() : DecodedImage{};
}

// Texts of frequencies a unit can hold are the decoder's rows below, where the band
// follows the transmit frequency with its nudge: 175.00001 is UHF, 174.98751 VHF.
TEST(FrequencyText, FifteenDigitsCutToEight) {
    const std::pair<double, const char*> rows[] = {
        {160.00001, "160.0000"}, {0.0, "0"}, {0.000123, "0.000123"}, {52428.01251, "52428.01"}};
    for (const auto& [value, text] : rows)
        EXPECT_EQ(frequencyText(value), text) << value;
}

TEST(DecodeImage, FrequencyTexts) {
    struct Row {
        Bytes bytes;
        const char* transmit;
        const char* receive; // nullptr: not checked
        bool uhf;
    };
    const Row rows[] = {
        {{{25, 2}, {11, 30}, {12, 51}}, "433.9187", nullptr, true},
        {{{25, 0}, {11, 200}, {12, 1}}, "160.0062", "160.0000", false},
        {{{25, 2}, {11, 63}, {26, 2}, {13, 7}, {14, 0}}, "460.0000", "460.2", true},
        {{{25, 2}, {11, 63}, {26, 2}, {13, 6}, {14, 96}}, "460.0000", "460", true},
        {{{25, 0}, {11, 218}, {12, 96}}, "175.0000", nullptr, true},
        {{{25, 0}, {11, 218}, {12, 94}}, "174.9875", nullptr, false},
        {{{11, 0}, {13, 0}, {14, 0}}, "0.00001", "-21.3999", false},
        // A UHF receive frequency under a VHF transmit one: 460 - 45 out, - 21.4 back.
        {{{26, 2}, {13, 6}, {14, 96}}, "160.0000", "393.6000", false},
    };
    for (const Row& row : rows) {
        const ParameterSet image = decoded(row.bytes).values;
        EXPECT_EQ(image.transmitFrequency, row.transmit);
        EXPECT_EQ(image.receiveFrequency, row.receive ? row.receive : image.receiveFrequency)
            << row.transmit;
        EXPECT_EQ(image.uhfBand, row.uhf) << row.transmit;
        EXPECT_EQ(image.vhfBand, !row.uhf) << row.transmit;
    }
}

// The peripheral number from its digit bytes 1 to 4 and range 2 of the second group's
// maximum from image bytes 71 and 72 must fit in sixteen bits; a device reply's range high
// byte also carries marks in its top bits.
TEST(DecodeImage, SixteenBitValues) {
    const struct {
        Bytes bytes;
        ImageSource source;
        std::string field;
        const char* text; // nullptr: refused
    } rows[] = {
        {{{1, 32}, {2, 7}, {3, 6}, {4, 7}}, kFile, "Txtnumero", "32767"},
        {{{1, 32}, {2, 7}, {3, 6}, {4, 8}}, kFile, "Txtnumero", nullptr},
        {{{1, 32}, {2, 9}, {3, 0}, {4, 0}}, kFile, "Txtnumero", nullptr},
        {{{1, 40}, {2, 0}, {3, 0}, {4, 0}}, kFile, "Txtnumero", nullptr},
        {{{1, 0}, {2, 255}, {3, 255}, {4, 255}}, kFile, "Txtnumero", "28305"},
        {{{71, 15}, {72, 39}}, kFile, "Text3(9)", "9999"},
        {{{71, 15}, {72, 39}}, kDevice, "Text3(9)", "9999"},
        {{{71, 255}, {72, 127}}, kFile, "Text3(9)", "32767"},
        {{{71, 0}, {72, 128}}, kFile, "Text3(9)", nullptr},
        {{{71, 5}, {72, 200}}, kFile, "Text3(9)", nullptr},
        {{{71, 5}, {72, 200}}, kDevice, "Text3(9)", "2053"},
        {{{71, 5}, {72, 0xC1}}, kFile, "Text3(9)", nullptr},
        {{{71, 5}, {72, 0xC1}}, kDevice, "Text3(9)", "261"},
    };
    for (const auto& row : rows) {
        const Result<DecodedImage> image = decodeImage(imageWith(row.bytes), row.source);
        ASSERT_EQ(image.ok(), row.text != nullptr)
            << row.field << " " << (row.text ? row.text : "refused");
        if (row.text)
            EXPECT_EQ(row.field == "Txtnumero" ? image->values.peripheralNumber
                                               : image->values.rangeMaximum[9],
                      row.text);
        else
            EXPECT_EQ(image.problems().at(0).field, row.field);
    }
}

TEST(DecodeImage, CollectsEveryProblem) {
    const Result<DecodedImage> image =
        decodeImage(imageWith({{1, 40}, {8, 32}, {34, 200}, {96, 128}}), kFile);
    ASSERT_FALSE(image.ok());
    const Problems& problems = image.problems();
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].field, "Txtnumero");
    EXPECT_EQ(problems[1].message, "Tono subaudio: codice 32 sconosciuto");
    EXPECT_EQ(problems[2].field, "Text2(0)");
    EXPECT_EQ(problems[3].field, "Text3(15)");
}

// What the mode byte does to the window is pinned by the form's decoding tests.
TEST(DecodeImage, FlagsAndMarkers) {
    const ParameterSet image = decoded({{18, 59}, {19, 30}, {28, 0xE1}, {27, 3}}).values;
    EXPECT_EQ(image.mainsPosition, (PositionFlags{false, false, false, true, false, false}));
    EXPECT_EQ(image.batteryPosition, (PositionFlags{true, false, false, false, false, true}));
    EXPECT_EQ(image.directInputs, (PositionFlags{true, false, false, false, false, true}));
    EXPECT_TRUE(image.lo);
    EXPECT_FALSE(decoded({{27, 2}}).values.lo);
    // A unit whose control-panel mode is off leaves position 6 out of its masks.
    EXPECT_EQ(decoded({{19, 30}}, kDevice).values.batteryPosition,
              (PositionFlags{false, false, false, false, false, true}));
    // The marker bytes are never looked at.
    const ParameterSet marked =
        decoded({{17, 0}, {29, 255}, {30, 1}, {31, 0xAA}, {32, 0x55}}).values;
    EXPECT_EQ(marked.peripheralNumber, "1");
    EXPECT_FALSE(marked.controlPanel);
}

} // namespace
} // namespace velmora
