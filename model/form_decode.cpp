#include "model/form_state.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr int kInsDisOneIndex = kPositionCount - 1;
constexpr int kInsDisSixIndex = 0;

} // namespace

void FormModel::Impl::applyImage(const DecodedImage& image, ImageSource source) {
    const ParameterSet& values = image.values;
    const bool fromDevice = source == ImageSource::DeviceReply;
    if (fromDevice) {
        // The band's reaction writes its default frequencies, so the decoded texts
        // must follow it.
        select(values.uhfBand ? kUhfBand : kVhfBand);
        deselect(values.uhfBand ? kVhfBand : kUhfBand);
    }
    const int bitsRead = std::clamp(image.positionBitsRead, 0, kPositionCount);
    for (const ImageField* field : kDecodingOrder) {
        // From the positions on, a device reply decides the mode and the positions alone.
        if (fromDevice && field->step == kFirstPositionStep)
            imageLoading = true;
        if (field->panelOnly && !values.controlPanel)
            continue;
        applyField(*field, values, bitsRead);
    }
    if (fromDevice)
        imageLoading = false;
}

void FormModel::Impl::applyField(const ImageField& field, const ParameterSet& values,
                                 int positionBitsRead) {
    const ParameterControl& parameter = *field.parameter;
    switch (field.encoding) {
    case Encoding::PeripheralDigits:
    case Encoding::TextByte:
    case Encoding::TransmitFrequency:
    case Encoding::ReceiveFrequency:
        writeText(field.control, values.*parameter.text);
        break;
    case Encoding::ToneCode:
        selectRow(values.*parameter.row);
        break;
    case Encoding::PositionMask:
        applyPositions(*parameter.positions, values.*parameter.flags, positionBitsRead);
        break;
    case Encoding::ModeByte:
        tick(kBeep, values.beep);
        applyPanelMode(values);
        break;
    case Encoding::InputMask:
        for (int i = 0; i < kPositionCount; ++i) {
            const auto index = static_cast<std::size_t>(kPositionCount - 1 - i);
            tick((*parameter.positions)[index], (values.*parameter.flags)[index]);
        }
        break;
    case Encoding::RangeValue:
        writeText(field.control, (values.*parameter.texts)[static_cast<std::size_t>(field.range)]);
        break;
    case Encoding::Flag:
        tick(field.control, values.*parameter.flag);
        break;
    case Encoding::Marker:
        break;
    }
}

// Member 5 - i is chosen by bit i, in the order i = 0..5: chosen is selected, not chosen
// deselected; the last member chosen in the loop stays selected.
void FormModel::Impl::applyPositions(const PositionRow& row, const PositionFlags& chosen,
                                     int bitsRead) {
    for (int i = 0; i < bitsRead; ++i) {
        const auto index = static_cast<std::size_t>(kPositionCount - 1 - i);
        if (chosen[index])
            select(row[index]);
        else
            deselect(row[index]);
    }
}

void FormModel::Impl::applyPanelMode(const ParameterSet& values) {
    const ControlId reteOne = kMainsRow[kInsDisOneIndex];
    const ControlId battOne = kBatteryRow[kInsDisOneIndex];
    const ControlId reteSix = kMainsRow[kInsDisSixIndex];
    const ControlId battSix = kBatteryRow[kInsDisSixIndex];
    const ControlId inputOne = kInputRow[kInsDisOneIndex];
    const ControlId inputSix = kInputRow[kInsDisSixIndex];

    if (!values.controlPanel) {
        tick(kControlPanelMode, false);
        show(kBeep, false);
        tick(kBeep, false);
        enablePanelControls(false);
        enable(kInsDisAtSix, false);
        enable(kInsDisAtOne, false);
        enable(battOne, true);
        enable(reteOne, true);
        enable(battSix, true);
        enable(reteSix, true);
        show(inputOne, true);
        show(inputSix, true);
        return;
    }

    const bool atOne = values.insDisOne;
    show(kBeep, true);
    tick(kControlPanelMode, true);
    enablePanelControls(true);
    select(atOne ? kInsDisAtOne : kInsDisAtSix);
    enable(battOne, !atOne);
    enable(reteOne, !atOne);
    enable(battSix, atOne);
    enable(reteSix, atOne);
    show(inputOne, !atOne);
    show(inputSix, atOne);
}

} // namespace velmora
