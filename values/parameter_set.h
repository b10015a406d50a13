#pragma once

#include <array>
#include <string>

namespace velmora {

inline constexpr int kPositionCount = 6; // index i stands for position 6 - i
inline constexpr int kRangeCount = 16;   // k = 0..7 unidirectional, 8..15 bidirectional

// A plain snapshot of every parameter as the window holds it: texts exactly as typed,
// check boxes, option selections and the tone row. Member names follow the controls.
// Default-constructed, it is the window right after start-up.
struct ParameterSet {
    std::string txtnumero{"001"};
    std::string txtgruppo{"0"};
    std::string txtmodif1{"0"};
    std::string txtmodif2{"0"};
    std::string txtcodatt{"24"};
    int combotonoRow{0}; // row of the tone table, 0 = "Notone"
    std::string textsincro{"80"};
    std::string textoutimp{"0"};
    std::string text1{"5"};
    std::string textintert{"5"};
    std::string txtsir{"5"};
    std::string txtin{"0"};
    std::string txtout{"0"};

    bool option1{true};  // VHF
    bool option2{false}; // UHF
    std::string txttx{"160.0000"};
    std::string txtrx{"160.0000"};

    std::array<bool, kPositionCount> optrete{};
    std::array<bool, kPositionCount> optbatt{};
    std::array<bool, kPositionCount> check3{};
    bool option3{false}; // Ins/DIS position 6
    bool option4{true};  // Ins/DIS position 1

    bool check1{false}; // "Funzione centralina"
    bool check2{false}; // "Lo"
    bool check4{true};  // "Beep ON"

    std::array<std::string, kRangeCount> text2{filled("0")}; // range minimum
    std::array<std::string, kRangeCount> text3{filled("0")}; // range maximum

    bool operator==(const ParameterSet&) const = default;

private:
    static std::array<std::string, kRangeCount> filled(const char* text) {
        std::array<std::string, kRangeCount> texts;
        texts.fill(text);
        return texts;
    }
};

} // namespace velmora
