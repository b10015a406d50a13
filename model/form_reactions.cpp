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
        positionReaction("Optrete", "Optbatt");
    else if (name == "Optbatt")
        positionReaction("Optbatt", "Optrete");
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
    enable(member("Optrete", kInsDisOneIndex), !on);
    enable(member("Optbatt", kInsDisOneIndex), !on);
    if (on) {
        enable("Option4", true);
        enable("Option3", true);
        select("Option4"); // its own reaction runs here, before the rest of this one
        show(member("Check3", kInsDisOneIndex), false);
    } else {
        enable("Option4", false);
        deselect("Option4");
        enable("Option3", false);
        deselect("Option3");
    }
    // Neither branch re-enables the direct inputs whose positions this frees.
    for (int i = 0; i < kPositionCount; ++i) {
        deselect(member("Optbatt", i));
        deselect(member("Optrete", i));
    }
}

void FormModel::Impl::insDisSixReaction() {
    const ControlId six = member("Check3", kInsDisSixIndex);
    const ControlId one = member("Check3", kInsDisOneIndex);
    show(six, false);
    tick(six, false);
    show(one, true);
    enable(one, true);
    enable(member("Optbatt", kInsDisOneIndex), true);
    enable(member("Optbatt", kInsDisSixIndex), false);
    deselect(member("Optbatt", kInsDisSixIndex));
    enable(member("Optrete", kInsDisOneIndex), true);
    enable(member("Optrete", kInsDisSixIndex), false);
    deselect(member("Optrete", kInsDisSixIndex));
}

void FormModel::Impl::insDisOneReaction() {
    const ControlId six = member("Check3", kInsDisSixIndex);
    const ControlId one = member("Check3", kInsDisOneIndex);
    show(six, true);
    enable(six, true);
    show(one, false);
    tick(one, false);
    enable(member("Optbatt", kInsDisOneIndex), false);
    deselect(member("Optbatt", kInsDisOneIndex));
    enable(member("Optbatt", kInsDisSixIndex), true);
    enable(member("Optrete", kInsDisOneIndex), false);
    deselect(member("Optrete", kInsDisOneIndex));
    enable(member("Optrete", kInsDisSixIndex), true);
}

// A position chosen in one row wins over the same position in the other row; a taken
// position's direct input is disabled and unticked, a free one enabled.
void FormModel::Impl::positionReaction(std::string_view chosenRow, std::string_view otherRow) {
    if (imageLoading)
        return;
    for (int j = 0; j < kPositionCount; ++j)
        if (at(member(chosenRow, j)).value && at(member(otherRow, j)).value)
            deselect(member(otherRow, j));
    for (int j = 0; j < kPositionCount; ++j) {
        const ControlId input = member("Check3", j);
        if (at(member("Optrete", j)).value || at(member("Optbatt", j)).value) {
            enable(input, false);
            tick(input, false);
        } else {
            enable(input, true);
        }
    }
}

// "Annulla": the row loses its position; the direct inputs are re-evaluated up to
// index 4 only, and nothing is unticked.
void FormModel::Impl::cancelPosition(std::string_view row) {
    for (int j = 0; j < kPositionCount; ++j)
        deselect(member(row, j));
    for (int j = 0; j < kPositionCount - 1; ++j) {
        const bool taken = at(member("Optrete", j)).value || at(member("Optbatt", j)).value;
        enable(member("Check3", j), !taken);
    }
}

void FormModel::Impl::clearRanges(int first) {
    for (int k = first; k < first + kRangeCount / 2; ++k) {
        writeText(member("Text2", k), "0");
        writeText(member("Text3", k), "0");
    }
}

void FormModel::Impl::bandReaction(const char* frequency) {
    writeText("txttx", frequency);
    writeText("txtrx", frequency);
}

} // namespace velmora
