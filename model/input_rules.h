#pragma once

#include "values/controls.h"

#include <string_view>

namespace velmora {

// Whether a character typed into a text box reaches it: digits and backspace (code 8)
// everywhere, the point too in `txttx` and `txtrx`. Other boxes pass everything.
bool acceptsTypedCharacter(ControlId box, char32_t character);

// How many characters the operator may type into a box; 0 for no limit. Text written
// by the program is never cut to it.
int typingLimit(ControlId box);

enum class LeaveVerdict { Pass, Refuse, RefuseWithBeep };

// The check made when the focus is about to leave a box, with the band selected at
// that moment. Bounds are inclusive.
LeaveVerdict leaveCheck(ControlId box, std::string_view text, bool vhfSelected);

} // namespace velmora
