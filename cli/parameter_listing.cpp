#include "cli/parameter_listing.h"

#include "model/form_controls.h"

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
    std::string_view caption; // the label whose text is the caption; the control itself if empty
    std::string_view control;
    std::string_view second = {};
};

constexpr std::array kRows{
    Row{Shown::Text, "Labnumero", "Txtnumero"},
    Row{Shown::Text, "labgruppo", "Txtgruppo"},
    Row{Shown::TextPair, "Labmodif", "Txtmodif1", "Txtmodif2"},
    Row{Shown::Text, "Labcaodatt", "Txtcodatt"},
    Row{Shown::Text, "Labtono", "Combotono"},
    Row{Shown::Text, "labsincro", "Textsincro"},
    Row{Shown::Text, "laboutimp", "Textoutimp"},
    Row{Shown::Text, "Labripet", "Text1"},
    Row{Shown::Text, "Labintert", "Textintert"},
    Row{Shown::Text, "Label16", "txttx"},
    Row{Shown::Text, "Label18", "txtrx"},
    Row{Shown::Position, "Labelmanca", "Optrete"},
    Row{Shown::Position, "Labscar", "Optbatt"},
    Row{Shown::CheckBox, "", "Check1"},
    Row{Shown::CheckBox, "", "Check4"},
    Row{Shown::InsDis, "Label31", "Option3", "Option4"},
    Row{Shown::Text, "Label10", "Txtsir"},
    Row{Shown::Text, "Label12", "txtin"},
    Row{Shown::Text, "Label14", "Txtout"},
    Row{Shown::Inputs, "Label30", "Check3"},
    Row{Shown::CheckBox, "", "Check2"},
};

// The controls behind image bytes 1 to 32; the markers (17, 29 to 32) carry none.
// Position rows are named by their first member, as parameterOf() finds them.
constexpr std::array<std::array<std::string_view, 3>, 32> kHeaderBytes{{
    {"Txtnumero"},
    {"Txtnumero"},
    {"Txtnumero"},
    {"Txtnumero"},
    {"Txtmodif1"},
    {"Txtmodif2"},
    {"Txtgruppo"},
    {"Combotono"},
    {"Textsincro"},
    {"Textoutimp"},
    {"txttx"},
    {"txttx"},
    {"txtrx"},
    {"txtrx"},
    {"Text1"},
    {"Textintert"},
    {},
    {"Optrete(0)"},
    {"Optbatt(0)"},
    {"Check1", "Check4", "Option3"},
    {"Txtsir"},
    {"txtin"},
    {"Txtout"},
    {"Txtcodatt"},
    {"txttx"},
    {"txtrx"},
    {"Check2"},
    {"Check3(0)"},
    {},
    {},
    {},
    {},
}};

std::vector<std::string> rowMembers(std::string_view row) {
    std::vector<std::string> members;
    for (int i = 0; i < kPositionCount; ++i)
        members.push_back(indexedName(row, i));
    return members;
}

std::string positionNumber(int index) {
    return std::to_string(kPositionCount - index);
}

ListedParameter listRow(const FormModel& form, const Row& row) {
    ListedParameter listed;
    listed.caption = form.text(row.caption.empty() ? row.control : row.caption);
    switch (row.shown) {
    case Shown::Text:
        listed.controls = {std::string(row.control)};
        listed.value = form.text(row.control);
        break;
    case Shown::TextPair:
        listed.controls = {std::string(row.control), std::string(row.second)};
        listed.value = form.text(row.control) + " / " + form.text(row.second);
        break;
    case Shown::CheckBox:
        listed.controls = {std::string(row.control)};
        listed.value = form.value(row.control) ? "sì" : "no";
        break;
    case Shown::Position:
    case Shown::Inputs: {
        listed.controls = rowMembers(row.control);
        for (int i = 0; i < kPositionCount; ++i) {
            if (!form.value(listed.controls[static_cast<std::size_t>(i)]))
                continue;
            listed.value += (listed.value.empty() ? "" : " ") + positionNumber(i);
        }
        if (listed.value.empty())
            listed.value = row.shown == Shown::Position ? "nessuna" : "nessuno";
        break;
    }
    case Shown::InsDis:
        listed.controls = {std::string(row.control), std::string(row.second)};
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
        const std::string minimum = indexedName("Text2", k);
        const std::string maximum = indexedName("Text3", k);
        const std::string group = indexedName("Label24", k < kRangeCount / 2 ? 0 : 1);
        listing.push_back({form.text(group) + " " + form.text(indexedName("Label23", k)),
                           {minimum, maximum},
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
    constexpr int kFirstRangeByte = 33;
    if (n >= kFirstRangeByte && n <= kImageSize) {
        const int offset = n - kFirstRangeByte;
        return {indexedName(offset % 4 < 2 ? "Text2" : "Text3", offset / 4)};
    }
    if (n < 1 || n >= kFirstRangeByte)
        return {};
    const auto& controls = kHeaderBytes[static_cast<std::size_t>(n - 1)];
    std::vector<std::string> names;
    for (std::string_view control : controls)
        if (!control.empty())
            names.emplace_back(control);
    return names;
}

} // namespace velmora::cli
