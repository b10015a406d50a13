#include "model/form_state.h"

namespace velmora {

namespace {

constexpr int kInsDisOneIndex = kPositionCount - 1; // position 1
constexpr int kInsDisSixIndex = 0;                  // position 6

} // namespace

void FormModel::Impl::react(ControlId changed) {
    const std::string_view name = table().identity(changed).array;
    if (name == "Check1")
        controlPanelReaction();
    else if (name == "Option1")
        bandReaction("160.0000");
    else if (name == "Option2")
        bandReaction("460.0000");
    else if (name == "Option3")
        insDisSixReaction();
    else if (name == "Option4")
        insDisOneReaction();
    else if (name == "Optrete")
        positionReaction(arrays().optrete, arrays().optbatt);
    else if (name == "Optbatt")
        positionReaction(arrays().optbatt, arrays().optrete);
}

// The captions and boxes of the control-panel times, live only with "Funzione centralina".
void FormModel::Impl::enablePanelControls(bool on) {
    for (std::string_view label : kPanelLabels)
        enable(label, on);
    for (std::string_view box : kPanelBoxes)
        enable(box, on);
}

void FormModel::Impl::controlPanelReaction() {
    if (imageLoading)
        return;
    const bool on = at("Check1").value;
    show("Check4", on);
    enablePanelControls(on);
    enable("Frame6", on);
    enable(arrays().optrete[kInsDisOneIndex], !on);
    enable(arrays().optbatt[kInsDisOneIndex], !on);
    if (on) {
        enable("Option4", true);
        enable("Option3", true);
        select("Option4"); // its own reaction runs here, before the rest of this one
        show(arrays().check3[kInsDisOneIndex], false);
    } else {
        enable("Option4", false);
        deselect("Option4");
        enable("Option3", false);
        deselect("Option3");
    }
    // Neither branch re-enables the direct inputs whose positions this frees.
    for (int i = 0; i < kPositionCount; ++i) {
        deselect(arrays().optbatt[i]);
        deselect(arrays().optrete[i]);
    }
}

void FormModel::Impl::insDisSixReaction() {
    const ControlId six = arrays().check3[kInsDisSixIndex];
    const ControlId one = arrays().check3[kInsDisOneIndex];
    show(six, false);
    tick(six, false);
    show(one, true);
    enable(one, true);
    enable(arrays().optbatt[kInsDisOneIndex], true);
    enable(arrays().optbatt[kInsDisSixIndex], false);
    deselect(arrays().optbatt[kInsDisSixIndex]);
    enable(arrays().optrete[kInsDisOneIndex], true);
    enable(arrays().optrete[kInsDisSixIndex], false);
    deselect(arrays().optrete[kInsDisSixIndex]);
}

void FormModel::Impl::insDisOneReaction() {
    const ControlId six = arrays().check3[kInsDisSixIndex];
    const ControlId one = arrays().check3[kInsDisOneIndex];
    show(six, true);
    enable(six, true);
    show(one, false);
    tick(one, false);
    enable(arrays().optbatt[kInsDisOneIndex], false);
    deselect(arrays().optbatt[kInsDisOneIndex]);
    enable(arrays().optbatt[kInsDisSixIndex], true);
    enable(arrays().optrete[kInsDisOneIndex], false);
    deselect(arrays().optrete[kInsDisOneIndex]);
    enable(arrays().optrete[kInsDisSixIndex], true);
}

// A position chosen in one row wins over the same position in the other row; a taken
// position's direct input is disabled and unticked, a free one enabled.
void FormModel::Impl::positionReaction(const PositionRow& chosenRow, const PositionRow& otherRow) {
    if (imageLoading)
        return;
    for (int j = 0; j < kPositionCount; ++j)
        if (at(chosenRow[j]).value && at(otherRow[j]).value)
            deselect(otherRow[j]);
    for (int j = 0; j < kPositionCount; ++j) {
        const ControlId input = arrays().check3[j];
        if (at(arrays().optrete[j]).value || at(arrays().optbatt[j]).value) {
            enable(input, false);
            tick(input, false);
        } else {
            enable(input, true);
        }
    }
}

// "Annulla": the row loses its position; the direct inputs are re-evaluated up to
// index 4 only, and nothing is unticked.
void FormModel::Impl::cancelPosition(const PositionRow& row) {
    for (int j = 0; j < kPositionCount; ++j)
        deselect(row[j]);
    for (int j = 0; j < kPositionCount - 1; ++j) {
        const bool taken = at(arrays().optrete[j]).value || at(arrays().optbatt[j]).value;
        enable(arrays().check3[j], !taken);
    }
}

void FormModel::Impl::clearRanges(int first) {
    for (int k = first; k < first + kRangeCount / 2; ++k) {
        writeText(arrays().text2[k], "0");
        writeText(arrays().text3[k], "0");
    }
}

void FormModel::Impl::bandReaction(const char* frequency) {
    writeText("txttx", frequency);
    writeText("txtrx", frequency);
}

} // namespace velmora
