#pragma once

#include "model/form_model.h"
#include "protocol/config_image.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::exchange {

// One parameter as the window shows it: the caption beside it, the controls that hold
// it and their value in one text ("0 / 0" for the two modifiers, "3" for a position).
struct ListedParameter {
    std::string caption;
    std::vector<std::string> controls;
    std::string value;
};

using Listing = std::vector<ListedParameter>;

// Every parameter of the form, in the window's reading order, captions read from the
// window's own labels.
Listing listParameters(const FormModel& form);

// The listed parameter that a control belongs to; null for a control that holds none.
const ListedParameter* parameterOf(const Listing& listing, std::string_view control);

// "Numero periferico: 101", one line each.
std::string formatListing(const Listing& listing);

// The controls whose values image byte n (1 to 96) carries; empty for the markers.
std::vector<std::string> controlsOfImageByte(int n);

} // namespace velmora::exchange
