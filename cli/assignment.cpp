#include "cli/assignment.h"

#include "exchange/parameter_listing.h"
#include "model/input_rules.h"
#include "values/tone_table.h"

#include <algorithm>
#include <string>

namespace velmora::cli {

// The verbs drive the exchange engine below them.
using namespace exchange;
namespace {

Problem refusal(std::string_view name, const std::string& why) {
    return {std::string(name), std::string(name) + ": " + why};
}

Problem refusal(ControlId control, const std::string& why) {
    return refusal(controlName(control), why);
}

// Whether the operator can reach the control: it and every frame around it enabled,
// the control shown.
std::optional<std::string> unreachable(const FormModel& form, ControlId control) {
    if (!form.visible(control))
        return "hidden on the window (control-panel mode or Ins/DIS position)";
    for (std::optional<ControlId> around = control; around; around = containerOf(*around))
        if (!form.enabled(*around))
            return *around == control
                       ? "disabled on the window"
                       : "disabled on the window (" + controlName(*around) + " is disabled)";
    return std::nullopt;
}

std::optional<bool> tickValue(std::string_view value) {
    if (value == "1")
        return true;
    if (value == "0")
        return false;
    return std::nullopt;
}

Status typeInto(FormModel& form, ControlId box, std::string_view text) {
    for (const char character : text)
        if (!acceptsTypedCharacter(box, static_cast<unsigned char>(character)))
            return refusal(box, "the character '" + std::string(1, character) +
                                    "' cannot be typed into this box");
    const int limit = typingLimit(box);
    if (limit > 0 && static_cast<int>(text.size()) > limit)
        return refusal(box, "takes at most " + std::to_string(limit) + " characters");
    if (leaveCheck(box, text, form.value(kVhfBand)) != LeaveVerdict::Pass) {
        const Listing listing = listParameters(form);
        const ListedParameter* parameter = parameterOf(listing, controlName(box));
        return refusal(box, std::string(text) + " is out of range for \"" +
                                (parameter ? parameter->caption : controlName(box)) + "\"" +
                                (box == "txttx"_control || box == "txtrx"_control
                                     ? std::string(form.value(kVhfBand) ? " in VHF" : " in UHF")
                                     : std::string()));
    }
    form.setText(box, std::string(text));
    return {};
}

Status chooseTone(FormModel& form, std::string_view text) {
    for (std::size_t row = 0; row < kToneTable.size(); ++row)
        if (text == kToneTable[row].text) {
            form.setComboRow(static_cast<int>(row));
            return {};
        }
    return refusal("Combotono"_control, "no tone \"" + std::string(text) +
                                            "\" in the list (Notone, 67, 71.9 ... 203.5)");
}

Status chooseOption(FormModel& form, ControlId option, bool select) {
    if (select) {
        form.setValue(option, true);
        return {};
    }
    // An operator deselects a position only with the row's "Annulla".
    for (const auto& [row, cancel] :
         {std::pair{&kMainsRow, kClearMainsButton}, {&kBatteryRow, kClearBatteryButton}})
        if (std::find(row->begin(), row->end(), option) != row->end()) {
            if (form.value(option))
                form.press(cancel);
            return {};
        }
    return refusal(option, "cannot be switched off; select the other option of its group");
}

} // namespace

Status applyAssignment(FormModel& form, std::string_view assignment) {
    const auto equals = assignment.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return Problem{std::string(assignment),
                       "\"" + std::string(assignment) + "\": expected NAME=VALUE"};
    const std::optional<ControlId> found = findControl(assignment.substr(0, equals));
    const std::string_view value = assignment.substr(equals + 1);
    if (!found)
        return refusal(assignment.substr(0, equals), "no such control on the window");
    const ControlId name = *found;
    const ControlKind kind = kindOf(name);
    const bool settable = kind == ControlKind::TextBox || kind == ControlKind::CheckBox ||
                          kind == ControlKind::OptionButton || kind == ControlKind::ComboBox;
    if (!settable)
        return refusal(name, "holds no parameter");
    if (const auto why = unreachable(form, name))
        return refusal(name, *why);

    switch (kind) {
    case ControlKind::TextBox:
        return typeInto(form, name, value);
    case ControlKind::ComboBox:
        return chooseTone(form, value);
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: {
        const auto on = tickValue(value);
        if (!on)
            return refusal(name, "takes 1 or 0, not \"" + std::string(value) + "\"");
        if (kind == ControlKind::OptionButton)
            return chooseOption(form, name, *on);
        form.setValue(name, *on);
        return {};
    }
    default:
        return refusal(name, "holds no parameter");
    }
}

} // namespace velmora::cli
