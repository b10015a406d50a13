#include "model/input_rules.h"

#include <gtest/gtest.h>
#include <string>

namespace velmora {
namespace {

const char* const kDigitBoxes[] = {
    "Txtnumero",  "Txtgruppo", "Txtmodif1",  "Txtmodif2", "Txtcodatt", "Textsincro",
    "Textoutimp", "Text1",     "Textintert", "Txtsir",    "txtin",     "Txtout",
    "Text2(0)",   "Text2(15)", "Text3(0)",   "Text3(9)",
};

TEST(TypedCharacters, DigitBoxesTakeDigitsAndBackspaceOnly) {
    const char32_t refused[] = {U'a', U'-', U' ', U',', U'.',      U'+', U'e', 3,
                                22,   24,   13,   127,  U'\u00e8', U'/', U':'};
    for (const char* box : kDigitBoxes) {
        for (char32_t digit = U'0'; digit <= U'9'; ++digit)
            EXPECT_TRUE(acceptsTypedCharacter(box, digit)) << box;
        EXPECT_TRUE(acceptsTypedCharacter(box, 8)) << box;
        for (char32_t character : refused)
            EXPECT_FALSE(acceptsTypedCharacter(box, character))
                << box << " code " << static_cast<unsigned>(character);
    }
}

TEST(TypedCharacters, FrequencyBoxesAlsoTakeThePoint) {
    for (const char* box : {"txttx", "txtrx"}) {
        EXPECT_TRUE(acceptsTypedCharacter(box, U'.'));
        EXPECT_TRUE(acceptsTypedCharacter(box, U'7'));
        EXPECT_TRUE(acceptsTypedCharacter(box, 8));
        for (char32_t character : {U',', U'-', U'a', char32_t{3}, char32_t{22}, char32_t{24}})
            EXPECT_FALSE(acceptsTypedCharacter(box, character)) << box;
    }
}

TEST(TypedCharacters, UnguardedControlsTakeEverything) {
    for (const char* box : {"Label1", "Combotono", "Text2(16)", "Text2(01)", "Text2", "Text4(1)"})
        for (char32_t character : {U'a', U'-', U'.', char32_t{22}})
            EXPECT_TRUE(acceptsTypedCharacter(box, character)) << box;
}

TEST(TypingLimits, EachBoxHasItsLength) {
    const std::pair<const char*, int> rows[] = {
        {"Txtnumero", 4},  {"Txtgruppo", 1},  {"Txtmodif1", 3}, {"Txtmodif2", 3},  {"Txtcodatt", 3},
        {"Textsincro", 3}, {"Textoutimp", 3}, {"Text1", 1},     {"Textintert", 2}, {"Txtsir", 3},
        {"txtin", 3},      {"Txtout", 3},     {"txttx", 8},     {"txtrx", 8},      {"Text2(0)", 4},
        {"Text3(15)", 4},  {"Label1", 0},     {"Text3(16)", 0},
    };
    for (const auto& [box, limit] : rows)
        EXPECT_EQ(typingLimit(box), limit) << box;
}

constexpr LeaveVerdict P = LeaveVerdict::Pass;
constexpr LeaveVerdict R = LeaveVerdict::Refuse;
constexpr LeaveVerdict B = LeaveVerdict::RefuseWithBeep;

struct LeaveCase {
    const char* box;
    std::string text;
    bool vhf;
    LeaveVerdict verdict;
};

TEST(LeaveCheck, BoundsAreInclusiveAndOnlyTheTimesAndFrequenciesBeep) {
    const LeaveCase cases[] = {
        {"Text1", "0", true, R},          {"Text1", "", true, R},
        {"Text1", "1", true, P},          {"Text1", "9", true, P},
        {"Text1", "9.5", true, R},        {"Textintert", "4", true, B},
        {"Textintert", "5", true, P},     {"Textintert", "20", true, P},
        {"Textintert", "21", true, B},    {"Txtsir", "0", true, B},
        {"Txtsir", "5", true, P},         {"Txtsir", "240", true, P},
        {"Txtsir", "241", true, B},       {"txtin", "0", true, P},
        {"txtin", "", true, P},           {"Txtout", "240", true, P},
        {"Txtout", "241", true, B},       {"Txtcodatt", "256", true, R},
        {"Txtcodatt", "255", true, P},    {"Txtcodatt", "12a", true, P},
        {"Txtmodif1", "300", true, R},    {"Txtmodif2", "255", true, P},
        {"Textsincro", "256", true, R},   {"Textoutimp", "0", true, P},
        {"Text2(3)", "9999", true, P},    {"Text2(3)", "10000", true, R},
        {"Text3(15)", "9999.5", true, R}, {"Txtnumero", "0000", true, P},
        {"Txtnumero", "99999", true, P},  {"Txtgruppo", "42", true, P},
        {"Label1", "-5", true, P},
    };
    for (const LeaveCase& c : cases)
        EXPECT_EQ(leaveCheck(c.box, c.text, c.vhf), c.verdict) << c.box << " \"" << c.text << '"';
}

TEST(LeaveCheck, FrequenciesAreJudgedByTheBandSelectedNow) {
    const LeaveCase cases[] = {
        {"txttx", "150", true, P},       {"txttx", "174", true, P},
        {"txttx", "174.0001", true, B},  {"txttx", "149.9", true, B},
        {"txttx", "430", true, B},       {"txtrx", "160.0000", true, P},
        {"txttx", "", true, B},          {"txttx", "", false, B},
        {"txttx", "400", false, P},      {"txtrx", "470", false, P},
        {"txtrx", "399.99", false, B},   {"txttx", "470.5", false, B},
        {"txtrx", "460.0000", false, P}, {"txttx", "160.0000", false, B},
        {"txttx", "16.0.5", true, B},    {"txttx", "170.1.2", true, P},
    };
    for (const LeaveCase& c : cases)
        EXPECT_EQ(leaveCheck(c.box, c.text, c.vhf), c.verdict)
            << c.box << " \"" << c.text << "\" " << (c.vhf ? "VHF" : "UHF");
}

// Only a paste can put a sign into these boxes; the encoder cannot carry a negative.
TEST(LeaveCheck, BoxesStartingAtZeroRefuseNegativesPastedIn) {
    const LeaveCase cases[] = {
        {"Text2(0)", "-1", true, R},     {"Text3(8)", "-5", true, R},
        {"Txtmodif1", "-1", true, R},    {"Txtmodif2", "-255", true, R},
        {"Txtcodatt", "-3", true, R},    {"Textsincro", "-80", true, R},
        {"Textoutimp", "-0.5", true, R}, {"Txtnumero", "-1", true, R},
        {"Txtgruppo", "-", true, P},     {"Txtgruppo", "-2", true, R},
        {"txtin", "-1", true, B},        {"Txtout", "-10", true, B},
        {"Txtnumero", "-0", true, P},    {"Text2(5)", "- 0", true, P},
    };
    for (const LeaveCase& c : cases)
        EXPECT_EQ(leaveCheck(c.box, c.text, c.vhf), c.verdict) << c.box << " \"" << c.text << '"';
}

TEST(LeaveCheck, AnAbsurdPastedNumberFailsEveryRangedBox) {
    const std::string huge(400, '9');
    const std::pair<const char*, LeaveVerdict> rows[] = {
        {"Text1", R}, {"Text2(1)", R}, {"Txtcodatt", R}, {"Textintert", B}, {"Txtsir", B},
        {"txtin", B}, {"txttx", B},    {"txtrx", B},     {"Txtnumero", R},  {"Txtgruppo", R},
    };
    for (const auto& [box, verdict] : rows) {
        EXPECT_EQ(leaveCheck(box, huge, true), verdict) << box;
        EXPECT_EQ(leaveCheck(box, "-" + huge, false), verdict) << box;
    }
}

} // namespace
} // namespace velmora
