#pragma once

#include "model/form_controls.h"
#include "model/form_model.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The window's state behind FormModel, shared by the operations, the reactions and the
// decoding. Every change goes through the primitives below, which tell the listener
// only when the state really changed.
struct FormModel::Impl {
    std::vector<Control> controls;
    std::map<std::string, std::size_t, std::less<>> indexByName;
    int comboRow = 0;
    bool imageLoading = false;
    Listener listener;

    Impl();

    Control& at(std::string_view name);
    const Control& at(std::string_view name) const;

    // Plain changes, no reactions.
    void writeText(std::string_view name, std::string text);
    void enable(std::string_view name, bool on);
    void show(std::string_view name, bool on);
    void selectRow(int row);
    void paint(std::string_view name, std::string caption, Background background);

    // Changes that run reactions as an operator's click would: ticking or unticking a
    // check box runs its reaction when the value changes; selecting an option button
    // deselects the rest of its group and runs its reaction when it was not selected;
    // deselecting runs nothing.
    void tick(std::string_view name, bool on);
    void select(std::string_view name);
    void deselect(std::string_view name);

    // Reactions (form_reactions.cpp).
    void react(const Control& changed);
    void enablePanelControls(bool on);
    void controlPanelReaction();
    void insDisSixReaction();
    void insDisOneReaction();
    void positionReaction(std::string_view chosenRow, std::string_view otherRow);
    void cancelPosition(std::string_view row);
    void clearRanges(int first);
    void bandReaction(const char* frequency);

    // Decoding (form_decode.cpp).
    void applyImage(const DecodedImage& image, ImageSource source);
    void applyPositions(std::string_view row, unsigned mask, int bitsRead);
    void applyPanelMode(const DecodedImage& image);

private:
    void notify(const Control& control);
};

} // namespace velmora
