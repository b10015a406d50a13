#include "form_test_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Names = std::vector<std::string>;

const Names kPanelOn = {"Check1",     "Check4",     "Label6",  "Label10", "Label11", "Label12",
                        "Label13",    "Label14",    "Txtsir",  "txtin",   "Txtout",  "Frame6",
                        "Optrete(5)", "Optbatt(5)", "Option4", "Option3"};

Names concat(Names first, const Names& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

TEST(ControlPanel, TickingClearsEveryPositionAndRecomputesNoInput) {
    FormModel form = startedWith({"Optbatt(2)"});
    const auto changes = recordChanges(form);
    form.setValue("Check1", true);
    // Option4 is already selected, so its reaction does not run.
    EXPECT_EQ(*changes, concat(kPanelOn, {"Check3(5)", "Optbatt(2)"}));
    EXPECT_EQ(row(form, "Optbatt") + row(form, "Optrete"), "............");
    EXPECT_EQ(row(form, "Check3", Show::Enabled), "xx.xxx");
    EXPECT_EQ(row(form, "Check3", Show::Visible), "xxxxx.");
    EXPECT_EQ(row(form, "Optrete", Show::Enabled) + row(form, "Optbatt", Show::Enabled),
              "xxxxx.xxxxx.");
}

TEST(ControlPanel, TheInsDisReactionRunsInsideTheTickBeforeItsLastSteps) {
    // Option3 frees position 1, so the untick must clear the row's last index too.
    FormModel form = startedWith({"Check1", "Option3", "Optrete(5)", "Optbatt(1)"});
    form.setValue("Check1", false);
    EXPECT_FALSE(form.value("Option3") || form.enabled("Option3") || form.enabled("Txtsir"));
    EXPECT_EQ(row(form, "Optrete") + row(form, "Optbatt"), "............");
    EXPECT_EQ(row(form, "Optrete", Show::Enabled), ".xxxxx"); // untick leaves position 6 off
    form.setValue("Optrete(2)", true);
    const auto changes = recordChanges(form);
    form.setValue("Check1", true);
    EXPECT_EQ(*changes, concat(kPanelOn, {"Option4", "Check3(0)", "Check3(5)", "Optbatt(0)",
                                          "Optrete(0)", "Optrete(2)"}));
    EXPECT_EQ(row(form, "Optrete", Show::Enabled), "xxxxx.");
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
        {{"Optbatt(3)", "Optrete(3)"}, "...x..", "......", "xxx.xx", "xxx.xx"},
        {{"Optrete(3)", "Optbatt(3)"}, "......", "...x..", "xxx.xx", "xxx.xx"},
        {{"Optrete(1)", "Optbatt(4)"}, ".x....", "....x.", "x.xx.x", "x.xx.x"},
        // A freed input is enabled again but stays unticked.
        {{"Optrete(1)", "Optrete(2)"}, "..x...", "......", "xx.xxx", "x..xxx"},
        {{"Check1", "Option3", "Optbatt(5)"}, "......", ".....x", "xxxxx.", ".xxxx."},
    };
    for (const PositionCase& c : cases) {
        Names clicks;
        for (int i = 0; i < 6; ++i)
            clicks.push_back(indexedName("Check3", i));
        FormModel form = startedWith(concat(clicks, c.clicks));
        SCOPED_TRACE(c.clicks.back());
        EXPECT_EQ(row(form, "Optrete"), c.rete);
        EXPECT_EQ(row(form, "Optbatt"), c.batt);
        EXPECT_EQ(row(form, "Check3", Show::Enabled), c.inputsEnabled);
        EXPECT_EQ(row(form, "Check3"), c.inputsTicked);
    }
}

TEST(Annulla, ClearsItsRowAndReEvaluatesOnlyUpToIndex4) {
    FormModel form = startedWith({"Check1", "Option3", "Optbatt(5)", "Optrete(2)", "Check3(5)"});
    form.press("Command3");
    EXPECT_EQ(row(form, "Optbatt") + row(form, "Optrete"), "........x...");
    EXPECT_EQ(row(form, "Check3", Show::Enabled), "xx.xx.");
    EXPECT_TRUE(form.value("Check3(5)")); // nothing is unticked
    form.press("Command2");
    EXPECT_EQ(row(form, "Optrete"), "......");
    EXPECT_EQ(row(form, "Check3", Show::Enabled), "xxxxx.");
}

TEST(Clear, ResetsOnlyItsBlockOfRanges) {
    FormModel form = startedForm();
    for (int k = 0; k < 16; ++k)
        form.setText(indexedName(k % 2 ? "Text3" : "Text2", k), std::to_string(k + 1));
    form.press("Command7");
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(form.text(indexedName(k % 2 ? "Text3" : "Text2", k)),
                  k < 8 ? "0" : std::to_string(k + 1));
    form.press("Command8");
    EXPECT_EQ(form.parameters(), ParameterSet{});
}

TEST(Band, EachBandOverwritesBothFrequencies) {
    FormModel form = startedForm();
    form.setText("txttx", "165.1975");
    form.setValue("Option2", true);
    EXPECT_EQ(form.text("txttx") + " " + form.text("txtrx"), "460.0000 460.0000");
    EXPECT_FALSE(form.value("Option1"));
    form.setText("txtrx", "433");
    form.setValue("Option1", true);
    EXPECT_EQ(form.text("txttx") + " " + form.text("txtrx"), "160.0000 160.0000");
}

TEST(ImageLoading, KeepsTheModeAndPositionReactionsOutButNotTheButtons) {
    FormModel form = startedForm();
    form.setImageLoading(true);
    const auto changes = recordChanges(form);
    form.setValue("Check1", true);
    form.setValue("Optrete(3)", true);
    form.setValue("Optbatt(3)", true);
    form.setValue("Option3", true);
    EXPECT_EQ(*changes, (Names{"Check1", "Optrete(3)", "Optbatt(3)", "Option4", "Option3",
                               "Check3(0)", "Optbatt(0)", "Optrete(0)"}));
    form.setImageLoading(false);
    form.setValue("Optbatt(2)", true);
    EXPECT_EQ(row(form, "Check3", Show::Enabled), "xx..xx");
}

} // namespace
} // namespace velmora
