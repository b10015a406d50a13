#pragma once

#include "model/form_model.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

// A control's place in creation order; the same for every window.
using ControlId = std::size_t;

// The members of the control arrays the window's logic walks, by index.
using PositionRow = std::array<ControlId, kPositionCount>;
struct ControlArrays {
    PositionRow optrete;
    PositionRow optbatt;
    PositionRow check3;
    std::array<ControlId, kRangeCount> text2;
    std::array<ControlId, kRangeCount> text3;
};

// What a control is, fixed for the life of the program.
struct ControlIdentity {
    std::string name; // "Txtnumero", "Optrete(3)"
    ControlKind kind;
    std::string container;  // the frame that holds it; empty for the window itself
    std::string_view array; // "Optrete" for "Optrete(3)"; the name itself for a single control
};

// What a control shows, changing as the window is used.
struct ControlState {
    std::string text; // text box text or caption; the selected row's text for the list
    bool value;       // check box ticked, option button selected
    bool enabled;
    bool visible;
    Background background;
};

// Every control of the window in creation order, built once and shared by all window
// models: who each control is, how it starts, and where to find it by name.
class ControlTable {
public:
    static const ControlTable& instance() {
        static const ControlTable table;
        return table;
    }

    std::size_t size() const { return identities_.size(); }
    const ControlIdentity& identity(ControlId id) const { return identities_[id]; }
    const std::vector<ControlState>& startStates() const { return startStates_; }

    std::optional<ControlId> find(std::string_view name) const;
    // The control of that name; std::out_of_range when there is none.
    ControlId id(std::string_view name) const;
    // The option buttons that share the frame of `option`, itself included, in creation
    // order: selecting one deselects the others.
    const std::vector<ControlId>& optionGroup(ControlId option) const {
        return optionGroups_[option];
    }
    const ControlArrays& arrays() const { return arrays_; }

private:
    ControlTable();
    // Member `index` of a control array: "Optrete" and 3 give "Optrete(3)".
    ControlId member(std::string_view array, int index) const;

    std::vector<ControlIdentity> identities_;
    std::vector<ControlState> startStates_;
    std::vector<std::vector<ControlId>> optionGroups_; // empty for other kinds
    std::unordered_map<std::string_view, ControlId> byName_;
    std::unordered_map<std::string_view, std::vector<ControlId>> members_;
    ControlArrays arrays_;
};

// "Optrete" and 3 give "Optrete(3)".
std::string indexedName(std::string_view array, int index);

// The control-panel labels and times, switched on and off together.
inline constexpr std::array<std::string_view, 6> kPanelLabels{"Label6",  "Label10", "Label11",
                                                              "Label12", "Label13", "Label14"};
inline constexpr std::array<std::string_view, 3> kPanelBoxes{"Txtsir", "txtin", "Txtout"};

} // namespace velmora
