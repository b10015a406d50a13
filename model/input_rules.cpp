#include "model/input_rules.h"

#include "values/parameter_set.h"
#include "values/text_value.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr double kNoUpperBound = std::numeric_limits<double>::infinity();

struct Guard {
    std::string_view box; // a single box, or "Text2(k)" / "Text3(k)" for every range box
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
    {"Txtnumero", false, 4, 0, kNoUpperBound, false},
    {"Txtgruppo", false, 1, 0, kNoUpperBound, false},
    {"Txtmodif1", false, 3, 0, 255, false},
    {"Txtmodif2", false, 3, 0, 255, false},
    {"Txtcodatt", false, 3, 0, 255, false},
    {"Textsincro", false, 3, 0, 255, false},
    {"Textoutimp", false, 3, 0, 255, false},
    {"Text1", false, 1, 1, 9, false},
    {"Textintert", false, 2, 5, 20, true},
    {"Txtsir", false, 3, 5, 240, true},
    {"txtin", false, 3, 0, 240, true},
    {"Txtout", false, 3, 0, 240, true},
    {"Text2(k)", false, 4, 0, 9999, false},
    {"Text3(k)", false, 4, 0, 9999, false},
    // The frequency bounds depend on the band; see frequencyBounds().
    {"txttx", true, 8, 0, 0, true},
    {"txtrx", true, 8, 0, 0, true},
};

struct Band {
    double minimum;
    double maximum;
};
constexpr Band kVhf{150, 174};
constexpr Band kUhf{400, 470};

bool isFrequencyBox(std::string_view box) {
    return box == "txttx" || box == "txtrx";
}

// "Text2(7)" stands for the family "Text2(k)"; any other name stands for itself.
std::string_view family(std::string_view box) {
    for (std::string_view array : {std::string_view("Text2"), std::string_view("Text3")}) {
        if (box.size() < array.size() + 3 || box.substr(0, array.size()) != array ||
            box[array.size()] != '(' || box.back() != ')')
            continue;
        const std::string_view digits = box.substr(array.size() + 1, box.size() - array.size() - 2);
        int index = -1;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (error == std::errc() && end == digits.data() + digits.size() && index >= 0 &&
            index < kRangeCount && (digits.size() == 1 || digits.front() != '0'))
            return array == "Text2" ? "Text2(k)" : "Text3(k)";
    }
    return box;
}

const Guard* guardOf(std::string_view box) {
    const std::string_view key = family(box);
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

bool acceptsTypedCharacter(std::string_view box, char32_t character) {
    const Guard* guard = guardOf(box);
    if (guard == nullptr)
        return true;
    return isDigit(character) || character == kBackspace ||
           (guard->acceptsPoint && character == U'.');
}

int typingLimit(std::string_view box) {
    const Guard* guard = guardOf(box);
    return guard == nullptr ? 0 : guard->typingLimit;
}

LeaveVerdict leaveCheck(std::string_view box, std::string_view text, bool vhfSelected) {
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
