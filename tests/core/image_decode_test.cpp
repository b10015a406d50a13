#include "protocol/image_decode.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace velmora {
namespace {

using Bytes = std::initializer_list<std::pair<int, int>>; // image byte number, value

// The image of the form right after start-up, with some bytes changed.
Image imageWith(Bytes changes) {
    Image image{};
    imageByte(image, 4) = 1;
    imageByte(image, 8) = 255;
    imageByte(image, 11) = 200;
    imageByte(image, 13) = 226;
    imageByte(image, 14) = 96;
    for (int n : {17, 29, 30, 31, 32})
        imageByte(image, n) = 0x41;
    for (const auto& [n, value] : changes)
        imageByte(image, n) = static_cast<std::uint8_t>(value);
    return image;
}

DecodedImage decoded(Bytes changes, ImageSource source = ImageSource::FileImport) {
    const Result<DecodedImage> result = decodeImage(imageWith(changes), source);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : describe(result.problems()));
    return result.ok() ? result.value() : DecodedImage{};
}

TEST(FrequencyText, FifteenDigitsCutToEight) {
    const std::pair<double, const char*> rows[] = {
        {160.00001, "160.0000"}, {433.91876, "433.9187"},
        {460.2, "460.2"},        {460.0, "460"},
        {0.00001, "0.00001"},    {0.0, "0"},
        {-21.39999, "-21.3999"}, {1.5, "1.5"},
        {0.000123, "0.000123"},  {52428.01251, "52428.01"}};
    for (const auto& [value, text] : rows)
        EXPECT_EQ(frequencyText(value), text) << value;
}

TEST(DecodeImage, StartUpImage) {
    const DecodedImage image = decoded({});
    EXPECT_EQ(image.txttx, "160.0000");
    EXPECT_EQ(image.txtrx, "160.0000");
    EXPECT_EQ(image.txtnumero, "1");
    EXPECT_EQ(image.combotonoRow, 0);
    EXPECT_EQ(image.txtcodatt, "0");
    EXPECT_EQ(image.mode, PanelMode::Off);
    EXPECT_FALSE(image.uhf);
    EXPECT_EQ(image.text2[15], "0");
}

TEST(DecodeImage, FrequencyTexts) {
    struct Row {
        Bytes bytes;
        const char* txttx;
        const char* txtrx;
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
    };
    for (const Row& row : rows) {
        const DecodedImage image = decoded(row.bytes);
        EXPECT_EQ(image.txttx, row.txttx);
        if (row.txtrx) {
            EXPECT_EQ(image.txtrx, row.txtrx) << row.txttx;
        }
        EXPECT_EQ(image.uhf, row.uhf) << row.txttx;
    }
    EXPECT_DOUBLE_EQ(decoded({{25, 0}, {11, 218}, {12, 96}}).txFrequency, 175.00001);
    EXPECT_DOUBLE_EQ(decoded({{25, 0}, {11, 218}, {12, 94}}).txFrequency, 174.98751);
}

TEST(DecodeImage, PlainFields) {
    const DecodedImage image = decoded({{1, 9},
                                        {2, 9},
                                        {3, 9},
                                        {4, 9},
                                        {5, 12},
                                        {6, 255},
                                        {7, 3},
                                        {8, 0},
                                        {9, 80},
                                        {10, 7},
                                        {15, 0},
                                        {16, 20},
                                        {21, 240},
                                        {22, 1},
                                        {23, 2},
                                        {24, 24}});
    EXPECT_EQ(image.txtnumero, "9999");
    EXPECT_EQ(image.txtmodif1, "12");
    EXPECT_EQ(image.txtmodif2, "255");
    EXPECT_EQ(image.txtgruppo, "3");
    EXPECT_EQ(image.combotonoRow, 1);
    EXPECT_EQ(image.textsincro, "80");
    EXPECT_EQ(image.textoutimp, "7");
    EXPECT_EQ(image.text1, "0");
    EXPECT_EQ(image.textintert, "20");
    EXPECT_EQ(image.txtsir, "240");
    EXPECT_EQ(image.txtin, "1");
    EXPECT_EQ(image.txtout, "2");
    EXPECT_EQ(image.txtcodatt, "24");
    EXPECT_EQ(decoded({{8, 31}}).combotonoRow, 32);
}

TEST(DecodeImage, PeripheralNumberInSixteenBits) {
    struct Row {
        Bytes digits;
        const char* text; // nullptr: refused
    };
    const Row rows[] = {
        {{{1, 0}, {2, 0}, {3, 0}, {4, 1}}, "1"},
        {{{1, 32}, {2, 7}, {3, 6}, {4, 7}}, "32767"},
        {{{1, 32}, {2, 7}, {3, 6}, {4, 8}}, nullptr},
        {{{1, 32}, {2, 9}, {3, 0}, {4, 0}}, nullptr},
        {{{1, 33}, {2, 0}, {3, 0}, {4, 0}}, nullptr},
        {{{1, 40}, {2, 0}, {3, 0}, {4, 0}}, nullptr},
        {{{1, 0}, {2, 255}, {3, 255}, {4, 255}}, "28305"},
    };
    for (const Row& row : rows) {
        const Result<DecodedImage> image =
            decodeImage(imageWith(row.digits), ImageSource::FileImport);
        if (row.text) {
            ASSERT_TRUE(image.ok()) << row.text;
            EXPECT_EQ(image->txtnumero, row.text);
        } else {
            ASSERT_FALSE(image.ok());
            EXPECT_EQ(image.problems().at(0).field, "Txtnumero");
        }
    }
}

TEST(DecodeImage, ToneCodesWithoutRowAreRefused) {
    for (int code : {32, 100, 254}) {
        const Result<DecodedImage> image =
            decodeImage(imageWith({{8, code}}), ImageSource::DeviceReply);
        ASSERT_FALSE(image.ok()) << code;
        EXPECT_EQ(image.problems().at(0).field, "Combotono");
    }
}

TEST(DecodeImage, RangeHighBytes) {
    struct Row {
        ImageSource source;
        int low, high;
        const char* text; // nullptr: refused
    };
    const Row rows[] = {
        {ImageSource::FileImport, 15, 39, "9999"},    {ImageSource::DeviceReply, 15, 39, "9999"},
        {ImageSource::FileImport, 255, 127, "32767"}, {ImageSource::FileImport, 0, 128, nullptr},
        {ImageSource::FileImport, 5, 200, nullptr},   {ImageSource::DeviceReply, 5, 200, "2053"},
        {ImageSource::FileImport, 5, 0xC1, nullptr},  {ImageSource::DeviceReply, 5, 0xC1, "261"},
    };
    for (const Row& row : rows) {
        // Range 2 of the second group: maximum at image bytes 71 and 72.
        const Result<DecodedImage> image =
            decodeImage(imageWith({{71, row.low}, {72, row.high}}), row.source);
        if (row.text) {
            ASSERT_TRUE(image.ok()) << row.high;
            EXPECT_EQ(image->text3[9], row.text);
            EXPECT_EQ(image->text2[9], "0");
        } else {
            ASSERT_FALSE(image.ok()) << row.high;
            EXPECT_EQ(image.problems().at(0).field, "Text3(9)");
        }
    }
}

TEST(DecodeImage, CollectsEveryProblem) {
    const Result<DecodedImage> image =
        decodeImage(imageWith({{1, 40}, {8, 32}, {34, 200}, {96, 128}}), ImageSource::FileImport);
    ASSERT_FALSE(image.ok());
    const Problems& problems = image.problems();
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].field, "Txtnumero");
    EXPECT_EQ(problems[1].field, "Combotono");
    EXPECT_EQ(problems[1].message, "Tono subaudio: codice 32 sconosciuto");
    EXPECT_EQ(problems[2].field, "Text2(0)");
    EXPECT_EQ(problems[3].field, "Text3(15)");
}

TEST(DecodeImage, ModeBitsAndPositionBits) {
    struct Row {
        int byte20;
        ImageSource source;
        PanelMode mode;
        bool beep;
        int positionBits;
    };
    const Row rows[] = {
        {0, ImageSource::FileImport, PanelMode::Off, false, 6},
        {0, ImageSource::DeviceReply, PanelMode::Off, false, 5},
        {4, ImageSource::DeviceReply, PanelMode::Off, true, 5},
        {1, ImageSource::DeviceReply, PanelMode::InsDisOne, false, 6},
        {5, ImageSource::FileImport, PanelMode::InsDisOne, true, 6},
        {3, ImageSource::DeviceReply, PanelMode::InsDisOne, false, 6},
        {2, ImageSource::DeviceReply, PanelMode::InsDisSix, false, 6},
        {6, ImageSource::FileImport, PanelMode::InsDisSix, true, 6},
        {0xF8, ImageSource::DeviceReply, PanelMode::Off, false, 5},
    };
    for (const Row& row : rows) {
        const DecodedImage image = decoded({{20, row.byte20}}, row.source);
        EXPECT_EQ(image.mode, row.mode) << row.byte20;
        EXPECT_EQ(image.beep, row.beep) << row.byte20;
        EXPECT_EQ(image.positionBitsRead, row.positionBits) << row.byte20;
    }
}

TEST(DecodeImage, MasksAndFlags) {
    const DecodedImage image = decoded({{18, 59}, {19, 31}, {28, 0xC1}, {27, 3}});
    EXPECT_EQ(image.reteMask, 59);
    EXPECT_EQ(image.battMask, 31);
    const std::array<bool, kPositionCount> inputs{false, false, false, false, false, true};
    EXPECT_EQ(image.check3, inputs);
    EXPECT_TRUE(image.lo);
    EXPECT_FALSE(decoded({{27, 2}}).lo);
    const std::array<bool, kPositionCount> sixth{true, false, false, false, false, false};
    EXPECT_EQ(decoded({{28, 0x20}}).check3, sixth);
}

TEST(DecodeImage, MarkersAreIgnored) {
    const DecodedImage plain = decoded({});
    const DecodedImage marked = decoded({{17, 0}, {29, 255}, {30, 1}, {31, 0xAA}, {32, 0x55}});
    EXPECT_EQ(marked.txtnumero, plain.txtnumero);
    EXPECT_EQ(marked.txttx, plain.txttx);
    EXPECT_EQ(marked.text2, plain.text2);
    EXPECT_EQ(marked.lo, plain.lo);
    EXPECT_EQ(marked.mode, plain.mode);
}

} // namespace
} // namespace velmora
