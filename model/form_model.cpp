#include "model/form_model.h"

#include "model/form_state.h"
#include "model/tone_table.h"

#include <stdexcept>
#include <utility>

namespace velmora {

FormModel::Impl::Impl() : controls(startControls()) {
    for (std::size_t i = 0; i < controls.size(); ++i)
        indexByName.emplace(controls[i].name, i);
}

const Control& FormModel::Impl::at(std::string_view name) const {
    const auto found = indexByName.find(name);
    if (found == indexByName.end())
        throw std::out_of_range("no control named " + std::string(name));
    return controls[found->second];
}

Control& FormModel::Impl::at(std::string_view name) {
    return const_cast<Control&>(std::as_const(*this).at(name));
}

void FormModel::Impl::notify(const Control& control) {
    if (listener)
        listener(control.name);
}

void FormModel::Impl::writeText(std::string_view name, std::string text) {
    Control& control = at(name);
    if (control.kind == ControlKind::ComboBox)
        throw std::invalid_argument("the tone list takes a row, not a text");
    if (control.text == text)
        return;
    control.text = std::move(text);
    notify(control);
}

void FormModel::Impl::enable(std::string_view name, bool on) {
    Control& control = at(name);
    if (control.enabled == on)
        return;
    control.enabled = on;
    notify(control);
}

void FormModel::Impl::show(std::string_view name, bool on) {
    Control& control = at(name);
    if (control.visible == on)
        return;
    control.visible = on;
    notify(control);
}

void FormModel::Impl::selectRow(int row) {
    if (row < 0 || row >= static_cast<int>(kToneTable.size()))
        throw std::out_of_range("no tone row " + std::to_string(row));
    if (row == comboRow)
        return;
    comboRow = row;
    Control& control = at("Combotono");
    control.text = kToneTable[static_cast<std::size_t>(row)].text;
    notify(control);
}

void FormModel::Impl::paint(std::string_view name, std::string caption, Background background) {
    Control& control = at(name);
    if (control.text == caption && control.background == background)
        return;
    control.text = std::move(caption);
    control.background = background;
    notify(control);
}

void FormModel::Impl::tick(std::string_view name, bool on) {
    Control& control = at(name);
    if (control.kind != ControlKind::CheckBox)
        throw std::invalid_argument(std::string(name) + " is not a check box");
    if (control.value == on)
        return;
    control.value = on;
    notify(control);
    react(control);
}

void FormModel::Impl::select(std::string_view name) {
    Control& chosen = at(name);
    if (chosen.kind != ControlKind::OptionButton)
        throw std::invalid_argument(std::string(name) + " is not an option button");
    if (chosen.value)
        return;
    for (Control& member : controls)
        if (member.kind == ControlKind::OptionButton && member.container == chosen.container &&
            member.value) {
            member.value = false;
            notify(member);
        }
    chosen.value = true;
    notify(chosen);
    react(chosen);
}

void FormModel::Impl::deselect(std::string_view name) {
    Control& control = at(name);
    if (control.kind != ControlKind::OptionButton)
        throw std::invalid_argument(std::string(name) + " is not an option button");
    if (!control.value)
        return;
    control.value = false;
    notify(control);
}

FormModel::FormModel() : impl_(std::make_unique<Impl>()) {}
FormModel::~FormModel() = default;
FormModel::FormModel(FormModel&&) noexcept = default;
FormModel& FormModel::operator=(FormModel&&) noexcept = default;

bool FormModel::has(std::string_view name) const {
    return impl_->indexByName.contains(name);
}

ControlKind FormModel::kind(std::string_view name) const {
    return impl_->at(name).kind;
}

std::vector<std::string> FormModel::controlNames() const {
    std::vector<std::string> names;
    names.reserve(impl_->controls.size());
    for (const Control& control : impl_->controls)
        names.push_back(control.name);
    return names;
}

const std::string& FormModel::container(std::string_view name) const {
    return impl_->at(name).container;
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
    if (impl_->at(name).kind == ControlKind::OptionButton) {
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
        impl_->cancelPosition("Optrete");
    else if (name == "Command3")
        impl_->cancelPosition("Optbatt");
    else if (name == "Command7")
        impl_->clearRanges(0);
    else if (name == "Command8")
        impl_->clearRanges(kRangeCount / 2);
}

void FormModel::setEnabled(std::string_view name, bool enabled) {
    impl_->enable(name, enabled);
}

void FormModel::setCaption(std::string_view name, std::string caption, Background background) {
    impl_->paint(name, std::move(caption), background);
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
