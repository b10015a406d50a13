#include "exchange/parameter_listing.h"

#include "protocol/byte_map.h"

#include <algorithm>
#include <span>

namespace velmora::exchange {
namespace {

std::string positionNumber(std::size_t index) {
    return std::to_string(kPositionCount - static_cast<int>(index));
}

std::string yesNo(bool on) {
    return on ? "sì" : "no";
}

// The selected members of a row by position number, or `none`.
ListedParameter positions(const FormModel& form, const ImageField& field, const char* none) {
    ListedParameter listed{form.text(field.caption), {}, {}};
    const PositionRow& members = *field.parameter->positions;
    for (std::size_t i = 0; i < members.size(); ++i) {
        listed.controls.push_back(controlName(members[i]));
        if (form.value(members[i]))
            listed.value += (listed.value.empty() ? "" : " ") + positionNumber(i);
    }
    if (listed.value.empty())
        listed.value = none;
    return listed;
}

// The mode byte is three parameters on the window: its check boxes, each "sì" or "no",
// and the Ins/DIS position of the option chosen, or "nessuna".
void listMode(const FormModel& form, Listing& listing) {
    for (const ControlId box : kModeBoxes)
        listing.push_back({form.text(box), {controlName(box)}, yesNo(form.value(box))});
    ListedParameter insDis{form.text(kInsDisCaption), {}, {}};
    for (const auto& [option, position] : kInsDisOptions) {
        insDis.controls.push_back(controlName(option));
        if (insDis.value.empty() && form.value(option))
            insDis.value = std::to_string(position);
    }
    if (insDis.value.empty())
        insDis.value = "nessuna";
    listing.push_back(insDis);
}

// A check box: "sì" or "no".
ListedParameter flag(const FormModel& form, const ImageField& field) {
    return {
        form.text(field.caption), {controlName(field.control)}, yesNo(form.value(field.control))};
}

// One listed parameter from the fields that share a place: their controls' texts joined,
// " / " for the two modifiers, " - " for the two ends of a range.
ListedParameter texts(const FormModel& form, std::span<const ImageField* const> fields) {
    const ImageField& first = *fields.front();
    ListedParameter listed{form.text(first.caption), {}, {}};
    if (first.encoding == Encoding::RangeValue)
        listed.caption = form.text(rangeGroupCaption(first.range)) + " " + listed.caption;
    const char* separator = first.encoding == Encoding::RangeValue ? " - " : " / ";
    for (const ImageField* field : fields) {
        listed.value += (listed.controls.empty() ? "" : separator) + form.text(field->control);
        listed.controls.push_back(controlName(field->control));
    }
    return listed;
}

} // namespace

Listing listParameters(const FormModel& form) {
    Listing listing;
    for (auto field = kListingOrder.begin(); field != kListingOrder.end();) {
        auto end = field;
        while (end != kListingOrder.end() && (*end)->listed == (*field)->listed)
            ++end;
        switch ((*field)->encoding) {
        case Encoding::PositionMask:
            listing.push_back(positions(form, **field, "nessuna"));
            break;
        case Encoding::InputMask:
            listing.push_back(positions(form, **field, "nessuno"));
            break;
        case Encoding::ModeByte:
            listMode(form, listing);
            break;
        case Encoding::Flag:
            listing.push_back(flag(form, **field));
            break;
        case Encoding::PeripheralDigits:
        case Encoding::TextByte:
        case Encoding::ToneCode:
        case Encoding::TransmitFrequency:
        case Encoding::ReceiveFrequency:
        case Encoding::RangeValue:
            listing.push_back(texts(form, {field, end}));
            break;
        case Encoding::Marker: // never listed
            break;
        }
        field = end;
    }
    return listing;
}

const ListedParameter* parameterOf(const Listing& listing, std::string_view control) {
    for (const ListedParameter& parameter : listing)
        if (std::find(parameter.controls.begin(), parameter.controls.end(), control) !=
            parameter.controls.end())
            return &parameter;
    return nullptr;
}

std::string formatListing(const Listing& listing) {
    std::string text;
    for (const ListedParameter& parameter : listing)
        text += parameter.caption + ": " + parameter.value + "\n";
    return text;
}

std::vector<std::string> controlsOfImageByte(int n) {
    if (n < 1 || n > kImageSize)
        return {};
    const ImageField& field = fieldOfByte(n);
    if (field.encoding == Encoding::Marker)
        return {};
    std::vector<std::string> names{controlName(field.control)};
    for (int i = 0; i < field.alsoReadCount; ++i)
        names.push_back(controlName(field.alsoRead[static_cast<std::size_t>(i)]));
    return names;
}

} // namespace velmora::exchange
