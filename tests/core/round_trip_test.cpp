#include "model/text_value.h"
#include "model/tone_table.h"
#include "protocol/config_image.h"
#include "protocol/image_decode.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>

namespace velmora {
namespace {

constexpr double kHalfChannel = 0.00625; // MHz

class RandomForm {
public:
    explicit RandomForm(unsigned seed) : engine_(seed) {}

    ParameterSet next() {
        ParameterSet p;
        const int number = whole(0, 9999);
        p.txtnumero =
            std::string(static_cast<std::size_t>(whole(0, 3)), '0') + std::to_string(number);
        p.txtgruppo = text(0, 9);
        p.txtmodif1 = text(0, 255);
        p.txtmodif2 = text(0, 255);
        p.txtcodatt = text(0, 255);
        p.combotonoRow = whole(0, static_cast<int>(kToneTable.size()) - 1);
        p.textsincro = text(0, 255);
        p.textoutimp = text(0, 255);
        p.text1 = text(1, 9);
        p.textintert = text(5, 20);
        p.txtsir = text(5, 240);
        p.txtin = text(0, 240);
        p.txtout = text(0, 240);
        const bool uhf = whole(0, 1) == 1;
        p.option1 = !uhf;
        p.option2 = uhf;
        p.txttx = frequency(uhf);
        p.txtrx = frequency(uhf);
        // At most one position per row, never the same one in both rows.
        const int rete = whole(-1, 5);
        int batt = whole(-1, 5);
        if (batt == rete)
            batt = -1;
        if (rete >= 0)
            p.optrete[static_cast<std::size_t>(rete)] = true;
        if (batt >= 0)
            p.optbatt[static_cast<std::size_t>(batt)] = true;
        for (bool& ticked : p.check3)
            ticked = whole(0, 1) == 1;
        p.check1 = whole(0, 1) == 1;
        p.option3 = whole(0, 1) == 1;
        p.option4 = !p.option3;
        p.check4 = whole(0, 1) == 1;
        p.check2 = whole(0, 1) == 1;
        for (std::size_t k = 0; k < kRangeCount; ++k) {
            p.text2[k] = text(0, 9999);
            p.text3[k] = text(0, 9999);
        }
        return p;
    }

private:
    int whole(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
    std::string text(int low, int high) { return std::to_string(whole(low, high)); }

    // Half the values are whole multiples of 6.25 kHz, the others any double in the band.
    std::string frequency(bool uhf) {
        const double low = uhf ? 400.0 : 150.0;
        const double high = uhf ? 470.0 : 174.0;
        double megahertz = std::uniform_real_distribution<double>(low, high)(engine_);
        if (whole(0, 1) == 1)
            megahertz = std::round(megahertz / kHalfChannel) * kHalfChannel;
        char buffer[32];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, megahertz);
        return std::string(buffer, written.ptr);
    }

    std::mt19937 engine_;
};

// The synthesiser count of three frequency bytes: an A byte of 128 equals the next N
// with an A byte of 0.
int synthesiserCount(const Image& image, int low, int aByte, int high) {
    return 128 * (256 * imageByte(image, high) + imageByte(image, low)) + imageByte(image, aByte);
}

// Equal images, the frequencies compared by their synthesiser count.
void expectSameImage(const Image& again, const Image& image) {
    EXPECT_EQ(synthesiserCount(again, 11, 12, 25), synthesiserCount(image, 11, 12, 25));
    EXPECT_EQ(synthesiserCount(again, 13, 14, 26), synthesiserCount(image, 13, 14, 26));
    for (int n = 1; n <= kImageSize; ++n)
        if (n != 11 && n != 12 && n != 25 && n != 13 && n != 14 && n != 26) {
            EXPECT_EQ(imageByte(again, n), imageByte(image, n)) << "image byte " << n;
        }
}

int positionMask(const std::array<bool, kPositionCount>& selected) {
    int mask = 0;
    for (int bit = 0; bit < kPositionCount; ++bit)
        if (!selected[static_cast<std::size_t>(5 - bit)])
            mask |= 1 << bit;
    return mask;
}

// Writes a decoded image into a form as the window does on import: the last clear bit
// of a mask wins, and the control-panel fields only count while the mode is on.
ParameterSet applied(const DecodedImage& d, ParameterSet form) {
    form.txttx = d.txttx;
    form.txtrx = d.txtrx;
    form.txtnumero = d.txtnumero;
    form.txtgruppo = d.txtgruppo;
    form.txtmodif1 = d.txtmodif1;
    form.txtmodif2 = d.txtmodif2;
    form.txtcodatt = d.txtcodatt;
    form.combotonoRow = d.combotonoRow;
    form.textsincro = d.textsincro;
    form.textoutimp = d.textoutimp;
    form.text1 = d.text1;
    form.textintert = d.textintert;
    form.optrete = {};
    form.optbatt = {};
    for (int bit = 0; bit < d.positionBitsRead; ++bit) {
        const std::size_t index = static_cast<std::size_t>(5 - bit);
        if (!(d.reteMask >> bit & 1)) {
            form.optrete = {};
            form.optrete[index] = true;
        }
        if (!(d.battMask >> bit & 1)) {
            form.optbatt = {};
            form.optbatt[index] = true;
        }
    }
    form.check1 = d.mode != PanelMode::Off;
    form.check4 = d.beep && form.check1;
    if (form.check1) {
        form.option3 = d.mode == PanelMode::InsDisSix;
        form.option4 = !form.option3;
        form.check3 = d.check3;
        form.txtsir = d.txtsir;
        form.txtin = d.txtin;
        form.txtout = d.txtout;
    }
    form.text2 = d.text2;
    form.text3 = d.text3;
    form.check2 = d.lo;
    return form;
}

TEST(RoundTrip, DecodingGivesBackWhatWasEncoded) {
    RandomForm forms(20261206u);
    for (int run = 0; run < 3000; ++run) {
        const ParameterSet form = forms.next();
        SCOPED_TRACE("run " + std::to_string(run) + ", tx " + form.txttx + ", rx " + form.txtrx);
        const Result<Image> image = encodeImage(form);
        ASSERT_TRUE(image.ok()) << describe(image.problems());
        const Result<DecodedImage> decoded = decodeImage(*image, ImageSource::FileImport);
        ASSERT_TRUE(decoded.ok()) << describe(decoded.problems());
        const DecodedImage& d = *decoded;

        EXPECT_LE(d.txttx.size(), 8u);
        EXPECT_LE(d.txtrx.size(), 8u);
        EXPECT_NEAR(textValue(d.txttx), textValue(form.txttx), kHalfChannel);
        EXPECT_NEAR(textValue(d.txtrx), textValue(form.txtrx), kHalfChannel);
        EXPECT_EQ(d.uhf, form.option2);
        EXPECT_EQ(d.txtnumero, std::to_string(static_cast<int>(textValue(form.txtnumero))));
        EXPECT_EQ(d.txtgruppo, form.txtgruppo);
        EXPECT_EQ(d.txtmodif1, form.txtmodif1);
        EXPECT_EQ(d.txtmodif2, form.txtmodif2);
        EXPECT_EQ(d.txtcodatt, form.txtcodatt);
        EXPECT_EQ(d.combotonoRow, form.combotonoRow);
        EXPECT_EQ(d.textsincro, form.textsincro);
        EXPECT_EQ(d.textoutimp, form.textoutimp);
        EXPECT_EQ(d.text1, form.text1);
        EXPECT_EQ(d.textintert, form.textintert);
        EXPECT_EQ(d.reteMask, positionMask(form.optrete));
        EXPECT_EQ(d.battMask, positionMask(form.optbatt));
        EXPECT_EQ(d.mode, !form.check1   ? PanelMode::Off
                          : form.option3 ? PanelMode::InsDisSix
                                         : PanelMode::InsDisOne);
        EXPECT_EQ(d.beep, form.check1 && form.check4);
        if (form.check1) {
            EXPECT_EQ(d.check3, form.check3);
            EXPECT_EQ(d.txtsir, form.txtsir);
            EXPECT_EQ(d.txtin, form.txtin);
            EXPECT_EQ(d.txtout, form.txtout);
        }
        EXPECT_EQ(d.text2, form.text2);
        EXPECT_EQ(d.text3, form.text3);
        EXPECT_EQ(d.lo, form.check2);

        // Written into the same form and encoded again, the image comes back.
        const Result<Image> again = encodeImage(applied(d, form));
        ASSERT_TRUE(again.ok()) << describe(again.problems());
        expectSameImage(*again, *image);
    }
}

TEST(RoundTrip, DeviceReplyKeepsPositionSixOutWhileThePanelIsOff) {
    ParameterSet form;
    form.optrete[0] = true; // position 6
    const Result<DecodedImage> decoded = decodeImage(*encodeImage(form), ImageSource::DeviceReply);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->positionBitsRead, 5);
    EXPECT_EQ(applied(*decoded, ParameterSet{}).optrete, (std::array<bool, kPositionCount>{}));
}

TEST(RoundTrip, MixedBandsDoNotComeBack) {
    ParameterSet form;
    form.txttx = "160";
    form.txtrx = "460";
    const Result<DecodedImage> decoded = decodeImage(*encodeImage(form), ImageSource::FileImport);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->txttx, "160.0000");
    EXPECT_EQ(decoded->txtrx, "393.6000"); // 460 - 45 on the way out, - 21.4 back
}

} // namespace
} // namespace velmora
