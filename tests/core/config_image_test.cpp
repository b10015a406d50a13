#include "protocol/config_image.h"
#include "protocol/frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

Image encoded(const ParameterSet& parameters) {
    const Result<Image> image = encodeImage(parameters);
    EXPECT_TRUE(image.ok()) << (image.ok() ? "" : describe(image.problems()));
    return image.ok() ? image.value() : Image{};
}

std::vector<int> bytes(const Image& image, int first, int last) {
    std::vector<int> values;
    for (int n = first; n <= last; ++n)
        values.push_back(imageByte(image, n));
    return values;
}

TEST(EncodeImage, FormAfterStartUp) {
    const std::vector<int> head = {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0x50, 0x00, 0xC8,
                                   0x00, 0xE2, 0x60, 0x05, 0x05, 0x41, 0x3F, 0x3F, 0x00, 0x05, 0x00,
                                   0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x41, 0x41, 0x41, 0x41};
    const Image image = encoded(ParameterSet{});
    EXPECT_EQ(bytes(image, 1, 32), head);
    EXPECT_EQ(bytes(image, 33, 96), std::vector<int>(64, 0));
}

TEST(EncodeImage, FrequencyBytes) {
    struct Row {
        const char* transmit;
        const char* receive;
        std::vector<int> transmitBytes; // image bytes 11, 12, 25
        std::vector<int> receiveBytes;  // image bytes 13, 14, 26
    };
    const Row rows[] = {
        {"160.000", "160.000", {200, 0, 0}, {226, 96, 0}},
        {"460.000", "400.000", {63, 0, 2}, {187, 96, 1}},
        {"165.1975", "460.000", {206, 64, 0}, {6, 96, 2}},
        {"145.6", "200", {181, 128, 0}, {20, 96, 1}},
        {"144.8", "200.0125", {181, 0, 0}, {193, 98, 0}},
        {"", "", {0, 0, 0}, {26, 96, 0}},
    };
    for (const Row& row : rows) {
        ParameterSet parameters;
        parameters.txttx = row.transmit;
        parameters.txtrx = row.receive;
        const Image image = encoded(parameters);
        const std::vector<int> transmit = {imageByte(image, 11), imageByte(image, 12),
                                           imageByte(image, 25)};
        const std::vector<int> receive = {imageByte(image, 13), imageByte(image, 14),
                                          imageByte(image, 26)};
        EXPECT_EQ(transmit, row.transmitBytes) << row.transmit;
        EXPECT_EQ(receive, row.receiveBytes) << row.receive;
    }
}

TEST(EncodeImage, FractionalChannelKeepsItsRemainder) {
    const FrequencyBytes bytes = transmitFrequencyBytes(165.1975);
    EXPECT_EQ(bytes.nLow, 206);
    EXPECT_EQ(bytes.aByte, 64); // A = 31.8, doubled 63.6
    EXPECT_EQ(bytes.nHigh, 0);
    // Only the receive side takes an offset, chosen by the receive value alone.
    EXPECT_EQ(receiveFrequencyBytes(160).nLow, 226);
    EXPECT_EQ(transmitFrequencyBytes(160).nLow, 200);
}

TEST(EncodeImage, PeripheralNumberDigits) {
    struct Row {
        const char* text;
        std::vector<int> digits;
    };
    const Row rows[] = {{"7", {0, 0, 0, 7}},    {"1234", {1, 2, 3, 4}}, {"", {0, 0, 0, 0}},
                        {"0000", {0, 0, 0, 0}}, {"9999", {9, 9, 9, 9}}, {"25", {0, 0, 2, 5}},
                        {"001", {0, 0, 0, 1}},  {"12.0", {0, 0, 1, 2}}};
    for (const Row& row : rows) {
        ParameterSet parameters;
        parameters.txtnumero = row.text;
        EXPECT_EQ(bytes(encoded(parameters), 1, 4), row.digits) << row.text;
    }
}

TEST(EncodeImage, ModeByte) {
    struct Row {
        bool check1, option3, check4;
        int byte20;
    };
    const Row rows[] = {{false, false, false, 0}, {false, true, true, 0}, {true, false, false, 1},
                        {true, true, false, 2},   {true, false, true, 5}, {true, true, true, 6}};
    for (const Row& row : rows) {
        ParameterSet parameters;
        parameters.check1 = row.check1;
        parameters.option3 = row.option3;
        parameters.option4 = !row.option3;
        parameters.check4 = row.check4;
        EXPECT_EQ(imageByte(encoded(parameters), 20), row.byte20)
            << row.check1 << row.option3 << row.check4;
    }
}

TEST(EncodeImage, PositionAndInputMasks) {
    ParameterSet parameters;
    parameters.optrete[5] = true; // position 1
    parameters.optbatt[0] = true; // position 6
    parameters.check3[5] = true;
    Image image = encoded(parameters);
    EXPECT_EQ(imageByte(image, 18), 0x3E);
    EXPECT_EQ(imageByte(image, 19), 0x1F);
    EXPECT_EQ(imageByte(image, 28), 0x01);

    parameters = ParameterSet{};
    parameters.optrete[3] = true; // position 3
    parameters.check3[0] = true;
    parameters.check2 = true;
    image = encoded(parameters);
    EXPECT_EQ(imageByte(image, 18), 59);
    EXPECT_EQ(imageByte(image, 19), 0x3F);
    EXPECT_EQ(imageByte(image, 28), 0x20);
    EXPECT_EQ(imageByte(image, 27), 1);
}

TEST(EncodeImage, TextBytesRoundHalfToEvenAndIgnoreDisabledState) {
    ParameterSet parameters;
    parameters.txtmodif1 = "12.5";
    parameters.txtmodif2 = "13.5";
    parameters.txtgruppo = "12,5";
    parameters.combotonoRow = 18; // "123"
    parameters.txtsir = "240";    // control-panel mode is off, the times still count
    parameters.txtin = "1 2";
    parameters.txtout = "-0.4";
    parameters.txtcodatt = "255.4";
    const Image image = encoded(parameters);
    EXPECT_EQ(bytes(image, 5, 8), (std::vector<int>{12, 14, 12, 17}));
    EXPECT_EQ(bytes(image, 21, 24), (std::vector<int>{240, 12, 0, 255}));
}

TEST(EncodeImage, RangesLowByteFirst) {
    ParameterSet parameters;
    parameters.text2[9] = "300";
    parameters.text3[9] = "1200";
    parameters.text2[0] = "9999";
    parameters.text3[15] = "256";
    const Image image = encoded(parameters);
    EXPECT_EQ(bytes(image, 69, 72), (std::vector<int>{0x2C, 0x01, 0xB0, 0x04}));
    EXPECT_EQ(bytes(image, 33, 36), (std::vector<int>{0x0F, 0x27, 0, 0}));
    EXPECT_EQ(bytes(image, 93, 96), (std::vector<int>{0, 0, 0, 1}));
}

TEST(EncodeImage, RefusesValuesThatAreNoByte) {
    struct Row {
        const char* name;
        void (*edit)(ParameterSet&);
        const char* field;
    };
    const Row rows[] = {
        {"number too big", [](ParameterSet& p) { p.txtnumero = "12345"; }, "Txtnumero"},
        {"number negative", [](ParameterSet& p) { p.txtnumero = "-5"; }, "Txtnumero"},
        {"number fraction", [](ParameterSet& p) { p.txtnumero = "12.5"; }, "Txtnumero"},
        {"number infinite", [](ParameterSet& p) { p.txtnumero = std::string(400, '9'); },
         "Txtnumero"},
        {"modifier 256", [](ParameterSet& p) { p.txtmodif1 = "256"; }, "Txtmodif1"},
        {"half rounds up", [](ParameterSet& p) { p.txtcodatt = "255.5"; }, "Txtcodatt"},
        {"negative time", [](ParameterSet& p) { p.txtout = "-1"; }, "Txtout"},
        {"infinite byte", [](ParameterSet& p) { p.text1 = std::string(400, '9'); }, "Text1"},
        {"receive too high", [](ParameterSet& p) { p.txtrx = "99999"; }, "txtrx"},
        {"transmit negative", [](ParameterSet& p) { p.txttx = "-160"; }, "txttx"},
        {"range below zero", [](ParameterSet& p) { p.text2[3] = "-5"; }, "Text2(3)"},
        {"range too wide", [](ParameterSet& p) { p.text3[12] = "65536"; }, "Text3(12)"},
        {"range low byte rounds to 256", [](ParameterSet& p) { p.text2[0] = "511.7"; }, "Text2(0)"},
        {"tone row unknown", [](ParameterSet& p) { p.combotonoRow = 33; }, "Combotono"},
    };
    for (const Row& row : rows) {
        ParameterSet parameters;
        row.edit(parameters);
        const Result<Image> image = encodeImage(parameters);
        ASSERT_FALSE(image.ok()) << row.name;
        ASSERT_EQ(image.problems().size(), 1u) << row.name << ": " << describe(image.problems());
        EXPECT_EQ(image.problems()[0].field, row.field) << row.name;
    }
}

TEST(EncodeImage, NamesEveryBadControlOnce) {
    ParameterSet parameters;
    parameters.txtnumero = "12345";
    parameters.txtrx = "-1000";
    parameters.text3[9] = "-1";
    const Result<Image> image = encodeImage(parameters);
    ASSERT_FALSE(image.ok());
    const Problems& problems = image.problems();
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].field, "Txtnumero");
    EXPECT_EQ(problems[0].message, "Numero periferico: valore 12345 fuori dai limiti");
    EXPECT_EQ(problems[1].field, "txtrx");
    EXPECT_EQ(problems[1].message, "Frequenza RX: valore -1000 fuori dai limiti");
    EXPECT_EQ(problems[2].field, "Text3(9)");
    EXPECT_EQ(problems[2].message, "Bidirezionali Range 2 MAX: valore -1 fuori dai limiti");
}

TEST(Frames, ProgrammingFrameAndReadRequest) {
    const Image image = encoded(ParameterSet{});
    const Frame frame = programmingFrame(image);
    EXPECT_EQ(frame.front(), 0xAA);
    EXPECT_EQ(frame.back(), 0x55);
    for (int n = 1; n <= kImageSize; ++n)
        EXPECT_EQ(frame[static_cast<std::size_t>(n)], imageByte(image, n)) << n;
    EXPECT_EQ(imageOfFrame(frame), image);

    const Frame request = readRequest();
    EXPECT_EQ(request.front(), 0xAA);
    EXPECT_EQ(request.back(), 0x55);
    EXPECT_EQ(imageOfFrame(request), Image{});
    EXPECT_NE(request, frame);
}

} // namespace
} // namespace velmora
