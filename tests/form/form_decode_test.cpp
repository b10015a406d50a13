#include "form_test_support.h"

#include "protocol/config_image.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr ImageSource kImport = ImageSource::FileImport;
constexpr ImageSource kDevice = ImageSource::DeviceReply;

// The image of the window right after start-up, with some bytes replaced.
Image startImage(std::initializer_list<std::pair<int, int>> bytes = {}) {
    Image image = encodeImage(ParameterSet{}).value();
    for (const auto& [n, value] : bytes)
        imageByte(image, n) = static_cast<std::uint8_t>(value);
    return image;
}

void apply(FormModel& form, const Image& image, ImageSource source) {
    const Result<DecodedImage> decoded = decodeImage(image, source);
    ASSERT_TRUE(decoded.ok()) << describe(decoded.problems());
    form.applyDecodedImage(decoded.value(), source);
}

FormModel panelForm() {
    FormModel form = startedForm();
    form.setValue("Check1", true);
    return form;
}

// Mode on, position 3 in both rows (bit 2 clear).
const Image kPanelAtThree = startImage({{20, 1}, {18, 59}, {19, 59}});

TEST(DecodeMode, PanelImageIntoAPlainWindowLosesItsPositionsOnImport) {
    FormModel form = startedForm();
    apply(form, kPanelAtThree, kImport);
    EXPECT_TRUE(form.value("Check1"));
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_EQ(rowValues(form, "Optbatt"), "......");
    EXPECT_TRUE(form.enabled("Frame6")); // the tick's reaction ran
    EXPECT_FALSE(form.imageLoading());
}

TEST(DecodeMode, PanelImageIntoAPlainWindowKeepsItsPositionsFromTheDevice) {
    FormModel form = startedForm();
    apply(form, kPanelAtThree, kDevice);
    EXPECT_TRUE(form.value("Check1"));
    EXPECT_EQ(rowValues(form, "Optrete"), "...x..");
    EXPECT_EQ(rowValues(form, "Optbatt"), "...x..");
    EXPECT_FALSE(form.enabled("Frame6")); // no reaction: the inputs stay inoperable
    EXPECT_TRUE(form.enabled("Txtsir"));
    EXPECT_TRUE(form.visible("Check4"));
    EXPECT_FALSE(form.imageLoading());
}

TEST(DecodeMode, PanelImageIntoAPanelWindowKeepsItsPositionsOnImport) {
    FormModel form = panelForm();
    apply(form, startImage({{20, 1}, {18, 59}, {19, 61}}), kImport);
    EXPECT_EQ(rowValues(form, "Optrete"), "...x..");
    EXPECT_EQ(rowValues(form, "Optbatt"), "....x.");
    EXPECT_EQ(rowEnabled(form, "Check3"), "eee--e");
}

TEST(DecodeMode, PlainImageIntoAPanelWindowLosesItsPositionsOnImport) {
    FormModel form = panelForm();
    apply(form, startImage({{18, 59}, {19, 61}}), kImport);
    EXPECT_FALSE(form.value("Check1"));
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_EQ(rowValues(form, "Optbatt"), "......");
    EXPECT_FALSE(form.enabled("Frame6"));
}

TEST(DecodeMode, PositionSixIsTakenByAnInsDisSixImage) {
    FormModel form = panelForm();
    apply(form, startImage({{20, 2}, {18, 31}, {19, 63}}), kImport);
    EXPECT_TRUE(form.value("Option3"));
    EXPECT_EQ(rowValues(form, "Optrete"), "......"); // Option3's reaction freed it
    EXPECT_EQ(rowEnabled(form, "Optrete"), "-eeeee");
}

TEST(DecodeMode, DeviceReplyWithModeOffLeavesPositionSixAsItWas) {
    FormModel form = startedForm();
    form.setValue("Optrete(0)", true);
    form.setValue("Optbatt(2)", true);
    apply(form, startImage({{18, 31}, {19, 31}}), kDevice);
    EXPECT_EQ(rowValues(form, "Optrete"), "x.....");
    EXPECT_EQ(rowValues(form, "Optbatt"), "......");

    // The same bytes imported do read bit 5: position 6 goes to the battery row,
    // which wins over the mains row.
    FormModel imported = startedForm();
    apply(imported, startImage({{18, 31}, {19, 31}}), kImport);
    EXPECT_EQ(rowValues(imported, "Optrete"), "......");
    EXPECT_EQ(rowValues(imported, "Optbatt"), "x.....");
}

TEST(DecodeMode, SeveralClearBitsLeaveTheHighestPositionSelected) {
    FormModel form = startedForm();
    apply(form, startImage({{18, 0}, {19, 63}}), kImport);
    EXPECT_EQ(rowValues(form, "Optrete"), "x.....");
    apply(form, startImage({{18, 62}}), kImport);
    EXPECT_EQ(rowValues(form, "Optrete"), ".....x");
}

TEST(DecodeMode, ModeOffLeavesTheTimesAndDirectInputsAlone) {
    for (ImageSource source : {kImport, kDevice}) {
        FormModel form = panelForm();
        form.setText("Txtsir", "99");
        form.setText("txtin", "7");
        form.setText("Txtout", "8");
        form.setValue("Check3(1)", true);
        apply(form, startImage({{20, 4}, {21, 10}, {22, 20}, {23, 30}, {28, 0x3F}}), source);
        EXPECT_EQ(form.text("Txtsir"), "99");
        EXPECT_EQ(form.text("txtin"), "7");
        EXPECT_EQ(form.text("Txtout"), "8");
        EXPECT_EQ(rowValues(form, "Check3"), ".x....");
        EXPECT_FALSE(form.value("Check4")); // beep bit ignored without the mode
        EXPECT_FALSE(form.visible("Check4"));
        EXPECT_FALSE(form.enabled("Txtsir"));
        EXPECT_FALSE(form.enabled("Option4"));
    }
}

struct ModeCase {
    int byte20;
    bool panel;
    bool option3;
    bool option4;
    bool beep;
    const char* inputsVisible;
    const char* reteEnabled;
};

TEST(DecodeMode, ModeByteSetsTheControlPanelGroup) {
    const ModeCase cases[] = {
        {5, true, false, true, true, "vvvvv-", "eeeee-"},
        {1, true, false, true, false, "vvvvv-", "eeeee-"},
        {3, true, false, true, false, "vvvvv-", "eeeee-"}, // bit 0 wins
        {7, true, false, true, true, "vvvvv-", "eeeee-"},
        {2, true, true, false, false, "-vvvvv", "-eeeee"},
        {6, true, true, false, true, "-vvvvv", "-eeeee"},
        {4, false, false, true, false, "vvvvvv", "eeeeee"},
        {0, false, false, true, false, "vvvvvv", "eeeeee"},
    };
    for (ImageSource source : {kImport, kDevice}) {
        for (const ModeCase& c : cases) {
            SCOPED_TRACE("byte 20 = " + std::to_string(c.byte20) +
                         (source == kImport ? " import" : " device"));
            FormModel form = startedForm();
            apply(form, startImage({{20, c.byte20}, {28, 0x21}}), source);
            EXPECT_EQ(form.value("Check1"), c.panel);
            EXPECT_EQ(form.visible("Check4"), c.panel);
            EXPECT_EQ(form.value("Check4"), c.beep);
            // Only the tick's reaction enables the Ins/DIS pair; a device reply keeps it out.
            EXPECT_EQ(form.enabled("Option3"), c.panel && source == kImport);
            EXPECT_EQ(form.enabled("Frame6"), c.panel && source == kImport);
            EXPECT_EQ(form.value("Option3"), c.option3);
            EXPECT_EQ(form.value("Option4"), c.option4);
            EXPECT_EQ(form.enabled("Label13"), c.panel);
            EXPECT_EQ(rowVisible(form, "Check3"), c.inputsVisible);
            EXPECT_EQ(rowEnabled(form, "Optrete"), c.reteEnabled);
            EXPECT_EQ(rowEnabled(form, "Optbatt"), c.reteEnabled);
            // Inputs 6 and 1 are written only in control-panel mode.
            EXPECT_EQ(rowValues(form, "Check3"), c.panel ? "x....x" : "......");
        }
    }
}

struct BandCase {
    int high;
    int low;
    int aByte;
    bool uhf;
    const char* txttx;
};

TEST(DecodeBand, DeviceReplyChoosesTheBandBeforeWritingTheFrequencies) {
    const BandCase cases[] = {
        {0, 218, 96, true, "175.0000"},
        {0, 218, 94, false, "174.9875"},
        {0, 200, 0, false, "160.0000"},
        {2, 30, 51, true, "433.9187"},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.txttx);
        const Image image = startImage({{25, c.high}, {11, c.low}, {12, c.aByte}});
        FormModel form = startedForm();
        if (!c.uhf)
            form.setValue("Option2", true);
        apply(form, image, kDevice);
        EXPECT_EQ(form.value("Option2"), c.uhf);
        EXPECT_EQ(form.value("Option1"), !c.uhf);
        EXPECT_EQ(form.text("txttx"), c.txttx);
        EXPECT_EQ(form.text("txtrx"), decodeImage(image, kDevice)->txtrx);

        FormModel imported = startedForm();
        apply(imported, image, kImport);
        EXPECT_TRUE(imported.value("Option1")); // an import leaves the band alone
        EXPECT_EQ(imported.text("txttx"), c.txttx);
    }
}

TEST(DecodeOrder, BandDefaultsAreOverwrittenAndImageLoadingSpansPositionsToTheEnd) {
    FormModel form = startedForm();
    std::vector<std::pair<std::string, bool>> seen;
    form.setListener([&](std::string_view name) { seen.emplace_back(name, form.imageLoading()); });
    apply(form, startImage({{25, 2}, {11, 30}, {12, 51}, {20, 1}, {18, 59}, {27, 1}}), kDevice);

    ASSERT_GE(seen.size(), 7U);
    const std::vector<std::pair<std::string, bool>> start(seen.begin(), seen.begin() + 6);
    EXPECT_EQ(start, (std::vector<std::pair<std::string, bool>>{{"Option1", false},
                                                                {"Option2", false},
                                                                {"txttx", false},
                                                                {"txtrx", false},
                                                                {"txttx", false},
                                                                {"txtrx", false}}));
    for (const auto& [name, loading] : seen) {
        const bool afterTexts = name == "Optrete(3)" || name == "Check1" || name == "Check2" ||
                                name == "Option4" || name == "Check4";
        if (afterTexts) {
            EXPECT_TRUE(loading) << name;
        }
    }
    EXPECT_EQ(seen[6], (std::pair<std::string, bool>{"Txtnumero", false}));
    EXPECT_EQ(seen.back().first, "Check2");
    EXPECT_FALSE(form.imageLoading());
}

TEST(DecodeOrder, ImportNeverRaisesImageLoading) {
    FormModel form = startedForm();
    bool everLoading = false;
    form.setListener([&](std::string_view) { everLoading = everLoading || form.imageLoading(); });
    apply(form, kPanelAtThree, kImport);
    EXPECT_FALSE(everLoading);
}

TEST(DecodeRoundTrip, APanelWindowComesBackAsItWasProgrammed) {
    ParameterSet set;
    set.txtnumero = "1234";
    set.txtgruppo = "7";
    set.txtmodif1 = "12";
    set.txtmodif2 = "255";
    set.txtcodatt = "99";
    set.combotonoRow = 32;
    set.textsincro = "1";
    set.textoutimp = "200";
    set.text1 = "9";
    set.textintert = "20";
    set.txtsir = "240";
    set.txtin = "30";
    set.txtout = "45";
    set.optrete[2] = true;
    set.optbatt[4] = true;
    set.check3 = {true, true, false, true, false, false};
    set.check1 = true;
    set.check2 = true;
    set.check4 = false;
    for (int k = 0; k < kRangeCount; ++k) {
        set.text2[static_cast<std::size_t>(k)] = std::to_string(k * 100 + 1);
        set.text3[static_cast<std::size_t>(k)] = std::to_string(9999 - k);
    }
    const Image image = encodeImage(set).value();
    for (ImageSource source : {kImport, kDevice}) {
        FormModel form = panelForm();
        apply(form, image, source);
        EXPECT_EQ(form.parameters(), set);
    }
}

} // namespace
} // namespace velmora
