#include "form_test_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// The window as created, before start-up: name, container, text exactly as shown, and
// enabled 'e', visible 'v', ticked or selected 'x' ('-' for not). The rows pin what the
// table derives (frames of array members, numbered captions), the definition's text that
// start-up overwrites, and the states of the control-panel group.
const char* const kStartRows[] = {
    "txttx|Frame1|160.000|ev-",     "Option4|Frame1||-vx",
    "Check4|Frame1|Beep ON|e-x",    "Frame6|Frame1||-v-",
    "Check3(5)|Frame6||ev-",        "Optrete(0)|Frame4||ev-",
    "Txtsir|Frame1|5|-v-",          "Label6|Frame1|5 - 240 secondi|-v-",
    "Combotono|Frame1|Notone|ev-",  "Command5||Salva file|-v-",
    "Label20|Frame3|Sconnesso|ev-", "Label23(15)|Frame5|Range 8|ev-"};

TEST(FormStart, ControlsAreCreatedWithTheirStartStates) {
    const FormModel form;
    for (const std::string line : kStartRows) {
        const ControlId id = findControl(line.substr(0, line.find('|'))).value();
        const std::string state = std::string(form.enabled(id) ? "e" : "-") +
                                  (form.visible(id) ? "v" : "-") + (form.value(id) ? "x" : "-");
        const auto frame = containerOf(id);
        EXPECT_EQ(controlName(id) + "|" + (frame ? controlName(*frame) : "") + "|" + form.text(id) +
                      "|" + state,
                  line);
    }
    // The status labels' start colours are the window test's, which sees them drawn.
    EXPECT_EQ(form.text(kRangeRowCaptions[8]), "Range 1");
    // Names that arrive at run time: only the window's own, written as the window writes them.
    for (const char* name :
         {"Optrete(6)", "Text2(16)", "Text3(01)", "Text2()", "text1", "Text2(x)"})
        EXPECT_FALSE(findControl(name)) << name;
    EXPECT_EQ(findControl("Label24(1)"), "Label24(1)"_control);
    EXPECT_EQ(findControl("Text3(15)"), kRangeMaximumBoxes[15]);
}

TEST(FormStart, StartUpSelectsVhfAndLeavesTheDefaultParameters) {
    FormModel form;
    const auto changes = recordChanges(form);
    form.selectStartBand();
    EXPECT_EQ(*changes,
              (std::vector<ControlId>{"Option1"_control, "txttx"_control, "txtrx"_control}));
    EXPECT_EQ(form.parameters(), ParameterSet{});
}

TEST(FormListener, ReportsOnlyRealChanges) {
    FormModel form = startedForm();
    const auto changes = recordChanges(form);
    form.setValue("Option1"_control, true); // already selected: no band reaction
    form.setCaption("Label20"_control, "Sconnesso", Background::Red);
    form.setCaption("Label19"_control, "", Background::Green);
    form.setComboRow(0);
    form.setComboRow(18);
    EXPECT_EQ(*changes, (std::vector<ControlId>{"Label19"_control, "Combotono"_control}));
    EXPECT_EQ(form.text("Combotono"_control) + " " + form.text("txttx"_control), "123 160.0000");
    EXPECT_THROW(form.setComboRow(33), std::out_of_range);
}

} // namespace
} // namespace velmora
