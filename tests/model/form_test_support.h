#pragma once

#include "model/form_model.h"

#include <memory>
#include <ostream>
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
inline FormModel startedWith(const std::vector<ControlId>& clicks) {
    FormModel form = startedForm();
    for (const ControlId click : clicks)
        form.setValue(click, true);
    return form;
}

// Records every control the form reports as changed, in order.
inline std::shared_ptr<std::vector<ControlId>> recordChanges(FormModel& form) {
    auto changed = std::make_shared<std::vector<ControlId>>();
    form.setListener([changed](std::string_view name) { changed->push_back(*findControl(name)); });
    return changed;
}

// Test failures name the control.
inline void PrintTo(ControlId id, std::ostream* out) {
    *out << controlName(id);
}

enum class Show { Value, Enabled, Visible };

// One mark per member of a six-control row by index: "..x..." has index 2 on.
inline std::string row(const FormModel& form, const PositionRow& members, Show show = Show::Value) {
    std::string marks;
    for (const ControlId name : members) {
        const bool on = show == Show::Value     ? form.value(name)
                        : show == Show::Enabled ? form.enabled(name)
                                                : form.visible(name);
        marks += on ? 'x' : '.';
    }
    return marks;
}

} // namespace velmora
