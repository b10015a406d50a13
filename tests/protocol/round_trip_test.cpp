#include "protocol/config_image.h"
#include "protocol/image_decode.h"
#include "values/text_value.h"
#include "values/tone_table.h"

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
        p.peripheralNumber =
            std::string(static_cast<std::size_t>(whole(0, 3)), '0') + text(0, 9999);
        for (std::string* byte : {&p.group, &p.firstModifier, &p.secondModifier, &p.activationCode,
                                  &p.synchronismDuration, &p.pulseDuration, &p.repetitions,
                                  &p.repetitionInterval, &p.sirenTime, &p.entryTime, &p.exitTime})
            *byte = text(0, 255);
        p.toneRow = whole(0, static_cast<int>(kToneTable.size()) - 1);
        p.uhfBand = whole(0, 1) == 1;
        p.vhfBand = !p.uhfBand;
        p.transmitFrequency = frequency(p.uhfBand);
        p.receiveFrequency = frequency(p.uhfBand);
        for (auto* row : {&p.mainsPosition, &p.batteryPosition, &p.directInputs})
            for (bool& member : *row)
                member = whole(0, 1) == 1;
        for (bool* box : {&p.controlPanel, &p.insDisSix, &p.beep, &p.lo})
            *box = whole(0, 1) == 1;
        p.insDisOne = !p.insDisSix;
        for (std::size_t k = 0; k < kRangeCount; ++k)
            p.rangeMinimum[k] = text(0, 9999), p.rangeMaximum[k] = text(0, 9999);
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
        SCOPED_TRACE("run " + std::to_string(run) + ", tx " + form.transmitFrequency + ", rx " +
                     form.receiveFrequency);
        const Result<Image> image = encodeImage(form);
        ASSERT_TRUE(image.ok()) << describe(image.problems());
        const Result<DecodedImage> decoded = decodeImage(*image, ImageSource::FileImport);
        ASSERT_TRUE(decoded.ok()) << describe(decoded.problems());
        const ParameterSet& d = decoded->values;

        EXPECT_LE(d.transmitFrequency.size(), 8u);
        EXPECT_NEAR(textValue(d.transmitFrequency), textValue(form.transmitFrequency),
                    kHalfChannel);
        EXPECT_NEAR(textValue(d.receiveFrequency), textValue(form.receiveFrequency), kHalfChannel);
        EXPECT_EQ(d.uhfBand, form.uhfBand);
        EXPECT_EQ(d.peripheralNumber,
                  std::to_string(static_cast<int>(textValue(form.peripheralNumber))));
        EXPECT_EQ(std::tie(d.group, d.firstModifier, d.secondModifier, d.activationCode,
                           d.synchronismDuration, d.pulseDuration, d.repetitions,
                           d.repetitionInterval, d.toneRow, d.lo),
                  std::tie(form.group, form.firstModifier, form.secondModifier, form.activationCode,
                           form.synchronismDuration, form.pulseDuration, form.repetitions,
                           form.repetitionInterval, form.toneRow, form.lo));
        EXPECT_EQ(std::tie(d.controlPanel, d.insDisSix),
                  std::tuple(form.controlPanel, form.controlPanel && form.insDisSix));
        EXPECT_EQ(d.beep, form.controlPanel && form.beep);
        if (form.controlPanel) {
            EXPECT_EQ(d.directInputs, form.directInputs);
            EXPECT_EQ(std::tie(d.sirenTime, d.entryTime, d.exitTime),
                      std::tie(form.sirenTime, form.entryTime, form.exitTime));
        }
        EXPECT_EQ(std::tie(d.rangeMinimum, d.rangeMaximum),
                  std::tie(form.rangeMinimum, form.rangeMaximum));
    }
}

} // namespace
} // namespace velmora
