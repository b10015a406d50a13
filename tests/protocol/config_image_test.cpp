#include "protocol/config_image.h"
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
using P = ParameterSet;

// Writes `text` into one text member, and optionally `second` into another.
Edit set(std::string P::*member, const char* text, std::string P::*other = nullptr,
         const char* second = "") {
    return [=](P& p) {
        p.*member = text;
        if (other)
            p.*other = second;
    };
}

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
        {"tx 460", set(&P::transmitFrequency, "460.000"), tx, {63, 0, 2}},
        {"tx 165.1975, A = 31.8", set(&P::transmitFrequency, "165.1975"), tx, {206, 64, 0}},
        {"tx 145.6 below 64 channels", set(&P::transmitFrequency, "145.6"), tx, {181, 128, 0}},
        {"tx 144.8", set(&P::transmitFrequency, "144.8"), tx, {181, 0, 0}},
        // 2·A lands exactly on a half (64.5, 96.5): the even neighbour, not the upper one.
        {"A byte half to even",
         set(&P::transmitFrequency, "150.003125", &P::receiveFrequency, "400.003125"),
         {11, 12, 25, 13, 14, 26},
         {187, 64, 0, 187, 96, 1}},
        {"A byte half to even, upwards",
         set(&P::transmitFrequency, "150.009375"),
         tx,
         {187, 66, 0}},
        {"rx 460 - 45", set(&P::receiveFrequency, "460"), rx, {6, 96, 2}},
        {"rx exactly 200", set(&P::receiveFrequency, "200"), rx, {20, 96, 1}},
        {"rx 200.0125", set(&P::receiveFrequency, "200.0125"), rx, {193, 98, 0}},
        {"rx ignores the band", [](P& p) { p.uhfBand = true; }, rx, {226, 96, 0}},
        {"number 1234", set(&P::peripheralNumber, "1234"), number, {1, 2, 3, 4}},
        {"number 12.0", set(&P::peripheralNumber, "12.0"), number, {0, 0, 1, 2}},
        {"mains position 1", [](P& p) { p.mainsPosition[5] = true; }, {18, 19}, {0x3E, 0x3F}},
        {"battery position 6", [](P& p) { p.batteryPosition[0] = true; }, {18, 19}, {0x3F, 0x1F}},
        {"direct inputs 1 and 6",
         [](P& p) { p.directInputs[5] = p.directInputs[0] = true; },
         {28},
         {0x21}},
        {"Lo", [](P& p) { p.lo = true; }, {27}, {1}},
        {"tone 123", [](P& p) { p.toneRow = 18; }, {8}, {17}},
        {"panel, Ins/DIS 1, beep", [](P& p) { p.controlPanel = true; }, {20}, {5}},
        {"panel, Ins/DIS 6, no beep",
         [](P& p) { p.controlPanel = p.insDisSix = true, p.insDisOne = p.beep = false; },
         {20},
         {2}},
        {"no panel, no mode bits",
         [](P& p) { p.insDisSix = true, p.insDisOne = false; },
         {20},
         {0}},
        {"half to even",
         set(&P::firstModifier, "12.5", &P::secondModifier, "13.5"),
         {5, 6},
         {12, 14}},
        {"times with the panel off",
         [](P& p) {
             p.sirenTime = "240", p.entryTime = "1 2", p.exitTime = "-0.4", p.group = "12,5";
         },
         {21, 22, 23, 7},
         {240, 12, 0, 12}},
        {"every text byte in place",
         [](P& p) {
             p.synchronismDuration = "1", p.pulseDuration = "2", p.repetitions = "3";
             p.repetitionInterval = "4", p.activationCode = "255.4";
         },
         {9, 10, 15, 16, 24},
         {1, 2, 3, 4, 255}},
        {"ranges low byte first",
         [](P& p) {
             p.rangeMinimum[0] = "9999", p.rangeMinimum[9] = "300", p.rangeMaximum[15] = "256";
         },
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
        {set(&P::peripheralNumber, "12345"), "Txtnumero"},
        {set(&P::peripheralNumber, "-5"), "Txtnumero"},
        {set(&P::peripheralNumber, "12.5"), "Txtnumero"},
        {set(&P::firstModifier, "256"), "Txtmodif1"},
        {set(&P::activationCode, "255.5"), "Txtcodatt"},
        {set(&P::exitTime, "-1"), "Txtout"},
        {[](P& p) { p.repetitions = std::string(400, '9'); }, "Text1"},
        {set(&P::receiveFrequency, "99999"), "txtrx"},
        {set(&P::transmitFrequency, "-160"), "txttx"},
        {[](P& p) { p.rangeMaximum[12] = "65536"; }, "Text3(12)"},
        {[](P& p) { p.rangeMinimum[0] = "511.7"; }, "Text2(0)"}, // low byte rounds to 256
        {[](P& p) { p.toneRow = 33; }, "Combotono"},
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
    parameters.peripheralNumber = "12345";
    parameters.receiveFrequency = "-1000";
    parameters.rangeMaximum[7] = "70000";
    parameters.rangeMinimum[8] = "-1";
    parameters.rangeMaximum[9] = "-1";
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
            parameters.rangeMinimum[static_cast<std::size_t>(k)] = min;
            parameters.rangeMaximum[static_cast<std::size_t>(k)] = max;
        }
        EXPECT_EQ(firstFailingRangePair(parameters), row.failing) << row.name;
    }
}

} // namespace
} // namespace velmora
