#pragma once

#include "model/form_model.h"

#include <string>
#include <vector>

namespace velmora {

// The window right after start-up: VHF selected, both frequencies "160.0000".
inline FormModel startedForm() {
    FormModel form;
    form.selectStartBand();
    return form;
}

// Records every control the form reports as changed, in order.
struct ChangeLog {
    std::vector<std::string> names;

    explicit ChangeLog(FormModel& form) {
        form.setListener([this](std::string_view name) { names.emplace_back(name); });
    }
};

inline std::string member(const char* array, int index) {
    return std::string(array) + '(' + std::to_string(index) + ')';
}

// Which members of a row (Optrete, Optbatt, Check3) are selected or ticked, as six
// characters by index: "..x..." has index 2 on.
inline std::string rowValues(const FormModel& form, const char* array) {
    std::string row;
    for (int i = 0; i < 6; ++i)
        row += form.value(member(array, i)) ? 'x' : '.';
    return row;
}

inline std::string rowEnabled(const FormModel& form, const char* array) {
    std::string row;
    for (int i = 0; i < 6; ++i)
        row += form.enabled(member(array, i)) ? 'e' : '-';
    return row;
}

inline std::string rowVisible(const FormModel& form, const char* array) {
    std::string row;
    for (int i = 0; i < 6; ++i)
        row += form.visible(member(array, i)) ? 'v' : '-';
    return row;
}

} // namespace velmora
