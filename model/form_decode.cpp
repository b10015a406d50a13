#include "model/form_state.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr int kInsDisOneIndex = kPositionCount - 1;
constexpr int kInsDisSixIndex = 0;

} // namespace

void FormModel::Impl::applyImage(const DecodedImage& image, ImageSource source) {
    const bool fromDevice = source == ImageSource::DeviceReply;
    if (fromDevice) {
        // The band's reaction writes its default frequencies, so the decoded texts
        // must follow it.
        select(image.uhf ? "Option2" : "Option1");
        deselect(image.uhf ? "Option1" : "Option2");
    }
    writeText("txttx", image.txttx);
    writeText("txtrx", image.txtrx);
    writeText("Txtnumero", image.txtnumero);
    writeText("Txtgruppo", image.txtgruppo);
    writeText("Txtmodif1", image.txtmodif1);
    writeText("Txtmodif2", image.txtmodif2);
    writeText("Txtcodatt", image.txtcodatt);
    selectRow(image.combotonoRow);
    writeText("Textsincro", image.textsincro);
    writeText("Textoutimp", image.textoutimp);
    writeText("Text1", image.text1);
    writeText("Textintert", image.textintert);

    // From here a device reply decides the mode and the positions alone.
    if (fromDevice)
        imageLoading = true;
    const int bitsRead = std::clamp(image.positionBitsRead, 0, kPositionCount);
    applyPositions(arrays().optrete, image.reteMask, bitsRead);
    applyPositions(arrays().optbatt, image.battMask, bitsRead);
    tick("Check4", image.beep);
    applyPanelMode(image);
    if (image.mode != PanelMode::Off) {
        for (int i = 0; i < kPositionCount; ++i) {
            const int index = kPositionCount - 1 - i;
            tick(arrays().check3[index], image.check3[static_cast<std::size_t>(index)]);
        }
        writeText("Txtsir", image.txtsir);
        writeText("txtin", image.txtin);
        writeText("Txtout", image.txtout);
    }
    for (int k = 0; k < kRangeCount; ++k) {
        writeText(arrays().text2[k], image.text2[static_cast<std::size_t>(k)]);
        writeText(arrays().text3[k], image.text3[static_cast<std::size_t>(k)]);
    }
    tick("Check2", image.lo);
    if (fromDevice)
        imageLoading = false;
}

// Bit i clear chooses position i + 1 (member 5 - i), bit i set leaves it; the last
// member chosen in the loop stays selected.
void FormModel::Impl::applyPositions(const PositionRow& row, unsigned mask, int bitsRead) {
    for (int i = 0; i < bitsRead; ++i) {
        const ControlId position = row[kPositionCount - 1 - i];
        if ((mask >> i) & 1U)
            deselect(position);
        else
            select(position);
    }
}

void FormModel::Impl::applyPanelMode(const DecodedImage& image) {
    const ControlId reteOne = arrays().optrete[kInsDisOneIndex];
    const ControlId battOne = arrays().optbatt[kInsDisOneIndex];
    const ControlId reteSix = arrays().optrete[kInsDisSixIndex];
    const ControlId battSix = arrays().optbatt[kInsDisSixIndex];
    const ControlId inputOne = arrays().check3[kInsDisOneIndex];
    const ControlId inputSix = arrays().check3[kInsDisSixIndex];

    if (image.mode == PanelMode::Off) {
        tick("Check1", false);
        show("Check4", false);
        tick("Check4", false);
        enablePanelControls(false);
        enable("Option3", false);
        enable("Option4", false);
        enable(battOne, true);
        enable(reteOne, true);
        enable(battSix, true);
        enable(reteSix, true);
        show(inputOne, true);
        show(inputSix, true);
        return;
    }

    const bool atOne = image.mode == PanelMode::InsDisOne;
    show("Check4", true);
    tick("Check1", true);
    enablePanelControls(true);
    select(atOne ? "Option4" : "Option3");
    enable(battOne, !atOne);
    enable(reteOne, !atOne);
    enable(battSix, atOne);
    enable(reteSix, atOne);
    show(inputOne, !atOne);
    show(inputSix, atOne);
}

} // namespace velmora
