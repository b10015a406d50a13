#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr int kPositionCount = 6; // index i stands for position 6 - i
inline constexpr int kRangeCount = 16;   // k = 0..7 unidirectional, 8..15 bidirectional

enum class ControlKind {
    TextBox,
    CheckBox,
    OptionButton,
    ComboBox,
    Label,
    Frame,
    CommandButton,
    Picture
};

// Back colour of a label: the system's button-face colour, green (0, 255, 0) or red (255, 0, 0).
enum class Background { ButtonFace, Green, Red };

// A control of the window `Form1`, by its place in creation order. Code names a control
// with "Txtnumero"_control or "Optrete(3)"_control, which fails to compile for a name
// the window does not have; names that arrive at run time go through findControl().
class ControlId {
public:
    constexpr ControlId() = default;
    constexpr explicit ControlId(std::size_t index) : index_(static_cast<std::uint8_t>(index)) {}
    constexpr std::size_t index() const { return index_; }
    friend constexpr bool operator==(ControlId, ControlId) = default;

private:
    std::uint8_t index_{};
};

namespace controls {

// Start flags of a control; a control without flags starts enabled, visible, unticked.
enum Flag : unsigned {
    None = 0,
    On = 1, // ticked or selected
    Disabled = 2,
    Hidden = 4,
    Red = 8,      // red back colour
    Numbered = 16 // caption followed by the row number within its block ("Range 1")
};

// One line of the window's definition: a single control, or a block of a control array
// (`first` and `count` members).
struct Row {
    std::string_view name;
    ControlKind kind;
    std::string_view container; // empty for the window itself
    std::string_view text;
    unsigned flags;
    int first = -1;
    int count = 1;
};

using K = ControlKind;

// Creation order: header, parameter area row by row, then the range area.
inline constexpr Row kRows[] = {
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

// One control: its array name and index ("Optrete", 3), or its name and -1.
struct Entry {
    std::string_view array;
    int index;
    const Row* row;
    std::size_t container; // place of its frame; kCount for the window itself
};

constexpr std::size_t countControls() {
    std::size_t count = 0;
    for (const Row& row : kRows)
        count += static_cast<std::size_t>(row.count);
    return count;
}

inline constexpr std::size_t kCount = countControls();

constexpr std::array<Entry, kCount> listControls() {
    std::array<Entry, kCount> entries{};
    std::size_t next = 0;
    for (const Row& row : kRows)
        for (int n = 0; n < row.count; ++n)
            entries[next++] = {row.name, row.first < 0 ? -1 : row.first + n, &row, kCount};
    for (Entry& entry : entries)
        for (std::size_t frame = 0; frame < kCount; ++frame)
            if (entries[frame].index < 0 && entries[frame].array == entry.row->container)
                entry.container = frame;
    return entries;
}

inline constexpr std::array<Entry, kCount> kEntries = listControls();

constexpr std::optional<ControlId> findMember(std::string_view array, int index) {
    for (std::size_t id = 0; id < kCount; ++id)
        if (kEntries[id].array == array && kEntries[id].index == index)
            return ControlId(id);
    return std::nullopt;
}

// "Txtnumero", "Label24(1)", "Optrete(3)"; an index is plain decimal digits.
constexpr std::optional<ControlId> find(std::string_view name) {
    if (const auto single = findMember(name, -1))
        return single;
    const std::size_t open = name.find('(');
    if (open == std::string_view::npos || name.size() < open + 3 || name.back() != ')')
        return std::nullopt;
    const std::string_view digits = name.substr(open + 1, name.size() - open - 2);
    if (digits.size() > 2 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int index = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        index = index * 10 + (digit - '0');
    }
    return findMember(name.substr(0, open), index);
}

consteval ControlId named(std::string_view name) {
    const auto id = find(name);
    if (!id)
        throw "the window has no control of that name";
    return *id;
}

template <std::size_t N> consteval std::array<ControlId, N> members(std::string_view array) {
    std::array<ControlId, N> ids{};
    for (std::size_t i = 0; i < N; ++i) {
        const auto id = findMember(array, static_cast<int>(i));
        if (!id)
            throw "the window has no control array of that name and size";
        ids[i] = *id;
    }
    return ids;
}

} // namespace controls

inline constexpr std::size_t kControlCount = controls::kCount;

consteval ControlId operator""_control(const char* name, std::size_t length) {
    return controls::named({name, length});
}

// The members of the control arrays, by index.
using PositionRow = std::array<ControlId, kPositionCount>;
using RangeColumn = std::array<ControlId, kRangeCount>;
inline constexpr PositionRow kMainsRow = controls::members<kPositionCount>("Optrete");
inline constexpr PositionRow kBatteryRow = controls::members<kPositionCount>("Optbatt");
inline constexpr PositionRow kInputRow = controls::members<kPositionCount>("Check3");
inline constexpr RangeColumn kRangeMinimumBoxes = controls::members<kRangeCount>("Text2");
inline constexpr RangeColumn kRangeMaximumBoxes = controls::members<kRangeCount>("Text3");
inline constexpr RangeColumn kRangeRowCaptions = controls::members<kRangeCount>("Label23");

// The controls the logic names by what they are for. The window's own names stay the
// object names; code says the role.
inline constexpr ControlId kProgramButton = "Command1"_control;      // "Programma"
inline constexpr ControlId kReadButton = "Command4"_control;         // "Leggi"
inline constexpr ControlId kSaveFileButton = "Command5"_control;     // "Salva file"
inline constexpr ControlId kImportFileButton = "Command6"_control;   // "Importa file"
inline constexpr ControlId kClearMainsButton = "Command2"_control;   // "Annulla", mains row
inline constexpr ControlId kClearBatteryButton = "Command3"_control; // "Annulla", battery row
inline constexpr ControlId kClearUnidirectionalButton = "Command7"_control; // "Clear"
inline constexpr ControlId kClearBidirectionalButton = "Command8"_control;  // "Clear"
inline constexpr ControlId kOperationStatus = "Label19"_control; // "Programmato", "Errore lettura"
inline constexpr ControlId kLinkStatus = "Label20"_control;      // "Connesso", "Sconnesso"
inline constexpr ControlId kVhfBand = "Option1"_control;
inline constexpr ControlId kUhfBand = "Option2"_control;
inline constexpr ControlId kControlPanelMode = "Check1"_control; // "Funzione centralina"
inline constexpr ControlId kBeep = "Check4"_control;             // "Beep ON"
inline constexpr ControlId kInsDisCaption = "Label31"_control;   // "Posizione Ins/DIS"
inline constexpr ControlId kInsDisAtSix = "Option3"_control;     // Ins/DIS on position 6
inline constexpr ControlId kInsDisAtOne = "Option4"_control;     // Ins/DIS on position 1
inline constexpr ControlId kDirectInputsFrame = "Frame6"_control;

// The group caption of range k: "Monodirezionali" or "Bidirezionali".
constexpr ControlId rangeGroupCaption(int k) {
    return k < kRangeCount / 2 ? "Label24(0)"_control : "Label24(1)"_control;
}

// The control of a name that arrives at run time (a command line, an object name).
constexpr std::optional<ControlId> findControl(std::string_view name) {
    return controls::find(name);
}

constexpr ControlKind kindOf(ControlId id) {
    return controls::kEntries[id.index()].row->kind;
}

// The frame that holds a control; none for the window itself.
constexpr std::optional<ControlId> containerOf(ControlId id) {
    const std::size_t frame = controls::kEntries[id.index()].container;
    if (frame == kControlCount)
        return std::nullopt;
    return ControlId(frame);
}

// "Txtnumero", "Optrete(3)"; the same texts for the life of the program.
const std::string& controlName(ControlId id);
// The text or caption a control is created with ("Range 3" for `Label23(2)`).
const std::string& startText(ControlId id);

} // namespace velmora
