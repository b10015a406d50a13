#include "model/form_model.h"

#include "model/form_state.h"
#include "values/tone_table.h"

#include <stdexcept>
#include <utility>

namespace velmora {

FormModel::Impl::Impl() : controls(table().startStates()) {}

void FormModel::Impl::notify(ControlId id) {
    if (listener)
        listener(table().identity(id).name);
}

void FormModel::Impl::writeText(ControlId id, std::string text) {
    if (table().identity(id).kind == ControlKind::ComboBox)
        throw std::invalid_argument("the tone list takes a row, not a text");
    ControlState& control = at(id);
    if (control.text == text)
        return;
    control.text = std::move(text);
    notify(id);
}

void FormModel::Impl::enable(ControlId id, bool on) {
    ControlState& control = at(id);
    if (control.enabled == on)
        return;
    control.enabled = on;
    notify(id);
}

void FormModel::Impl::show(ControlId id, bool on) {
    ControlState& control = at(id);
    if (control.visible == on)
        return;
    control.visible = on;
    notify(id);
}

void FormModel::Impl::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(kToneTable.size()))
        throw std::out_of_range("no tone row " + std::to_string(row));
    if (row == comboRow)
        return;
    comboRow = row;
    const ControlId list = id("Combotono");
    at(list).text = kToneTable[static_cast<std::size_t>(row)].text;
    notify(list);
}

void FormModel::Impl::paint(ControlId id, std::string caption, Background background) {
    ControlState& control = at(id);
    if (control.text == caption && control.background == background)
        return;
    control.text = std::move(caption);
    control.background = background;
    notify(id);
}

void FormModel::Impl::tick(ControlId id, bool on) {
    if (table().identity(id).kind != ControlKind::CheckBox)
        throw std::invalid_argument(table().identity(id).name + " is not a check box");
    ControlState& control = at(id);
    if (control.value == on)
        return;
    control.value = on;
    notify(id);
    react(id);
}

void FormModel::Impl::select(ControlId chosen) {
    const ControlIdentity& identity = table().identity(chosen);
    if (identity.kind != ControlKind::OptionButton)
        throw std::invalid_argument(identity.name + " is not an option button");
    if (at(chosen).value)
        return;
    for (const ControlId other : table().optionGroup(chosen))
        if (at(other).value) {
            at(other).value = false;
            notify(other);
        }
    at(chosen).value = true;
    notify(chosen);
    react(chosen);
}

void FormModel::Impl::deselect(ControlId id) {
    if (table().identity(id).kind != ControlKind::OptionButton)
        throw std::invalid_argument(table().identity(id).name + " is not an option button");
    ControlState& control = at(id);
    if (!control.value)
        return;
    control.value = false;
    notify(id);
}

FormModel::FormModel() : impl_(std::make_unique<Impl>()) {}
FormModel::~FormModel() = default;
FormModel::FormModel(FormModel&&) noexcept = default;
FormModel& FormModel::operator=(FormModel&&) noexcept = default;

bool FormModel::has(std::string_view name) const {
    return Impl::table().find(name).has_value();
}

ControlKind FormModel::kind(std::string_view name) const {
    return Impl::table().identity(Impl::id(name)).kind;
}

std::vector<std::string> FormModel::controlNames() const {
    const ControlTable& table = Impl::table();
    std::vector<std::string> names;
    names.reserve(table.size());
    for (ControlId id = 0; id < table.size(); ++id)
        names.push_back(table.identity(id).name);
    return names;
}

const std::string& FormModel::container(std::string_view name) const {
    return Impl::table().identity(Impl::id(name)).container;
}

const std::string& FormModel::text(std::string_view name) const {
    return impl_->at(name).text;
}
bool FormModel::value(std::string_view name) const {
    return impl_->at(name).value;
}
bool FormModel::enabled(std::string_view name) const {
    return impl_->at(name).enabled;
}
bool FormModel::visible(std::string_view name) const {
    return impl_->at(name).visible;
}

Background FormModel::background(std::string_view name) const {
    return impl_->at(name).background;
}

int FormModel::comboRow() const {
    return impl_->comboRow;
}
bool FormModel::imageLoading() const {
    return impl_->imageLoading;
}
void FormModel::setImageLoading(bool loading) {
    impl_->imageLoading = loading;
}

void FormModel::setText(std::string_view name, std::string text) {
    impl_->writeText(name, std::move(text));
}

void FormModel::setValue(std::string_view name, bool value) {
    if (kind(name) == ControlKind::OptionButton) {
        if (value)
            impl_->select(name);
        else
            impl_->deselect(name);
        return;
    }
    impl_->tick(name, value);
}

void FormModel::setComboRow(int row) {
    impl_->selectRow(row);
}

void FormModel::press(std::string_view name) {
    if (name == "Command2")
        impl_->cancelPosition(Impl::arrays().optrete);
    else if (name == "Command3")
        impl_->cancelPosition(Impl::arrays().optbatt);
    else if (name == "Command7")
        impl_->clearRanges(0);
    else if (name == "Command8")
        impl_->clearRanges(kRangeCount / 2);
}

void FormModel::setEnabled(std::string_view name, bool enabled) {
    impl_->enable(name, enabled);
}

void FormModel::setCaption(std::string_view name, std::string caption, Background background) {
    impl_->paint(Impl::id(name), std::move(caption), background);
}

void FormModel::selectStartBand() {
    impl_->select("Option1");
    impl_->deselect("Option2");
}

void FormModel::applyDecodedImage(const DecodedImage& image, ImageSource source) {
    impl_->applyImage(image, source);
}

void FormModel::setListener(Listener listener) {
    impl_->listener = std::move(listener);
}

} // namespace velmora
