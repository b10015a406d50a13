#pragma once

#include "model/form_controls.h"
#include "model/form_model.h"

#include <memory>
#include <string>
#include <vector>

namespace velmora {

// The window right after start-up: VHF selected, both frequencies "160.0000".
inline FormModel startedForm() {
    FormModel form;
    form.selectStartBand();
    return form;
}

// The started window after clicking each named check box or option button on.
inline FormModel startedWith(const std::vector<std::string>& clicks) {
    FormModel form = startedForm();
    for (const std::string& click : clicks)
        form.setValue(click, true);
    return form;
}

// Records every control the form reports as changed, in order.
inline std::shared_ptr<std::vector<std::string>> recordChanges(FormModel& form) {
    auto names = std::make_shared<std::vector<std::string>>();
    form.setListener([names](std::string_view name) { names->emplace_back(name); });
    return names;
}

enum class Show { Value, Enabled, Visible };

// One mark per member of a six-control row by index: "..x..." has index 2 on.
inline std::string row(const FormModel& form, const char* array, Show show = Show::Value) {
    std::string marks;
    for (int i = 0; i < 6; ++i) {
        const std::string name = indexedName(array, i);
        const bool on = show == Show::Value     ? form.value(name)
                        : show == Show::Enabled ? form.enabled(name)
                                                : form.visible(name);
        marks += on ? 'x' : '.';
    }
    return marks;
}

} // namespace velmora
