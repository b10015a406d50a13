#include "values/text_value.h"
#include "values/tone_table.h"
#include "protocol/config_image.h"
#include "protocol/image_decode.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <tuple>

namespace velmora {
namespace {

constexpr double kHalfChannel = 0.00625; // MHz

// Any form the window lets an operator build, with texts as typed.
class RandomForm {
public:
    explicit RandomForm(unsigned seed) : engine_(seed) {}

    ParameterSet next() {
        ParameterSet p;
        p.txtnumero = std::string(static_cast<std::size_t>(whole(0, 3)), '0') + text(0, 9999);
        for (std::string* byte :
             {&p.txtgruppo, &p.txtmodif1, &p.txtmodif2, &p.txtcodatt, &p.textsincro, &p.textoutimp,
              &p.text1, &p.textintert, &p.txtsir, &p.txtin, &p.txtout})
            *byte = text(0, 255);
        p.combotonoRow = whole(0, static_cast<int>(kToneTable.size()) - 1);
        p.option2 = whole(0, 1) == 1;
        p.option1 = !p.option2;
        p.txttx = frequency(p.option2);
        p.txtrx = frequency(p.option2);
        for (auto* row : {&p.optrete, &p.optbatt, &p.check3})
            for (bool& member : *row)
                member = whole(0, 1) == 1;
        for (bool* box : {&p.check1, &p.option3, &p.check4, &p.check2})
            *box = whole(0, 1) == 1;
        p.option4 = !p.option3;
        for (std::size_t k = 0; k < kRangeCount; ++k)
            p.text2[k] = text(0, 9999), p.text3[k] = text(0, 9999);
        return p;
    }

private:
    int whole(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
    std::string text(int low, int high) { return std::to_string(whole(low, high)); }

    // Half the values are whole multiples of 6.25 kHz, the others any double in the band.
    std::string frequency(bool uhf) {
        double megahertz = std::uniform_real_distribution<double>(uhf ? 400.0 : 150.0,
                                                                  uhf ? 470.0 : 174.0)(engine_);
        if (whole(0, 1) == 1)
            megahertz = std::round(megahertz / kHalfChannel) * kHalfChannel;
        char buffer[32];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, megahertz).ptr);
    }

    std::mt19937 engine_;
};

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
        EXPECT_NEAR(textValue(d.txttx), textValue(form.txttx), kHalfChannel);
        EXPECT_NEAR(textValue(d.txtrx), textValue(form.txtrx), kHalfChannel);
        EXPECT_EQ(d.uhf, form.option2);
        EXPECT_EQ(d.txtnumero, std::to_string(static_cast<int>(textValue(form.txtnumero))));
        EXPECT_EQ(std::tie(d.txtgruppo, d.txtmodif1, d.txtmodif2, d.txtcodatt, d.textsincro,
                           d.textoutimp, d.text1, d.textintert, d.combotonoRow, d.lo),
                  std::tie(form.txtgruppo, form.txtmodif1, form.txtmodif2, form.txtcodatt,
                           form.textsincro, form.textoutimp, form.text1, form.textintert,
                           form.combotonoRow, form.check2));
        EXPECT_EQ(d.mode, !form.check1   ? PanelMode::Off
                          : form.option3 ? PanelMode::InsDisSix
                                         : PanelMode::InsDisOne);
        EXPECT_EQ(d.beep, form.check1 && form.check4);
        if (form.check1) {
            EXPECT_EQ(d.check3, form.check3);
            EXPECT_EQ(std::tie(d.txtsir, d.txtin, d.txtout),
                      std::tie(form.txtsir, form.txtin, form.txtout));
        }
        EXPECT_EQ(std::tie(d.text2, d.text3), std::tie(form.text2, form.text3));
    }
}

TEST(RoundTrip, MixedBandsDoNotComeBack) {
    ParameterSet form;
    form.txtrx = "460";
    const Result<DecodedImage> decoded = decodeImage(*encodeImage(form), ImageSource::FileImport);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded->txtrx, "393.6000"); // 460 - 45 on the way out, - 21.4 back
}

} // namespace
} // namespace velmora
