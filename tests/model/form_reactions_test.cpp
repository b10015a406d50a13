#include "form_test_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Names = std::vector<ControlId>;

const Names kPanelOn = {
    "Check1"_control,     "Check4"_control,     "Label6"_control,  "Label10"_control,
    "Label11"_control,    "Label12"_control,    "Label13"_control, "Label14"_control,
    "Txtsir"_control,     "txtin"_control,      "Txtout"_control,  "Frame6"_control,
    "Optrete(5)"_control, "Optbatt(5)"_control, "Option4"_control, "Option3"_control};

Names concat(Names first, const Names& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

TEST(ControlPanel, TickingClearsEveryPositionAndRecomputesNoInput) {
    FormModel form = startedWith({"Optbatt(2)"_control});
    const auto changes = recordChanges(form);
    form.setValue("Check1"_control, true);
    // Option4 is already selected, so its reaction does not run.
    EXPECT_EQ(*changes, concat(kPanelOn, {"Check3(5)"_control, "Optbatt(2)"_control}));
    EXPECT_EQ(row(form, kBatteryRow) + row(form, kMainsRow), "............");
    EXPECT_EQ(row(form, kInputRow, Show::Enabled), "xx.xxx");
    EXPECT_EQ(row(form, kInputRow, Show::Visible), "xxxxx.");
    EXPECT_EQ(row(form, kMainsRow, Show::Enabled) + row(form, kBatteryRow, Show::Enabled),
              "xxxxx.xxxxx.");
}

TEST(ControlPanel, TheInsDisReactionRunsInsideTheTickBeforeItsLastSteps) {
    // Option3 frees position 1, so the untick must clear the row's last index too.
    FormModel form = startedWith(
        {"Check1"_control, "Option3"_control, "Optrete(5)"_control, "Optbatt(1)"_control});
    form.setValue("Check1"_control, false);
    EXPECT_FALSE(form.value("Option3"_control) || form.enabled("Option3"_control) ||
                 form.enabled("Txtsir"_control));
    EXPECT_EQ(row(form, kMainsRow) + row(form, kBatteryRow), "............");
    EXPECT_EQ(row(form, kMainsRow, Show::Enabled), ".xxxxx"); // untick leaves position 6 off
    form.setValue("Optrete(2)"_control, true);
    const auto changes = recordChanges(form);
    form.setValue("Check1"_control, true);
    EXPECT_EQ(*changes,
              concat(kPanelOn, {"Option4"_control, "Check3(0)"_control, "Check3(5)"_control,
                                "Optbatt(0)"_control, "Optrete(0)"_control, "Optrete(2)"_control}));
    EXPECT_EQ(row(form, kMainsRow, Show::Enabled), "xxxxx.");
}

struct PositionCase {
    Names clicks;
    const char* rete;
    const char* batt;
    const char* inputsEnabled;
    const char* inputsTicked;
};

TEST(Positions, RowsNeverShareAPositionAndTakenInputsAreOff) {
    const PositionCase cases[] = {
        {{"Optbatt(3)"_control, "Optrete(3)"_control}, "...x..", "......", "xxx.xx", "xxx.xx"},
        {{"Optrete(3)"_control, "Optbatt(3)"_control}, "......", "...x..", "xxx.xx", "xxx.xx"},
        {{"Optrete(1)"_control, "Optbatt(4)"_control}, ".x....", "....x.", "x.xx.x", "x.xx.x"},
        // A freed input is enabled again but stays unticked.
        {{"Optrete(1)"_control, "Optrete(2)"_control}, "..x...", "......", "xx.xxx", "x..xxx"},
        {{"Check1"_control, "Option3"_control, "Optbatt(5)"_control},
         "......",
         ".....x",
         "xxxxx.",
         ".xxxx."},
    };
    for (const PositionCase& c : cases) {
        FormModel form = startedWith(concat({kInputRow.begin(), kInputRow.end()}, c.clicks));
        SCOPED_TRACE(controlName(c.clicks.back()));
        EXPECT_EQ(row(form, kMainsRow), c.rete);
        EXPECT_EQ(row(form, kBatteryRow), c.batt);
        EXPECT_EQ(row(form, kInputRow, Show::Enabled), c.inputsEnabled);
        EXPECT_EQ(row(form, kInputRow), c.inputsTicked);
    }
}

TEST(Annulla, ClearsItsRowAndReEvaluatesOnlyUpToIndex4) {
    FormModel form = startedWith({"Check1"_control, "Option3"_control, "Optbatt(5)"_control,
                                  "Optrete(2)"_control, "Check3(5)"_control});
    form.press("Command3"_control);
    EXPECT_EQ(row(form, kBatteryRow) + row(form, kMainsRow), "........x...");
    EXPECT_EQ(row(form, kInputRow, Show::Enabled), "xx.xx.");
    EXPECT_TRUE(form.value("Check3(5)"_control)); // nothing is unticked
    form.press("Command2"_control);
    EXPECT_EQ(row(form, kMainsRow), "......");
    EXPECT_EQ(row(form, kInputRow, Show::Enabled), "xxxxx.");
}

TEST(Clear, ResetsOnlyItsBlockOfRanges) {
    FormModel form = startedForm();
    const auto box = [](std::size_t k) {
        return (k % 2 ? kRangeMaximumBoxes : kRangeMinimumBoxes)[k];
    };
    for (std::size_t k = 0; k < kRangeCount; ++k)
        form.setText(box(k), std::to_string(k + 1));
    form.press("Command7"_control);
    for (std::size_t k = 0; k < kRangeCount; ++k)
        EXPECT_EQ(form.text(box(k)), k < 8 ? "0" : std::to_string(k + 1));
    form.press("Command8"_control);
    EXPECT_EQ(form.parameters(), ParameterSet{});
}

TEST(Band, EachBandOverwritesBothFrequencies) {
    FormModel form = startedForm();
    form.setText("txttx"_control, "165.1975");
    form.setValue("Option2"_control, true);
    EXPECT_EQ(form.text("txttx"_control) + " " + form.text("txtrx"_control), "460.0000 460.0000");
    EXPECT_FALSE(form.value("Option1"_control));
    form.setText("txtrx"_control, "433");
    form.setValue("Option1"_control, true);
    EXPECT_EQ(form.text("txttx"_control) + " " + form.text("txtrx"_control), "160.0000 160.0000");
}

TEST(ImageLoading, KeepsTheModeAndPositionReactionsOutButNotTheButtons) {
    FormModel form = startedForm();
    form.setImageLoading(true);
    const auto changes = recordChanges(form);
    form.setValue("Check1"_control, true);
    form.setValue("Optrete(3)"_control, true);
    form.setValue("Optbatt(3)"_control, true);
    form.setValue("Option3"_control, true);
    EXPECT_EQ(*changes, (Names{"Check1"_control, "Optrete(3)"_control, "Optbatt(3)"_control,
                               "Option4"_control, "Option3"_control, "Check3(0)"_control,
                               "Optbatt(0)"_control, "Optrete(0)"_control}));
    form.setImageLoading(false);
    form.setValue("Optbatt(2)"_control, true);
    EXPECT_EQ(row(form, kInputRow, Show::Enabled), "xx..xx");
}

} // namespace
} // namespace velmora
