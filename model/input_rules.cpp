#include "model/input_rules.h"

#include "values/parameter_set.h"
#include "values/text_value.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr double kNoUpperBound = std::numeric_limits<double>::infinity();

struct Guard {
    ControlId box; // a single box, or member 0 of a range column for every box of it
    bool acceptsPoint;
    int typingLimit;
    double minimum;
    double maximum;
    bool beeps;
};

// Every guarded box. The boxes whose range starts at 0 also refuse a negative value on
// leaving: only a paste can put one there, and the encoder cannot carry it.
// `Txtnumero` and `Txtgruppo` are bounded by their length alone and check nothing else.
constexpr Guard kGuards[] = {
    {"Txtnumero"_control, false, 4, 0, kNoUpperBound, false},
    {"Txtgruppo"_control, false, 1, 0, kNoUpperBound, false},
    {"Txtmodif1"_control, false, 3, 0, 255, false},
    {"Txtmodif2"_control, false, 3, 0, 255, false},
    {"Txtcodatt"_control, false, 3, 0, 255, false},
    {"Textsincro"_control, false, 3, 0, 255, false},
    {"Textoutimp"_control, false, 3, 0, 255, false},
    {"Text1"_control, false, 1, 1, 9, false},
    {"Textintert"_control, false, 2, 5, 20, true},
    {"Txtsir"_control, false, 3, 5, 240, true},
    {"txtin"_control, false, 3, 0, 240, true},
    {"Txtout"_control, false, 3, 0, 240, true},
    {kRangeMinimumBoxes[0], false, 4, 0, 9999, false},
    {kRangeMaximumBoxes[0], false, 4, 0, 9999, false},
    // The frequency bounds depend on the band; see leaveCheck().
    {"txttx"_control, true, 8, 0, 0, true},
    {"txtrx"_control, true, 8, 0, 0, true},
};

struct Band {
    double minimum;
    double maximum;
};
constexpr Band kVhf{150, 174};
constexpr Band kUhf{400, 470};

bool isFrequencyBox(ControlId box) {
    return box == "txttx"_control || box == "txtrx"_control;
}

// A range box stands for its whole column; any other box for itself.
ControlId family(ControlId box) {
    for (const RangeColumn* column : {&kRangeMinimumBoxes, &kRangeMaximumBoxes})
        if (std::find(column->begin(), column->end(), box) != column->end())
            return column->front();
    return box;
}

const Guard* guardOf(ControlId box) {
    const ControlId key = family(box);
    for (const Guard& guard : kGuards)
        if (guard.box == key)
            return &guard;
    return nullptr;
}

bool isDigit(char32_t character) {
    return character >= U'0' && character <= U'9';
}

constexpr char32_t kBackspace = 8;

} // namespace

bool acceptsTypedCharacter(ControlId box, char32_t character) {
    const Guard* guard = guardOf(box);
    if (guard == nullptr)
        return true;
    return isDigit(character) || character == kBackspace ||
           (guard->acceptsPoint && character == U'.');
}

int typingLimit(ControlId box) {
    const Guard* guard = guardOf(box);
    return guard == nullptr ? 0 : guard->typingLimit;
}

LeaveVerdict leaveCheck(ControlId box, std::string_view text, bool vhfSelected) {
    const Guard* guard = guardOf(box);
    if (guard == nullptr)
        return LeaveVerdict::Pass;
    double minimum = guard->minimum;
    double maximum = guard->maximum;
    if (isFrequencyBox(box)) {
        const Band band = vhfSelected ? kVhf : kUhf;
        minimum = band.minimum;
        maximum = band.maximum;
    }
    const double value = textValue(text);
    if (std::isfinite(value) && value >= minimum && value <= maximum)
        return LeaveVerdict::Pass;
    return guard->beeps ? LeaveVerdict::RefuseWithBeep : LeaveVerdict::Refuse;
}

} // namespace velmora
