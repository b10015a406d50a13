#include "model/form_state.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr int kInsDisOneIndex = kPositionCount - 1; // position 1
constexpr int kInsDisSixIndex = 0;                  // position 6

// The control-panel labels and times, switched on and off together.
constexpr std::array<ControlId, 9> kPanelControls{
    "Label6"_control,  "Label10"_control, "Label11"_control, "Label12"_control, "Label13"_control,
    "Label14"_control, "Txtsir"_control,  "txtin"_control,   "Txtout"_control};

constexpr bool isMember(const PositionRow& row, ControlId id) {
    return std::find(row.begin(), row.end(), id) != row.end();
}

} // namespace

void FormModel::Impl::react(ControlId changed) {
    if (changed == kControlPanelMode)
        controlPanelReaction();
    else if (changed == kVhfBand)
        bandReaction("160.0000");
    else if (changed == kUhfBand)
        bandReaction("460.0000");
    else if (changed == kInsDisAtSix)
        insDisSixReaction();
    else if (changed == kInsDisAtOne)
        insDisOneReaction();
    else if (isMember(kMainsRow, changed))
        positionReaction(kMainsRow, kBatteryRow);
    else if (isMember(kBatteryRow, changed))
        positionReaction(kBatteryRow, kMainsRow);
}

// The captions and boxes of the control-panel times, live only with "Funzione centralina".
void FormModel::Impl::enablePanelControls(bool on) {
    for (const ControlId control : kPanelControls)
        enable(control, on);
}

void FormModel::Impl::controlPanelReaction() {
    if (imageLoading)
        return;
    const bool on = at(kControlPanelMode).value;
    show(kBeep, on);
    enablePanelControls(on);
    enable(kDirectInputsFrame, on);
    enable(kMainsRow[kInsDisOneIndex], !on);
    enable(kBatteryRow[kInsDisOneIndex], !on);
    if (on) {
        enable(kInsDisAtOne, true);
        enable(kInsDisAtSix, true);
        select(kInsDisAtOne); // its own reaction runs here, before the rest of this one
        show(kInputRow[kInsDisOneIndex], false);
    } else {
        enable(kInsDisAtOne, false);
        deselect(kInsDisAtOne);
        enable(kInsDisAtSix, false);
        deselect(kInsDisAtSix);
    }
    // Neither branch re-enables the direct inputs whose positions this frees.
    for (int i = 0; i < kPositionCount; ++i) {
        deselect(kBatteryRow[i]);
        deselect(kMainsRow[i]);
    }
}

void FormModel::Impl::insDisSixReaction() {
    const ControlId six = kInputRow[kInsDisSixIndex];
    const ControlId one = kInputRow[kInsDisOneIndex];
    show(six, false);
    tick(six, false);
    show(one, true);
    enable(one, true);
    enable(kBatteryRow[kInsDisOneIndex], true);
    enable(kBatteryRow[kInsDisSixIndex], false);
    deselect(kBatteryRow[kInsDisSixIndex]);
    enable(kMainsRow[kInsDisOneIndex], true);
    enable(kMainsRow[kInsDisSixIndex], false);
    deselect(kMainsRow[kInsDisSixIndex]);
}

void FormModel::Impl::insDisOneReaction() {
    const ControlId six = kInputRow[kInsDisSixIndex];
    const ControlId one = kInputRow[kInsDisOneIndex];
    show(six, true);
    enable(six, true);
    show(one, false);
    tick(one, false);
    enable(kBatteryRow[kInsDisOneIndex], false);
    deselect(kBatteryRow[kInsDisOneIndex]);
    enable(kBatteryRow[kInsDisSixIndex], true);
    enable(kMainsRow[kInsDisOneIndex], false);
    deselect(kMainsRow[kInsDisOneIndex]);
    enable(kMainsRow[kInsDisSixIndex], true);
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
        const ControlId input = kInputRow[j];
        if (at(kMainsRow[j]).value || at(kBatteryRow[j]).value) {
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
        const bool taken = at(kMainsRow[j]).value || at(kBatteryRow[j]).value;
        enable(kInputRow[j], !taken);
    }
}

void FormModel::Impl::clearRanges(int first) {
    for (int k = first; k < first + kRangeCount / 2; ++k) {
        writeText(kRangeMinimumBoxes[k], "0");
        writeText(kRangeMaximumBoxes[k], "0");
    }
}

void FormModel::Impl::bandReaction(const char* frequency) {
    writeText("txttx"_control, frequency);
    writeText("txtrx"_control, frequency);
}

} // namespace velmora
