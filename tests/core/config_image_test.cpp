#include "protocol/config_image.h"
#include "protocol/frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using Edit = std::function<void(ParameterSet&)>;

std::vector<int> bytes(const Image& image, int first, int count) {
    std::vector<int> values;
    for (int n = first; n < first + count; ++n)
        values.push_back(imageByte(image, n));
    return values;
}

TEST(EncodeImage, FormAfterStartUp) {
    const std::vector<int> head = {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0x50, 0x00, 0xC8,
                                   0x00, 0xE2, 0x60, 0x05, 0x05, 0x41, 0x3F, 0x3F, 0x00, 0x05, 0x00,
                                   0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x41, 0x41, 0x41, 0x41};
    const Result<Image> image = encodeImage(ParameterSet{});
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(bytes(*image, 1, 32), head);
    EXPECT_EQ(bytes(*image, 33, 64), std::vector<int>(64, 0));
}

TEST(EncodeImage, ByteMap) {
    struct Row {
        const char* name;
        Edit edit;
        std::vector<int> byteNumbers;
        std::vector<int> values;
    };
    const std::vector<int> transmit = {11, 12, 25};
    const std::vector<int> receive = {13, 14, 26};
    const Row rows[] = {
        {"tx 160", [](auto& p) { p.txttx = "160.000"; }, transmit, {200, 0, 0}},
        {"tx 460", [](auto& p) { p.txttx = "460.000"; }, transmit, {63, 0, 2}},
        {"tx 165.1975, A = 31.8", [](auto& p) { p.txttx = "165.1975"; }, transmit, {206, 64, 0}},
        {"tx 145.6 just below 64 channels",
         [](auto& p) { p.txttx = "145.6"; },
         transmit,
         {181, 128, 0}},
        {"tx 144.8", [](auto& p) { p.txttx = "144.8"; }, transmit, {181, 0, 0}},
        {"tx empty", [](auto& p) { p.txttx = ""; }, transmit, {0, 0, 0}},
        {"rx 160 + 21.4", [](auto& p) { p.txtrx = "160.000"; }, receive, {226, 96, 0}},
        {"rx 400 - 45", [](auto& p) { p.txtrx = "400.000"; }, receive, {187, 96, 1}},
        {"rx 460 - 45", [](auto& p) { p.txtrx = "460"; }, receive, {6, 96, 2}},
        {"rx exactly 200", [](auto& p) { p.txtrx = "200"; }, receive, {20, 96, 1}},
        {"rx 200.0125", [](auto& p) { p.txtrx = "200.0125"; }, receive, {193, 98, 0}},
        {"rx ignores the band", [](auto& p) { p.option2 = true; }, receive, {226, 96, 0}},
        {"number 7", [](auto& p) { p.txtnumero = "7"; }, {1, 2, 3, 4}, {0, 0, 0, 7}},
        {"number 1234", [](auto& p) { p.txtnumero = "1234"; }, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"number 9999", [](auto& p) { p.txtnumero = "9999"; }, {1, 2, 3, 4}, {9, 9, 9, 9}},
        {"number empty", [](auto& p) { p.txtnumero = ""; }, {1, 2, 3, 4}, {0, 0, 0, 0}},
        {"number 12.0", [](auto& p) { p.txtnumero = "12.0"; }, {1, 2, 3, 4}, {0, 0, 1, 2}},
        {"mains position 1", [](auto& p) { p.optrete[5] = true; }, {18, 19}, {0x3E, 0x3F}},
        {"battery position 6", [](auto& p) { p.optbatt[0] = true; }, {18, 19}, {0x3F, 0x1F}},
        {"position 3", [](auto& p) { p.optrete[3] = true; }, {18}, {59}},
        {"direct input 1", [](auto& p) { p.check3[5] = true; }, {28}, {0x01}},
        {"direct input 6", [](auto& p) { p.check3[0] = true; }, {28}, {0x20}},
        {"Lo", [](auto& p) { p.check2 = true; }, {27}, {1}},
        {"tone 123", [](auto& p) { p.combotonoRow = 18; }, {8}, {17}},
        {"tone 67", [](auto& p) { p.combotonoRow = 1; }, {8}, {0}},
        {"text bytes round half to even",
         [](auto& p) {
             p.txtmodif1 = "12.5";
             p.txtmodif2 = "13.5";
             p.txtgruppo = "12,5";
         },
         {5, 6, 7},
         {12, 14, 12}},
        {"times count with the panel off",
         [](auto& p) {
             p.txtsir = "240";
             p.txtin = "1 2";
             p.txtout = "-0.4";
         },
         {21, 22, 23},
         {240, 12, 0}},
        {"every text byte in place",
         [](auto& p) {
             p.textsincro = "1", p.textoutimp = "2", p.text1 = "3", p.textintert = "4";
             p.txtcodatt = "255.4";
         },
         {9, 10, 15, 16, 24},
         {1, 2, 3, 4, 255}},
        {"bidirectional range 2",
         [](auto& p) {
             p.text2[9] = "300";
             p.text3[9] = "1200";
         },
         {69, 70, 71, 72},
         {0x2C, 0x01, 0xB0, 0x04}},
        {"first and last range",
         [](auto& p) {
             p.text2[0] = "9999";
             p.text3[15] = "256";
         },
         {33, 34, 95, 96},
         {0x0F, 0x27, 0, 1}},
    };
    for (const Row& row : rows) {
        ParameterSet parameters;
        row.edit(parameters);
        const Result<Image> image = encodeImage(parameters);
        ASSERT_TRUE(image.ok()) << row.name << ": " << describe(image.problems());
        std::vector<int> values;
        for (int n : row.byteNumbers)
            values.push_back(imageByte(*image, n));
        EXPECT_EQ(values, row.values) << row.name;
    }
}

TEST(EncodeImage, ModeByte) {
    const bool on = true, off = false;
    const struct {
        bool check1, option3, check4;
        int byte20;
    } rows[] = {
        {off, on, on, 0}, {on, off, off, 1}, {on, off, on, 5}, {on, on, off, 2}, {on, on, on, 6}};
    for (const auto& row : rows) {
        ParameterSet parameters;
        parameters.check1 = row.check1;
        parameters.option3 = row.option3;
        parameters.option4 = !row.option3;
        parameters.check4 = row.check4;
        EXPECT_EQ(imageByte(*encodeImage(parameters), 20), row.byte20);
    }
}

TEST(EncodeImage, RefusesValuesThatAreNoByte) {
    struct Row {
        Edit edit;
        const char* field;
    };
    const Row rows[] = {
        {[](auto& p) { p.txtnumero = "12345"; }, "Txtnumero"},
        {[](auto& p) { p.txtnumero = "-5"; }, "Txtnumero"},
        {[](auto& p) { p.txtnumero = "12.5"; }, "Txtnumero"},
        {[](auto& p) { p.txtnumero = std::string(400, '9'); }, "Txtnumero"},
        {[](auto& p) { p.txtmodif1 = "256"; }, "Txtmodif1"},
        {[](auto& p) { p.txtcodatt = "255.5"; }, "Txtcodatt"},
        {[](auto& p) { p.txtout = "-1"; }, "Txtout"},
        {[](auto& p) { p.text1 = std::string(400, '9'); }, "Text1"},
        {[](auto& p) { p.txtrx = "99999"; }, "txtrx"},
        {[](auto& p) { p.txttx = "-160"; }, "txttx"},
        {[](auto& p) { p.text2[3] = "-5"; }, "Text2(3)"},
        {[](auto& p) { p.text3[12] = "65536"; }, "Text3(12)"},
        {[](auto& p) { p.text2[0] = "511.7"; }, "Text2(0)"}, // low byte rounds to 256
        {[](auto& p) { p.combotonoRow = 33; }, "Combotono"},
    };
    for (const Row& row : rows) {
        ParameterSet parameters;
        row.edit(parameters);
        const Result<Image> image = encodeImage(parameters);
        ASSERT_FALSE(image.ok()) << row.field;
        ASSERT_EQ(image.problems().size(), 1u) << describe(image.problems());
        EXPECT_EQ(image.problems()[0].field, row.field);
    }
}

TEST(EncodeImage, NamesEveryBadControlOnce) {
    ParameterSet parameters;
    parameters.txtnumero = "12345";
    parameters.txtrx = "-1000";
    parameters.text3[9] = "-1";
    const Result<Image> image = encodeImage(parameters);
    ASSERT_FALSE(image.ok());
    EXPECT_EQ(describe(image.problems()), "Numero periferico: valore 12345 fuori dai limiti\n"
                                          "Frequenza RX: valore -1000 fuori dai limiti\n"
                                          "Bidirezionali Range 2 MAX: valore -1 fuori dai limiti");
    EXPECT_EQ(image.problems()[2].field, "Text3(9)");
}

TEST(Frames, ProgrammingFrameAndReadRequest) {
    const Image image = *encodeImage(ParameterSet{});
    const Frame frame = programmingFrame(image);
    EXPECT_EQ(frame.front(), 0xAA);
    EXPECT_EQ(frame.back(), 0x55);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), frame.begin() + 1));
    EXPECT_EQ(imageOfFrame(frame), image);

    const Frame request = readRequest();
    EXPECT_EQ(request.front(), 0xAA);
    EXPECT_EQ(request.back(), 0x55);
    EXPECT_EQ(imageOfFrame(request), Image{});
    EXPECT_NE(request, frame);
}

} // namespace
} // namespace velmora
