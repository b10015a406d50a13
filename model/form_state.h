#pragma once

#include "model/form_model.h"
#include "protocol/byte_map.h"

#include <array>
#include <string>

namespace velmora {

// What a control shows besides its text, changing as the window is used.
struct ControlState {
    bool value; // check box ticked, option button selected
    bool enabled;
    bool visible;
    Background background;
    bool ownText; // its text was written; until then it shows its start text
};

// The window's state behind FormModel, shared by the operations, the reactions and the
// decoding. Who the controls are lives in the control table; a model holds only what
// they show, and a text only once it was written. Every change goes through the
// primitives below, which tell the listener only when the state really changed.
struct FormModel::Impl {
    std::array<ControlState, kControlCount> states;
    std::array<std::string, kControlCount> texts;
    int comboRow = 0;
    bool imageLoading = false;
    Listener listener;

    Impl();

    ControlState& at(ControlId id) { return states[id.index()]; }
    const ControlState& at(ControlId id) const { return states[id.index()]; }
    const std::string& text(ControlId id) const {
        return at(id).ownText ? texts[id.index()] : startText(id);
    }

    // Plain changes, no reactions.
    void writeText(ControlId id, std::string text);
    void enable(ControlId id, bool on);
    void show(ControlId id, bool on);
    void selectRow(int row);
    void paint(ControlId id, std::string caption, Background background);

    // Changes that run reactions as an operator's click would: ticking or unticking a
    // check box runs its reaction when the value changes; selecting an option button
    // deselects the rest of its group and runs its reaction when it was not selected;
    // deselecting runs nothing.
    void tick(ControlId id, bool on);
    void select(ControlId id);
    void deselect(ControlId id);

    // Reactions (form_reactions.cpp).
    void react(ControlId changed);
    void enablePanelControls(bool on);
    void controlPanelReaction();
    void insDisSixReaction();
    void insDisOneReaction();
    void positionReaction(const PositionRow& chosenRow, const PositionRow& otherRow);
    void cancelPosition(const PositionRow& row);
    void clearRanges(int first);
    void bandReaction(const char* frequency);

    // Decoding (form_decode.cpp).
    void applyImage(const DecodedImage& image, ImageSource source);
    void applyField(const ImageField& field, const ParameterSet& values, int positionBitsRead);
    void applyPositions(const PositionRow& row, const PositionFlags& chosen, int bitsRead);
    void applyPanelMode(const ParameterSet& values);

    void notify(ControlId id);
};

} // namespace velmora
