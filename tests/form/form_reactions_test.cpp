#include "form_test_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Names = std::vector<std::string>;

const char* const kPanelControls[] = {"Label6",  "Label10", "Label11", "Label12", "Label13",
                                      "Label14", "Txtsir",  "txtin",   "Txtout",  "Frame6"};

TEST(ControlPanel, TickingSwitchesTheGroupOnAndClearsEveryPosition) {
    FormModel form = startedForm();
    form.setValue("Optbatt(2)", true);
    ASSERT_FALSE(form.enabled("Check3(2)"));
    form.setValue("Check1", true);

    EXPECT_EQ(rowValues(form, "Optbatt"), "......");
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_FALSE(form.enabled("Check3(2)")); // nothing re-evaluates the freed position
    EXPECT_EQ(rowVisible(form, "Check3"), "vvvvv-");
    EXPECT_EQ(rowEnabled(form, "Optrete"), "eeeee-");
    EXPECT_EQ(rowEnabled(form, "Optbatt"), "eeeee-");
    EXPECT_TRUE(form.visible("Check4"));
    EXPECT_TRUE(form.value("Check4"));
    EXPECT_TRUE(form.value("Option4"));
    EXPECT_TRUE(form.enabled("Option3"));
    EXPECT_TRUE(form.enabled("Option4"));
    for (const char* name : kPanelControls)
        EXPECT_TRUE(form.enabled(name)) << name;
}

TEST(ControlPanel, UntickingSwitchesTheGroupOffAndKeepsCheck3Hidden) {
    FormModel form = startedForm();
    form.setValue("Check1", true);
    form.setValue("Optrete(1)", true);
    form.setValue("Check1", false);

    EXPECT_FALSE(form.visible("Check4"));
    EXPECT_FALSE(form.value("Option4"));
    EXPECT_FALSE(form.value("Option3"));
    EXPECT_FALSE(form.enabled("Option3"));
    EXPECT_FALSE(form.enabled("Option4"));
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_EQ(rowEnabled(form, "Optrete"), "eeeeee");
    EXPECT_FALSE(form.visible("Check3(5)"));
    for (const char* name : kPanelControls)
        EXPECT_FALSE(form.enabled(name)) << name;
}

TEST(ControlPanel, FirstTickFindsOption4SelectedAndRunsNoInsDisReaction) {
    FormModel form = startedForm();
    ChangeLog log(form);
    form.setValue("Check1", true);
    EXPECT_EQ(log.names, (Names{"Check1", "Check4", "Label6", "Label10", "Label11", "Label12",
                                "Label13", "Label14", "Txtsir", "txtin", "Txtout", "Frame6",
                                "Optrete(5)", "Optbatt(5)", "Option4", "Option3", "Check3(5)"}));
}

TEST(ControlPanel, TheInsDisReactionRunsInsideTheTickBeforeItsLastSteps) {
    FormModel form = startedForm();
    form.setValue("Check1", true);
    form.setValue("Option3", true);
    form.setValue("Check1", false);
    form.setValue("Optrete(2)", true);
    ChangeLog log(form);
    form.setValue("Check1", true);
    // The Option4 reaction shows Check3(0), hides Check3(5) and frees position 6 right
    // after Option4 is selected; only then does the tick clear the positions.
    EXPECT_EQ(log.names,
              (Names{"Check1",     "Check4",     "Label6",     "Label10",   "Label11", "Label12",
                     "Label13",    "Label14",    "Txtsir",     "txtin",     "Txtout",  "Frame6",
                     "Optrete(5)", "Optbatt(5)", "Option4",    "Option3",   "Option4", "Check3(0)",
                     "Check3(5)",  "Optbatt(0)", "Optrete(0)", "Optrete(2)"}));
}

TEST(ControlPanel, Option3SurvivesAnUntickUntilTheNextTickSelectsOption4) {
    FormModel form = startedForm();
    form.setValue("Check1", true);
    form.setValue("Option3", true);
    EXPECT_EQ(rowEnabled(form, "Optrete"), "-eeeee");
    EXPECT_EQ(rowEnabled(form, "Optbatt"), "-eeeee");
    EXPECT_EQ(rowVisible(form, "Check3"), "-vvvvv");

    form.setValue("Check1", false);
    EXPECT_EQ(rowEnabled(form, "Optrete"), "-eeeee");
    EXPECT_EQ(rowEnabled(form, "Optbatt"), "-eeeee");

    form.setValue("Check1", true);
    EXPECT_TRUE(form.value("Option4"));
    EXPECT_EQ(rowEnabled(form, "Optrete"), "eeeee-");
    EXPECT_EQ(rowEnabled(form, "Optbatt"), "eeeee-");
    EXPECT_EQ(rowVisible(form, "Check3"), "vvvvv-");
}

TEST(InsDis, EachPositionFreesTheOtherAndTakesItsOwn) {
    FormModel form = startedForm();
    form.setValue("Check1", true);
    form.setValue("Optrete(0)", true);
    form.setValue("Optbatt(1)", true);
    form.setValue("Check3(0)", true); // a program step may tick a taken input
    form.setValue("Option3", true);
    EXPECT_FALSE(form.value("Option4"));
    EXPECT_FALSE(form.value("Check3(0)"));
    EXPECT_FALSE(form.visible("Check3(0)"));
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_EQ(rowValues(form, "Optbatt"), ".x....");
    EXPECT_TRUE(form.visible("Check3(5)"));
    EXPECT_TRUE(form.enabled("Check3(5)"));

    form.setValue("Optbatt(5)", true);
    form.setValue("Check3(5)", true);
    form.setValue("Option4", true);
    EXPECT_FALSE(form.value("Check3(5)"));
    EXPECT_FALSE(form.visible("Check3(5)"));
    EXPECT_TRUE(form.visible("Check3(0)"));
    EXPECT_EQ(rowValues(form, "Optbatt"), "......");
    EXPECT_EQ(rowEnabled(form, "Optbatt"), "eeeee-");
    EXPECT_EQ(rowEnabled(form, "Optrete"), "eeeee-");
}

struct PositionCase {
    const char* name;
    std::vector<std::string> clicks;
    const char* rete;
    const char* batt;
    const char* inputsEnabled;
    const char* inputsTicked;
};

TEST(Positions, RowsNeverShareAPositionAndTakenInputsAreOff) {
    const PositionCase cases[] = {
        {"mains wins at 3", {"Optbatt(3)", "Optrete(3)"}, "...x..", "......", "eee-ee", "xxx.xx"},
        {"battery wins at 3", {"Optrete(3)", "Optbatt(3)"}, "......", "...x..", "eee-ee", "xxx.xx"},
        {"different positions",
         {"Optrete(1)", "Optbatt(4)"},
         ".x....",
         "....x.",
         "e-ee-e",
         "x.xx.x"},
        // The freed input is enabled again but stays unticked.
        {"moving along a row",
         {"Optrete(1)", "Optrete(2)"},
         "..x...",
         "......",
         "ee-eee",
         "x..xxx"},
    };
    for (const PositionCase& c : cases) {
        SCOPED_TRACE(c.name);
        FormModel form = startedForm();
        for (int i = 0; i < 6; ++i)
            form.setValue(member("Check3", i), true);
        for (const std::string& click : c.clicks)
            form.setValue(click, true);
        EXPECT_EQ(rowValues(form, "Optrete"), c.rete);
        EXPECT_EQ(rowValues(form, "Optbatt"), c.batt);
        EXPECT_EQ(rowEnabled(form, "Check3"), c.inputsEnabled);
        EXPECT_EQ(rowValues(form, "Check3"), c.inputsTicked);
    }
}

TEST(Positions, ReselectingTheSelectedMemberRunsNothing) {
    FormModel form = startedForm();
    form.setValue("Optrete(3)", true);
    form.setValue("Check3(3)", true); // only a program step can tick a taken input
    ChangeLog log(form);
    form.setValue("Optrete(3)", true);
    EXPECT_TRUE(log.names.empty());
    EXPECT_TRUE(form.value("Check3(3)"));
}

TEST(Annulla, ClearsItsRowAndReEvaluatesUpToIndex4WithoutUnticking) {
    FormModel form = startedForm();
    form.setValue("Check1", true);
    form.setValue("Option3", true);
    form.setValue("Optbatt(5)", true);
    form.setValue("Optrete(2)", true);
    ASSERT_FALSE(form.enabled("Check3(5)"));
    form.setValue("Check3(5)", true);
    form.press("Command3");
    EXPECT_EQ(rowValues(form, "Optbatt"), "......");
    EXPECT_EQ(rowValues(form, "Optrete"), "..x...");
    EXPECT_FALSE(form.enabled("Check3(5)")); // index 5 is never re-evaluated
    EXPECT_TRUE(form.value("Check3(5)"));
    EXPECT_FALSE(form.enabled("Check3(2)"));

    form.press("Command2");
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_TRUE(form.enabled("Check3(2)"));
    EXPECT_FALSE(form.enabled("Check3(5)"));
}

TEST(Annulla, EachButtonClearsOnlyItsOwnRow) {
    FormModel form = startedForm();
    form.setValue("Optrete(1)", true);
    form.setValue("Optbatt(4)", true);
    form.press("Command2");
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_EQ(rowValues(form, "Optbatt"), "....x.");
    EXPECT_EQ(rowEnabled(form, "Check3"), "eeee-e");
}

TEST(Clear, ResetsOnlyItsBlockOfRanges) {
    FormModel form = startedForm();
    for (int k = 0; k < 16; ++k) {
        form.setText(member("Text2", k), std::to_string(10 + k));
        form.setText(member("Text3", k), std::to_string(100 + k));
    }
    form.setText("Txtnumero", "42");
    form.press("Command7");
    for (int k = 0; k < 16; ++k) {
        const bool cleared = k < 8;
        EXPECT_EQ(form.text(member("Text2", k)), cleared ? "0" : std::to_string(10 + k)) << k;
        EXPECT_EQ(form.text(member("Text3", k)), cleared ? "0" : std::to_string(100 + k)) << k;
    }
    form.press("Command8");
    for (int k = 8; k < 16; ++k)
        EXPECT_EQ(form.text(member("Text3", k)), "0") << k;
    EXPECT_EQ(form.text("Txtnumero"), "42");
}

TEST(ImageLoading, KeepsTheModeAndPositionReactionsOutButNotTheButtons) {
    FormModel form = startedForm();
    form.setImageLoading(true);
    ChangeLog log(form);
    form.setValue("Check1", true);
    form.setValue("Optrete(3)", true);
    form.setValue("Optbatt(3)", true);
    EXPECT_EQ(log.names, (Names{"Check1", "Optrete(3)", "Optbatt(3)"}));
    EXPECT_TRUE(form.enabled("Check3(3)"));

    log.names.clear();
    form.setValue("Option3", true);
    EXPECT_EQ(log.names, (Names{"Option4", "Option3", "Check3(0)", "Optbatt(0)", "Optrete(0)"}));
    form.setValue("Option2", true);
    EXPECT_EQ(form.text("txtrx"), "460.0000");

    form.setImageLoading(false);
    form.setValue("Optbatt(2)", true);
    EXPECT_EQ(rowValues(form, "Optbatt"), "..x...");
    EXPECT_FALSE(form.enabled("Check3(2)"));
}

} // namespace
} // namespace velmora
