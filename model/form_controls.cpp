#include "model/form_controls.h"

#include <stdexcept>
#include <utility>

namespace velmora {

namespace {

// Start flags of a control; a control without flags starts enabled, visible, unticked.
enum Flag : unsigned {
    None = 0,
    On = 1, // ticked or selected
    Disabled = 2,
    Hidden = 4,
    Red = 8,      // red back colour
    Numbered = 16 // caption followed by the row number within its block ("Range 1")
};

using K = ControlKind;

struct Row {
    std::string_view name;
    K kind;
    std::string_view container;
    std::string_view text;
    unsigned flags;
    int first = -1; // first index of a control array block; -1 for a single control
    int count = 1;
};

// Creation order: header, parameter area row by row, then the range area.
constexpr Row kRows[] = {
    {"Frame3", K::Frame, "", "", None},
    {"Image1", K::Picture, "Frame3", "", None},
    {"Label21", K::Label, "Frame3", "Dravik", None},
    {"Label22", K::Label, "Frame3", "Velmora Tessor  v 1.5", None},
    {"Command6", K::CommandButton, "Frame3", "Importa file", None},
    // "Salva file" belongs to the window itself, inside the header's rectangle.
    {"Command5", K::CommandButton, "", "Salva file", Disabled},
    {"Label19", K::Label, "Frame3", "", None},
    {"Label20", K::Label, "Frame3", "Sconnesso", Red},

    {"Frame1", K::Frame, "", "", None},
    {"Frame7", K::Frame, "Frame1", "", None},
    {"Option1", K::OptionButton, "Frame7", "VHF", None},
    {"Option2", K::OptionButton, "Frame7", "UHF", None},
    {"Label16", K::Label, "Frame1", "Frequenza TX", None},
    {"txttx", K::TextBox, "Frame1", "160.000", None},
    {"Label15", K::Label, "Frame1", "165.1975", None},
    {"Check2", K::CheckBox, "Frame1", "Lo", None},
    {"Label18", K::Label, "Frame1", "Frequenza RX", None},
    {"txtrx", K::TextBox, "Frame1", "160.000", None},
    {"Label17", K::Label, "Frame1", "165.1975", None},
    {"Labnumero", K::Label, "Frame1", "Numero periferico", None},
    {"Txtnumero", K::TextBox, "Frame1", "001", None},
    {"Label1", K::Label, "Frame1", "001 - 9999", None},
    {"labgruppo", K::Label, "Frame1", "Gruppo", None},
    {"Txtgruppo", K::TextBox, "Frame1", "0", None},
    {"Label2", K::Label, "Frame1", "0 - 9", None},
    {"Labmodif", K::Label, "Frame1", "Modificatori", None},
    {"Txtmodif1", K::TextBox, "Frame1", "0", None},
    {"Txtmodif2", K::TextBox, "Frame1", "0", None},
    {"Label3", K::Label, "Frame1", "0 - 255  /  0 - 255", None},
    {"Labcaodatt", K::Label, "Frame1", "Codice attivazione", None},
    {"Txtcodatt", K::TextBox, "Frame1", "24", None},
    {"Label4", K::Label, "Frame1", "0 - 255  ", None},
    {"Labtono", K::Label, "Frame1", "Tono subaudio", None},
    {"Combotono", K::ComboBox, "Frame1", "Notone", None}, // row 0 selected
    {"labsincro", K::Label, "Frame1", "Durata sincronismo", None},
    {"Textsincro", K::TextBox, "Frame1", "80", None},
    {"Label5", K::Label, "Frame1", "(0 - 255) * 10 ms  ", None},
    {"laboutimp", K::Label, "Frame1", "Durata attivaz. impuls.", None},
    {"Textoutimp", K::TextBox, "Frame1", "0", None},
    {"Label7", K::Label, "Frame1", "(0 - 255) * 10 ms  ", None},
    {"Labripet", K::Label, "Frame1", "Numero ripetizioni", None},
    {"Text1", K::TextBox, "Frame1", "5", None},
    {"Label8", K::Label, "Frame1", "1 - 9", None},
    {"Labintert", K::Label, "Frame1", "Intertempo ripetizioni", None},
    {"Textintert", K::TextBox, "Frame1", "5", None},
    {"Label9", K::Label, "Frame1", "5 - 20 secondi", None},
    {"Labelmanca", K::Label, "Frame1", "Posizione manca rete", None},
    {"Frame4", K::Frame, "Frame1", "", None},
    {"Optrete", K::OptionButton, "Frame4", "", None, 0, 6},
    {"Command2", K::CommandButton, "Frame1", "Annulla", None},
    {"Label29", K::Label, "Frame1", "6 ...................... 1", None},
    {"Labscar", K::Label, "Frame1", "Posizione batt.scar.", None},
    {"Frame2", K::Frame, "Frame1", "", None},
    {"Optbatt", K::OptionButton, "Frame2", "", None, 0, 6},
    {"Command3", K::CommandButton, "Frame1", "Annulla", None},
    {"Label31", K::Label, "Frame1", "Posizione Ins/DIS", None},
    {"Option3", K::OptionButton, "Frame1", "", Disabled},
    {"Option4", K::OptionButton, "Frame1", "", On | Disabled},
    {"Check4", K::CheckBox, "Frame1", "Beep ON", On | Hidden},
    {"Check1", K::CheckBox, "Frame1", "Funzione centralina", None},
    {"Frame6", K::Frame, "Frame1", "", Disabled},
    {"Check3", K::CheckBox, "Frame6", "", None, 0, 6},
    {"Label30", K::Label, "Frame1", "Input DIRETTI", None},
    {"Label10", K::Label, "Frame1", "Tempo sirena", Disabled},
    {"Txtsir", K::TextBox, "Frame1", "5", Disabled},
    {"Label6", K::Label, "Frame1", "5 - 240 secondi", Disabled},
    {"Label12", K::Label, "Frame1", "Tempo di ingresso", Disabled},
    {"txtin", K::TextBox, "Frame1", "0", Disabled},
    {"Label11", K::Label, "Frame1", "0 - 240 secondi", Disabled},
    {"Label14", K::Label, "Frame1", "Tempo di uscita", Disabled},
    {"Txtout", K::TextBox, "Frame1", "0", Disabled},
    {"Label13", K::Label, "Frame1", "0 - 240 secondi", Disabled},
    {"Command4", K::CommandButton, "Frame1", "Leggi", None},
    {"Command1", K::CommandButton, "Frame1", "Programma", None},

    {"Frame5", K::Frame, "", "", None},
    {"Label24(0)", K::Label, "Frame5", "Monodirezionali", None},
    {"Label25", K::Label, "Frame5", "min", None},
    {"Label26", K::Label, "Frame5", "MAX", None},
    {"Label23", K::Label, "Frame5", "Range ", Numbered, 0, 8},
    {"Text2", K::TextBox, "Frame5", "0", None, 0, 8},
    {"Text3", K::TextBox, "Frame5", "0", None, 0, 8},
    {"Command7", K::CommandButton, "Frame5", "Clear", None},
    {"Label24(1)", K::Label, "Frame5", "Bidirezionali", None},
    {"Label27", K::Label, "Frame5", "min", None},
    {"Label28", K::Label, "Frame5", "MAX", None},
    {"Label23", K::Label, "Frame5", "Range ", Numbered, 8, 8},
    {"Text2", K::TextBox, "Frame5", "0", None, 8, 8},
    {"Text3", K::TextBox, "Frame5", "0", None, 8, 8},
    {"Command8", K::CommandButton, "Frame5", "Clear", None},
};

ControlState startState(const Row& row, std::string text) {
    return ControlState{std::move(text), (row.flags & On) != 0, (row.flags & Disabled) == 0,
                        (row.flags & Hidden) == 0,
                        (row.flags & Red) != 0 ? Background::Red : Background::ButtonFace};
}

} // namespace

std::string indexedName(std::string_view array, int index) {
    return std::string(array) + '(' + std::to_string(index) + ')';
}

ControlTable::ControlTable() {
    for (const Row& row : kRows) {
        if (row.first < 0) {
            identities_.push_back(
                {std::string(row.name), row.kind, std::string(row.container), row.name});
            startStates_.push_back(startState(row, std::string(row.text)));
            continue;
        }
        std::vector<ControlId>& members = members_[row.name];
        members.resize(static_cast<std::size_t>(row.first + row.count));
        for (int n = 0; n < row.count; ++n) {
            std::string text(row.text);
            if ((row.flags & Numbered) != 0)
                text += std::to_string(n + 1);
            members[static_cast<std::size_t>(row.first + n)] = identities_.size();
            identities_.push_back({indexedName(row.name, row.first + n), row.kind,
                                   std::string(row.container), row.name});
            startStates_.push_back(startState(row, std::move(text)));
        }
    }
    // The names are keyed only now that the identities no longer move.
    for (ControlId id = 0; id < identities_.size(); ++id)
        byName_.emplace(identities_[id].name, id);
    for (int i = 0; i < kPositionCount; ++i) {
        arrays_.optrete[static_cast<std::size_t>(i)] = member("Optrete", i);
        arrays_.optbatt[static_cast<std::size_t>(i)] = member("Optbatt", i);
        arrays_.check3[static_cast<std::size_t>(i)] = member("Check3", i);
    }
    for (int k = 0; k < kRangeCount; ++k) {
        arrays_.text2[static_cast<std::size_t>(k)] = member("Text2", k);
        arrays_.text3[static_cast<std::size_t>(k)] = member("Text3", k);
    }
    optionGroups_.resize(identities_.size());
    for (ControlId id = 0; id < identities_.size(); ++id) {
        if (identities_[id].kind != ControlKind::OptionButton)
            continue;
        for (ControlId other = 0; other < identities_.size(); ++other)
            if (identities_[other].kind == ControlKind::OptionButton &&
                identities_[other].container == identities_[id].container)
                optionGroups_[id].push_back(other);
    }
}

std::optional<ControlId> ControlTable::find(std::string_view name) const {
    const auto found = byName_.find(name);
    if (found == byName_.end())
        return std::nullopt;
    return found->second;
}

ControlId ControlTable::id(std::string_view name) const {
    if (const auto found = find(name))
        return *found;
    throw std::out_of_range("no control named " + std::string(name));
}

ControlId ControlTable::member(std::string_view array, int index) const {
    const auto found = members_.find(array);
    if (found == members_.end() || index < 0 ||
        static_cast<std::size_t>(index) >= found->second.size())
        throw std::out_of_range("no control named " + indexedName(array, index));
    return found->second[static_cast<std::size_t>(index)];
}

} // namespace velmora
