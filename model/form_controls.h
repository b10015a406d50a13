#pragma once

#include "model/form_model.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The state of one control of the window.
struct Control {
    std::string name; // "Txtnumero", "Optrete(3)"
    ControlKind kind;
    std::string container; // the frame that holds it; empty for the window itself
    std::string text;      // text box text or caption; the selected row's text for the list
    bool value;            // check box ticked, option button selected
    bool enabled;
    bool visible;
    Background background;
};

// Every control of the window as it is created, in creation order.
std::vector<Control> startControls();

// "Optrete" and 3 give "Optrete(3)".
std::string indexedName(std::string_view array, int index);

// The control-panel labels and times, switched on and off together.
inline constexpr std::array<std::string_view, 6> kPanelLabels{"Label6",  "Label10", "Label11",
                                                              "Label12", "Label13", "Label14"};
inline constexpr std::array<std::string_view, 3> kPanelBoxes{"Txtsir", "txtin", "Txtout"};

} // namespace velmora
