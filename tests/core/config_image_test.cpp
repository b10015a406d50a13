#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "protocol/range_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace velmora {
namespace {

using Edit = std::function<void(ParameterSet&)>;

// The start-up image itself is pinned byte for byte by the programming file test.
TEST(EncodeImage, ByteMap) {
    struct Row {
        const char* name;
        Edit edit;
        std::vector<int> byteNumbers;
        std::vector<int> values;
    };
    const std::vector<int> tx = {11, 12, 25}, rx = {13, 14, 26}, number = {1, 2, 3, 4};
    const Row rows[] = {
        {"tx 460", [](auto& p) { p.txttx = "460.000"; }, tx, {63, 0, 2}},
        {"tx 165.1975, A = 31.8", [](auto& p) { p.txttx = "165.1975"; }, tx, {206, 64, 0}},
        {"tx 145.6 below 64 channels", [](auto& p) { p.txttx = "145.6"; }, tx, {181, 128, 0}},
        {"tx 144.8", [](auto& p) { p.txttx = "144.8"; }, tx, {181, 0, 0}},
        // 2·A lands exactly on a half (64.5, 96.5): the even neighbour, not the upper one.
        {"A byte half to even",
         [](auto& p) { p.txttx = "150.003125", p.txtrx = "400.003125"; },
         {11, 12, 25, 13, 14, 26},
         {187, 64, 0, 187, 96, 1}},
        {"A byte half to even, upwards", [](auto& p) { p.txttx = "150.009375"; }, tx, {187, 66, 0}},
        {"rx 460 - 45", [](auto& p) { p.txtrx = "460"; }, rx, {6, 96, 2}},
        {"rx exactly 200", [](auto& p) { p.txtrx = "200"; }, rx, {20, 96, 1}},
        {"rx 200.0125", [](auto& p) { p.txtrx = "200.0125"; }, rx, {193, 98, 0}},
        {"rx ignores the band", [](auto& p) { p.option2 = true; }, rx, {226, 96, 0}},
        {"number 1234", [](auto& p) { p.txtnumero = "1234"; }, number, {1, 2, 3, 4}},
        {"number 12.0", [](auto& p) { p.txtnumero = "12.0"; }, number, {0, 0, 1, 2}},
        {"mains position 1", [](auto& p) { p.optrete[5] = true; }, {18, 19}, {0x3E, 0x3F}},
        {"battery position 6", [](auto& p) { p.optbatt[0] = true; }, {18, 19}, {0x3F, 0x1F}},
        {"direct inputs 1 and 6", [](auto& p) { p.check3[5] = p.check3[0] = true; }, {28}, {0x21}},
        {"Lo", [](auto& p) { p.check2 = true; }, {27}, {1}},
        {"tone 123", [](auto& p) { p.combotonoRow = 18; }, {8}, {17}},
        {"panel, Ins/DIS 1, beep", [](auto& p) { p.check1 = true; }, {20}, {5}},
        {"panel, Ins/DIS 6, no beep",
         [](auto& p) { p.check1 = p.option3 = true, p.option4 = p.check4 = false; },
         {20},
         {2}},
        {"no panel, no mode bits", [](auto& p) { p.option3 = true, p.option4 = false; }, {20}, {0}},
        {"half to even",
         [](auto& p) { p.txtmodif1 = "12.5", p.txtmodif2 = "13.5"; },
         {5, 6},
         {12, 14}},
        {"times with the panel off",
         [](auto& p) {
             p.txtsir = "240", p.txtin = "1 2", p.txtout = "-0.4", p.txtgruppo = "12,5";
         },
         {21, 22, 23, 7},
         {240, 12, 0, 12}},
        {"every text byte in place",
         [](auto& p) {
             p.textsincro = "1", p.textoutimp = "2", p.text1 = "3", p.textintert = "4";
             p.txtcodatt = "255.4";
         },
         {9, 10, 15, 16, 24},
         {1, 2, 3, 4, 255}},
        {"ranges low byte first",
         [](auto& p) { p.text2[0] = "9999", p.text2[9] = "300", p.text3[15] = "256"; },
         {33, 34, 69, 70, 95, 96},
         {0x0F, 0x27, 0x2C, 0x01, 0, 1}},
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

TEST(EncodeImage, RefusesValuesThatAreNoByte) {
    const std::pair<Edit, const char*> rows[] = {
        {[](auto& p) { p.txtnumero = "12345"; }, "Txtnumero"},
        {[](auto& p) { p.txtnumero = "-5"; }, "Txtnumero"},
        {[](auto& p) { p.txtnumero = "12.5"; }, "Txtnumero"},
        {[](auto& p) { p.txtmodif1 = "256"; }, "Txtmodif1"},
        {[](auto& p) { p.txtcodatt = "255.5"; }, "Txtcodatt"},
        {[](auto& p) { p.txtout = "-1"; }, "Txtout"},
        {[](auto& p) { p.text1 = std::string(400, '9'); }, "Text1"},
        {[](auto& p) { p.txtrx = "99999"; }, "txtrx"},
        {[](auto& p) { p.txttx = "-160"; }, "txttx"},
        {[](auto& p) { p.text3[12] = "65536"; }, "Text3(12)"},
        {[](auto& p) { p.text2[0] = "511.7"; }, "Text2(0)"}, // low byte rounds to 256
        {[](auto& p) { p.combotonoRow = 33; }, "Combotono"},
    };
    for (const auto& [edit, field] : rows) {
        ParameterSet parameters;
        edit(parameters);
        const Result<Image> image = encodeImage(parameters);
        ASSERT_FALSE(image.ok()) << field;
        ASSERT_EQ(image.problems().size(), 1u) << describe(image.problems());
        EXPECT_EQ(image.problems()[0].field, field);
    }
}

TEST(EncodeImage, NamesEveryBadControlOnce) {
    ParameterSet parameters;
    parameters.txtnumero = "12345";
    parameters.txtrx = "-1000";
    parameters.text3[7] = "70000";
    parameters.text2[8] = "-1";
    parameters.text3[9] = "-1";
    const Result<Image> image = encodeImage(parameters);
    ASSERT_FALSE(image.ok());
    EXPECT_EQ(describe(image.problems()),
              "Numero periferico: valore 12345 fuori dai limiti\n"
              "Frequenza RX: valore -1000 fuori dai limiti\n"
              "Monodirezionali Range 8 MAX: valore 70000 fuori dai limiti\n"
              "Bidirezionali Range 1 min: valore -1 fuori dai limiti\n"
              "Bidirezionali Range 2 MAX: valore -1 fuori dai limiti");
    EXPECT_EQ(image.problems()[4].field, "Text3(9)");
}

// The pairs are judged by their text values in index order, up to the first bad one.
TEST(RangeCheck, FindsTheFirstInconsistentPair) {
    struct Row {
        const char* name;
        std::vector<std::tuple<int, const char*, const char*>> pairs;
        std::optional<int> failing;
    };
    const Row rows[] = {
        {"all empty", {}, std::nullopt},
        {"equal bounds", {{4, "5", "5"}, {15, "9999", "9999"}}, std::nullopt},
        {"text values 12 to 12", {{9, " 1 2", "12,9"}}, std::nullopt},
        {"0 to 5", {{0, "0", "5"}}, 0},
        {"5 to 0", {{7, "5", "0"}}, 7},
        {"5 to 4", {{15, "5", "4"}}, 15},
        {"first of two", {{0, "0", "5"}, {2, "9", "1"}}, 0},
    };
    for (const Row& row : rows) {
        ParameterSet parameters;
        for (const auto& [k, min, max] : row.pairs) {
            parameters.text2[static_cast<std::size_t>(k)] = min;
            parameters.text3[static_cast<std::size_t>(k)] = max;
        }
        EXPECT_EQ(firstFailingRangePair(parameters), row.failing) << row.name;
    }
}

// The programming frame is pinned byte for byte by the programming file test.
TEST(Frames, ReadRequestIsAnEmptyFrame) {
    Frame request{};
    request.front() = 0xAA;
    request.back() = 0x55;
    EXPECT_EQ(readRequest(), request);
    Image image;
    image.fill(0x33);
    EXPECT_EQ(imageOfFrame(programmingFrame(image)), image);
}

} // namespace
} // namespace velmora
