#include "model/form_model.h"

#include "model/form_state.h"
#include "values/tone_table.h"

#include <stdexcept>
#include <utility>

namespace velmora {

namespace {

constexpr std::array<ControlState, kControlCount> startStates() {
    std::array<ControlState, kControlCount> states{};
    for (std::size_t id = 0; id < kControlCount; ++id) {
        const unsigned flags = controls::kEntries[id].row->flags;
        states[id] = {(flags & controls::On) != 0, (flags & controls::Disabled) == 0,
                      (flags & controls::Hidden) == 0,
                      (flags & controls::Red) != 0 ? Background::Red : Background::ButtonFace,
                      false};
    }
    return states;
}

constexpr std::array<ControlState, kControlCount> kStartStates = startStates();

// The option buttons that share a frame stand next to each other in creation order:
// a group is the run of option buttons around one, in the same frame.
struct Span {
    std::size_t first;
    std::size_t end;
};

constexpr bool sameGroup(std::size_t a, std::size_t b) {
    return kindOf(ControlId(b)) == ControlKind::OptionButton &&
           controls::kEntries[a].container == controls::kEntries[b].container;
}

constexpr std::array<Span, kControlCount> optionGroups() {
    std::array<Span, kControlCount> groups{};
    for (std::size_t id = 0; id < kControlCount; ++id) {
        std::size_t first = id;
        std::size_t end = id + 1;
        while (first > 0 && sameGroup(id, first - 1))
            --first;
        while (end < kControlCount && sameGroup(id, end))
            ++end;
        groups[id] = {first, end};
    }
    return groups;
}

constexpr std::array<Span, kControlCount> kOptionGroups = optionGroups();

constexpr bool groupsAreRuns() {
    for (std::size_t id = 0; id < kControlCount; ++id)
        for (std::size_t other = 0; other < kControlCount; ++other)
            if (kindOf(ControlId(id)) == ControlKind::OptionButton && sameGroup(id, other) &&
                (other < kOptionGroups[id].first || other >= kOptionGroups[id].end))
                return false;
    return true;
}
static_assert(groupsAreRuns(), "option buttons of one frame must be created one after another");

[[noreturn]] void wrongKind(ControlId id, const char* expected) {
    throw std::invalid_argument(controlName(id) + " is not " + expected);
}

} // namespace

FormModel::Impl::Impl() : states(kStartStates) {}

void FormModel::Impl::notify(ControlId id) {
    if (listener)
        listener(controlName(id));
}

void FormModel::Impl::writeText(ControlId id, std::string text) {
    if (kindOf(id) == ControlKind::ComboBox)
        throw std::invalid_argument("the tone list takes a row, not a text");
    if (this->text(id) == text)
        return;
    texts[id.index()] = std::move(text);
    at(id).ownText = true;
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
    constexpr ControlId list = "Combotono"_control;
    texts[list.index()] = kToneTable[static_cast<std::size_t>(row)].text;
    at(list).ownText = true;
    notify(list);
}

void FormModel::Impl::paint(ControlId id, std::string caption, Background background) {
    if (text(id) == caption && at(id).background == background)
        return;
    texts[id.index()] = std::move(caption);
    at(id).ownText = true;
    at(id).background = background;
    notify(id);
}

void FormModel::Impl::tick(ControlId id, bool on) {
    if (kindOf(id) != ControlKind::CheckBox)
        wrongKind(id, "a check box");
    ControlState& control = at(id);
    if (control.value == on)
        return;
    control.value = on;
    notify(id);
    react(id);
}

void FormModel::Impl::select(ControlId chosen) {
    if (kindOf(chosen) != ControlKind::OptionButton)
        wrongKind(chosen, "an option button");
    if (at(chosen).value)
        return;
    const Span group = kOptionGroups[chosen.index()];
    for (std::size_t member = group.first; member < group.end; ++member) {
        const ControlId other(member);
        if (at(other).value) {
            at(other).value = false;
            notify(other);
        }
    }
    at(chosen).value = true;
    notify(chosen);
    react(chosen);
}

void FormModel::Impl::deselect(ControlId id) {
    if (kindOf(id) != ControlKind::OptionButton)
        wrongKind(id, "an option button");
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

const std::string& FormModel::text(ControlId control) const {
    return impl_->text(control);
}
bool FormModel::value(ControlId control) const {
    return impl_->at(control).value;
}
bool FormModel::enabled(ControlId control) const {
    return impl_->at(control).enabled;
}
bool FormModel::visible(ControlId control) const {
    return impl_->at(control).visible;
}

Background FormModel::background(ControlId control) const {
    return impl_->at(control).background;
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

void FormModel::setText(ControlId box, std::string text) {
    impl_->writeText(box, std::move(text));
}

void FormModel::setValue(ControlId control, bool value) {
    if (kindOf(control) == ControlKind::OptionButton) {
        if (value)
            impl_->select(control);
        else
            impl_->deselect(control);
        return;
    }
    impl_->tick(control, value);
}

void FormModel::setComboRow(int row) {
    impl_->selectRow(row);
}

void FormModel::press(ControlId button) {
    if (button == kClearMainsButton)
        impl_->cancelPosition(kMainsRow);
    else if (button == kClearBatteryButton)
        impl_->cancelPosition(kBatteryRow);
    else if (button == kClearUnidirectionalButton)
        impl_->clearRanges(0);
    else if (button == kClearBidirectionalButton)
        impl_->clearRanges(kRangeCount / 2);
}

void FormModel::setEnabled(ControlId control, bool enabled) {
    impl_->enable(control, enabled);
}

void FormModel::setCaption(ControlId label, std::string caption, Background background) {
    impl_->paint(label, std::move(caption), background);
}

void FormModel::selectStartBand() {
    impl_->select(kVhfBand);
    impl_->deselect(kUhfBand);
}

void FormModel::applyDecodedImage(const DecodedImage& image, ImageSource source) {
    impl_->applyImage(image, source);
}

void FormModel::setListener(Listener listener) {
    impl_->listener = std::move(listener);
}

} // namespace velmora
