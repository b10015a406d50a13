#pragma once

#include "values/controls.h"

#include <array>
#include <string>

namespace velmora {

using PositionFlags = std::array<bool, kPositionCount>; // by control index
using RangeTexts = std::array<std::string, kRangeCount>;

// A plain snapshot of every parameter as the window holds it: texts exactly as typed,
// check boxes, option selections and the tone row. Default-constructed, it is the
// window right after start-up. kParameterControls names the control of each member.
struct ParameterSet {
    std::string peripheralNumber{"001"};
    std::string group{"0"};
    std::string firstModifier{"0"};
    std::string secondModifier{"0"};
    std::string activationCode{"24"};
    int toneRow{0};                        // row of the tone table, 0 = "Notone"
    std::string synchronismDuration{"80"}; // in 10 ms
    std::string pulseDuration{"0"};        // in 10 ms
    std::string repetitions{"5"};
    std::string repetitionInterval{"5"}; // in seconds
    std::string sirenTime{"5"};
    std::string entryTime{"0"};
    std::string exitTime{"0"};

    bool vhfBand{true};
    bool uhfBand{false};
    std::string transmitFrequency{"160.0000"};
    std::string receiveFrequency{"160.0000"};

    PositionFlags mainsPosition{};
    PositionFlags batteryPosition{};
    PositionFlags directInputs{};
    bool insDisSix{false}; // Ins/DIS position 6
    bool insDisOne{true};  // Ins/DIS position 1

    bool controlPanel{false}; // "Funzione centralina"
    bool lo{false};
    bool beep{true}; // "Beep ON"

    RangeTexts rangeMinimum{filled("0")};
    RangeTexts rangeMaximum{filled("0")};

    bool operator==(const ParameterSet&) const = default;

private:
    static RangeTexts filled(const char* text) {
        RangeTexts texts;
        texts.fill(text);
        return texts;
    }
};

// Which control holds a member of the parameter set.
struct ParameterControl {
    enum class Holds { Text, Flag, ToneRow, PositionRow, RangeColumn };

    constexpr ParameterControl(ControlId box, std::string ParameterSet::*member)
        : holds(Holds::Text), control(box), text(member) {}
    constexpr ParameterControl(ControlId box, bool ParameterSet::*member)
        : holds(Holds::Flag), control(box), flag(member) {}
    constexpr ParameterControl(ControlId list, int ParameterSet::*member)
        : holds(Holds::ToneRow), control(list), row(member) {}
    constexpr ParameterControl(const PositionRow& members, PositionFlags ParameterSet::*member)
        : holds(Holds::PositionRow), control(members[0]), positions(&members), flags(member) {}
    constexpr ParameterControl(const RangeColumn& members, RangeTexts ParameterSet::*member)
        : holds(Holds::RangeColumn), control(members[0]), column(&members), texts(member) {}

    Holds holds;
    ControlId control; // member 0 of an array
    std::string ParameterSet::*text{};
    bool ParameterSet::*flag{};
    int ParameterSet::*row{};
    const PositionRow* positions{};
    PositionFlags ParameterSet::*flags{};
    const RangeColumn* column{};
    RangeTexts ParameterSet::*texts{};
};

// The one map from parameters to the controls that hold them.
inline constexpr ParameterControl kParameterControls[] = {
    {"Txtnumero"_control, &ParameterSet::peripheralNumber},
    {"Txtgruppo"_control, &ParameterSet::group},
    {"Txtmodif1"_control, &ParameterSet::firstModifier},
    {"Txtmodif2"_control, &ParameterSet::secondModifier},
    {"Txtcodatt"_control, &ParameterSet::activationCode},
    {"Combotono"_control, &ParameterSet::toneRow},
    {"Textsincro"_control, &ParameterSet::synchronismDuration},
    {"Textoutimp"_control, &ParameterSet::pulseDuration},
    {"Text1"_control, &ParameterSet::repetitions},
    {"Textintert"_control, &ParameterSet::repetitionInterval},
    {"Txtsir"_control, &ParameterSet::sirenTime},
    {"txtin"_control, &ParameterSet::entryTime},
    {"Txtout"_control, &ParameterSet::exitTime},
    {"Option1"_control, &ParameterSet::vhfBand},
    {"Option2"_control, &ParameterSet::uhfBand},
    {"txttx"_control, &ParameterSet::transmitFrequency},
    {"txtrx"_control, &ParameterSet::receiveFrequency},
    {kMainsRow, &ParameterSet::mainsPosition},
    {kBatteryRow, &ParameterSet::batteryPosition},
    {kInputRow, &ParameterSet::directInputs},
    {"Option3"_control, &ParameterSet::insDisSix},
    {"Option4"_control, &ParameterSet::insDisOne},
    {"Check1"_control, &ParameterSet::controlPanel},
    {"Check2"_control, &ParameterSet::lo},
    {"Check4"_control, &ParameterSet::beep},
    {kRangeMinimumBoxes, &ParameterSet::rangeMinimum},
    {kRangeMaximumBoxes, &ParameterSet::rangeMaximum},
};

// The entry of the parameter held by `control` (member 0 for an array).
consteval const ParameterControl* parameterOf(ControlId control) {
    for (const ParameterControl& parameter : kParameterControls)
        if (parameter.control == control)
            return &parameter;
    throw "that control holds no parameter";
}

} // namespace velmora
