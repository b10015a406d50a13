#include "form_test_support.h"

#include "protocol/config_image.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr ImageSource kImport = ImageSource::FileImport;
constexpr ImageSource kDevice = ImageSource::DeviceReply;

// The image of the window right after start-up, with some bytes replaced.
Image startImage(std::initializer_list<std::pair<int, int>> bytes) {
    Image image = encodeImage(ParameterSet{}).value();
    for (const auto& [n, value] : bytes)
        imageByte(image, n) = static_cast<std::uint8_t>(value);
    return image;
}

FormModel decodedInto(FormModel form, const Image& image, ImageSource source) {
    form.applyDecodedImage(decodeImage(image, source).value(), source);
    EXPECT_FALSE(form.imageLoading());
    return form;
}

struct PositionCase {
    const char* name;
    std::vector<ControlId> clicks; // on the started window before the image
    Image image;
    ImageSource source;
    const char* reteAndBatt;
};

TEST(DecodePositions, AChangeOfModeClearsThemUnlessTheImageComesFromTheDevice) {
    const Image panelAtThree = startImage({{20, 1}, {18, 59}, {19, 59}});
    const Image plainAtFive = startImage({{18, 47}, {19, 61}});
    const Image plainWithoutSix = startImage({{18, 31}, {19, 31}});
    const std::vector<ControlId> panel = {"Check1"_control},
                                 reteSixBattThree = {"Optrete(0)"_control, "Optbatt(3)"_control};
    const PositionCase cases[] = {
        {"panel image, plain window, import", {}, panelAtThree, kImport, "............"},
        {"panel image, plain window, device", {}, panelAtThree, kDevice, "...x.....x.."},
        {"panel image, panel window", panel, startImage({{20, 1}, {18, 59}, {19, 61}}), kImport,
         "...x......x."},
        {"plain image, panel window", panel, plainAtFive, kImport, "............"},
        {"plain image, plain window", {}, plainAtFive, kImport, ".x........x."},
        {"Ins/DIS 6 takes position 6", panel, startImage({{20, 2}, {18, 31}}), kImport,
         "............"},
        {"several clear bits", {}, startImage({{18, 0}}), kImport, "x..........."},
        {"device, mode off: no bit 5", reteSixBattThree, plainWithoutSix, kDevice, "x..........."},
        {"import, mode off: battery wins", reteSixBattThree, plainWithoutSix, kImport,
         "......x....."},
    };
    for (const PositionCase& c : cases) {
        const FormModel form = decodedInto(startedWith(c.clicks), c.image, c.source);
        EXPECT_EQ(row(form, kMainsRow) + row(form, kBatteryRow), c.reteAndBatt) << c.name;
    }
}

struct ModeCase {
    int byte20;
    const char* state; // Check1, Check4 shown, Check4 ticked, Option3, Option4: 'x' on
    const char* inputsVisible;
    const char* positionsEnabled;
};

TEST(DecodeMode, TheModeByteSetsTheControlPanelGroup) {
    const ModeCase cases[] = {
        {5, "xxx.x", "xxxxx.", "xxxxx."},    {1, "xx..x", "xxxxx.", "xxxxx."},
        {3, "xx..x", "xxxxx.", "xxxxx."},    {6, "xxxx.", ".xxxxx", ".xxxxx"},
        {4, "....x", "xxxxxx", "xxxxxx"},    {0, "....x", "xxxxxx", "xxxxxx"},
        {0xF8, "....x", "xxxxxx", "xxxxxx"},
    };
    for (ImageSource source : {kImport, kDevice}) {
        for (const ModeCase& c : cases) {
            FormModel form = startedForm();
            form.setText("txtin"_control, "7");
            form.setValue("Check3(1)"_control, true);
            form = decodedInto(std::move(form), startImage({{20, c.byte20}, {22, 20}, {28, 0x21}}),
                               source);
            std::string state;
            for (bool on : {form.value("Check1"_control), form.visible("Check4"_control),
                            form.value("Check4"_control), form.value("Option3"_control),
                            form.value("Option4"_control)})
                state += on ? 'x' : '.';
            SCOPED_TRACE(c.byte20);
            EXPECT_EQ(state, c.state);
            EXPECT_EQ(row(form, kInputRow, Show::Visible), c.inputsVisible);
            EXPECT_EQ(row(form, kMainsRow, Show::Enabled), c.positionsEnabled);
            EXPECT_EQ(row(form, kBatteryRow, Show::Enabled), c.positionsEnabled);
            // Times and direct inputs are written only in control-panel mode.
            const bool panel = c.state[0] == 'x';
            EXPECT_EQ(row(form, kInputRow), panel ? "x....x" : ".x....");
            EXPECT_EQ(form.text("txtin"_control), panel ? "20" : "7");
            EXPECT_EQ(form.enabled("Txtsir"_control), panel);
            // Only the tick's reaction makes the inputs and the Ins/DIS pair operable.
            EXPECT_EQ(form.enabled("Frame6"_control) && form.enabled("Option3"_control),
                      panel && source == kImport);
        }
    }
    // A plain image frees what the panel's Ins/DIS position had taken.
    const FormModel plain = decodedInto(startedWith({"Check1"_control}), startImage({}), kDevice);
    EXPECT_EQ(row(plain, kInputRow, Show::Visible) + row(plain, kMainsRow, Show::Enabled),
              "xxxxxxxxxxxx");
}

TEST(DecodeBand, OnlyADeviceReplyChoosesTheBandAndItsDefaultsAreOverwritten) {
    const std::pair<Image, const char*> cases[] = {
        {startImage({{25, 0}, {11, 218}, {12, 96}}), "x 175.0000"},
        {startImage({{25, 0}, {11, 218}, {12, 94}}), ". 174.9875"},
    };
    for (const auto& [image, expected] : cases) {
        for (const bool uhf : {false, true}) {
            const std::vector<ControlId> band = {uhf ? "Option2"_control : "Option1"_control};
            const FormModel read = decodedInto(startedWith(band), image, kDevice);
            EXPECT_EQ(
                (read.value("Option2"_control) && !read.value("Option1"_control) ? "x " : ". ") +
                    read.text("txttx"_control) + " " + read.text("txtrx"_control),
                expected + (" " + decodeImage(image, kDevice)->values.receiveFrequency));
            EXPECT_EQ(decodedInto(startedWith(band), image, kImport).value("Option2"_control), uhf);
        }
    }
}

TEST(DecodeOrder, ImageLoadingSpansFromThePositionsToTheEnd) {
    FormModel form = startedForm();
    std::vector<std::string> seen;
    form.setListener([&](std::string_view name) {
        seen.push_back(std::string(name) + (form.imageLoading() ? "*" : ""));
    });
    const Image image = startImage({{25, 2}, {11, 30}, {12, 51}, {20, 1}, {18, 59}, {27, 1}});
    form.applyDecodedImage(decodeImage(image, kDevice).value(), kDevice);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Option1",     "Option2",     "txttx",       "txtrx",    "txttx",
                        "txtrx",       "Txtnumero",   "Optrete(3)*", "Check4*",  "Check4*",
                        "Check1*",     "Label6*",     "Label10*",    "Label11*", "Label12*",
                        "Label13*",    "Label14*",    "Txtsir*",     "txtin*",   "Txtout*",
                        "Optbatt(5)*", "Optrete(5)*", "Check3(5)*",  "Check2*"}));
}

} // namespace
} // namespace velmora
