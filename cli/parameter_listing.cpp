#include "cli/parameter_listing.h"

#include "protocol/byte_map.h"

#include <algorithm>
#include <array>

namespace velmora::cli {
namespace {

enum class Shown {
    Text,     // the box's text
    TextPair, // two boxes under one caption: "a / b"
    CheckBox, // "sì" or "no", captioned by the box itself
    Position, // the selected member of a row as its position number, or "nessuna"
    Inputs,   // the ticked direct inputs by position number, or "nessuno"
    InsDis,   // "6" (`Option3`), "1" (`Option4`) or "nessuna"
};

struct Row {
    Shown shown;
    ControlId caption; // the label whose text is the caption, or the check box itself
    ControlId control;
    ControlId second = {};
    const PositionRow* members = nullptr;
};

constexpr std::array kRows{
    Row{Shown::Text, "Labnumero"_control, "Txtnumero"_control},
    Row{Shown::Text, "labgruppo"_control, "Txtgruppo"_control},
    Row{Shown::TextPair, "Labmodif"_control, "Txtmodif1"_control, "Txtmodif2"_control},
    Row{Shown::Text, "Labcaodatt"_control, "Txtcodatt"_control},
    Row{Shown::Text, "Labtono"_control, "Combotono"_control},
    Row{Shown::Text, "labsincro"_control, "Textsincro"_control},
    Row{Shown::Text, "laboutimp"_control, "Textoutimp"_control},
    Row{Shown::Text, "Labripet"_control, "Text1"_control},
    Row{Shown::Text, "Labintert"_control, "Textintert"_control},
    Row{Shown::Text, "Label16"_control, "txttx"_control},
    Row{Shown::Text, "Label18"_control, "txtrx"_control},
    Row{Shown::Position, "Labelmanca"_control, kMainsRow[0], {}, &kMainsRow},
    Row{Shown::Position, "Labscar"_control, kBatteryRow[0], {}, &kBatteryRow},
    Row{Shown::CheckBox, "Check1"_control, "Check1"_control},
    Row{Shown::CheckBox, "Check4"_control, "Check4"_control},
    Row{Shown::InsDis, "Label31"_control, "Option3"_control, "Option4"_control},
    Row{Shown::Text, "Label10"_control, "Txtsir"_control},
    Row{Shown::Text, "Label12"_control, "txtin"_control},
    Row{Shown::Text, "Label14"_control, "Txtout"_control},
    Row{Shown::Inputs, "Label30"_control, kInputRow[0], {}, &kInputRow},
    Row{Shown::CheckBox, "Check2"_control, "Check2"_control},
};

std::string positionNumber(std::size_t index) {
    return std::to_string(kPositionCount - static_cast<int>(index));
}

ListedParameter listRow(const FormModel& form, const Row& row) {
    ListedParameter listed;
    listed.caption = form.text(row.caption);
    switch (row.shown) {
    case Shown::Text:
        listed.controls = {controlName(row.control)};
        listed.value = form.text(row.control);
        break;
    case Shown::TextPair:
        listed.controls = {controlName(row.control), controlName(row.second)};
        listed.value = form.text(row.control) + " / " + form.text(row.second);
        break;
    case Shown::CheckBox:
        listed.controls = {controlName(row.control)};
        listed.value = form.value(row.control) ? "sì" : "no";
        break;
    case Shown::Position:
    case Shown::Inputs: {
        for (std::size_t i = 0; i < row.members->size(); ++i) {
            const ControlId member = (*row.members)[i];
            listed.controls.push_back(controlName(member));
            if (form.value(member))
                listed.value += (listed.value.empty() ? "" : " ") + positionNumber(i);
        }
        if (listed.value.empty())
            listed.value = row.shown == Shown::Position ? "nessuna" : "nessuno";
        break;
    }
    case Shown::InsDis:
        listed.controls = {controlName(row.control), controlName(row.second)};
        listed.value = form.value(row.control) ? "6" : form.value(row.second) ? "1" : "nessuna";
        break;
    }
    return listed;
}

} // namespace

Listing listParameters(const FormModel& form) {
    Listing listing;
    for (const Row& row : kRows)
        listing.push_back(listRow(form, row));
    // "Monodirezionali Range 1" ... "Bidirezionali Range 8": the group's label, then the row's.
    for (int k = 0; k < kRangeCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        const ControlId minimum = kRangeMinimumBoxes[slot];
        const ControlId maximum = kRangeMaximumBoxes[slot];
        listing.push_back(
            {form.text(rangeGroupCaption(k)) + " " + form.text(kRangeRowCaptions[slot]),
             {controlName(minimum), controlName(maximum)},
             form.text(minimum) + " - " + form.text(maximum)});
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

} // namespace velmora::cli
