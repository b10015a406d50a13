#pragma once

#include "model/form_controls.h"
#include "model/form_model.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The window's state behind FormModel, shared by the operations, the reactions and the
// decoding. Who the controls are lives in the shared ControlTable; a model holds only
// what they show. Every change goes through the primitives below, which tell the
// listener only when the state really changed. Each takes a control by its place in
// the table or by its name.
struct FormModel::Impl {
    std::vector<ControlState> controls;
    int comboRow = 0;
    bool imageLoading = false;
    Listener listener;

    Impl();

    static const ControlTable& table() { return ControlTable::instance(); }
    static ControlId id(std::string_view name) { return table().id(name); }
    static const ControlArrays& arrays() { return table().arrays(); }

    ControlState& at(ControlId id) { return controls[id]; }
    const ControlState& at(ControlId id) const { return controls[id]; }
    ControlState& at(std::string_view name) { return at(id(name)); }
    const ControlState& at(std::string_view name) const { return at(id(name)); }

    // Plain changes, no reactions.
    void writeText(ControlId id, std::string text);
    void writeText(std::string_view name, std::string text) {
        writeText(id(name), std::move(text));
    }
    void enable(ControlId id, bool on);
    void enable(std::string_view name, bool on) { enable(id(name), on); }
    void show(ControlId id, bool on);
    void show(std::string_view name, bool on) { show(id(name), on); }
    void selectRow(int row);
    void paint(ControlId id, std::string caption, Background background);

    // Changes that run reactions as an operator's click would: ticking or unticking a
    // check box runs its reaction when the value changes; selecting an option button
    // deselects the rest of its group and runs its reaction when it was not selected;
    // deselecting runs nothing.
    void tick(ControlId id, bool on);
    void tick(std::string_view name, bool on) { tick(id(name), on); }
    void select(ControlId id);
    void select(std::string_view name) { select(id(name)); }
    void deselect(ControlId id);
    void deselect(std::string_view name) { deselect(id(name)); }

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
    void applyPositions(const PositionRow& row, unsigned mask, int bitsRead);
    void applyPanelMode(const DecodedImage& image);

private:
    void notify(ControlId id);
};

} // namespace velmora
