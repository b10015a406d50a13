#include "model/input_rules.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace velmora {
namespace {

TEST(TypedCharacters, GuardedBoxesTakeDigitsAndBackspaceTheFrequenciesAlsoThePoint) {
    // Per box: what "0", "9", backspace, ".", then a, -, blank, comma, copy, paste, cut do.
    const std::pair<const char*, const char*> rows[] = {
        {"Txtnumero", "111........"}, {"Txtgruppo", "111........"}, {"Txtmodif2", "111........"},
        {"Txtcodatt", "111........"}, {"Text1", "111........"},     {"Textintert", "111........"},
        {"txtin", "111........"},     {"Text2(0)", "111........"},  {"Text3(15)", "111........"},
        {"txttx", "1111......."},     {"txtrx", "1111......."},     {"Label1", "11111111111"},
        {"Text2(16)", "11111111111"}, {"Text3(01)", "11111111111"},
    };
    const char32_t characters[] = {U'0', U'9', 8, U'.', U'a', U'-', U' ', U',', 3, 22, 24};
    for (const auto& [box, accepts] : rows) {
        std::string actual;
        for (char32_t character : characters)
            actual += acceptsTypedCharacter(box, character) ? '1' : '.';
        EXPECT_EQ(actual, accepts) << box;
    }
}

TEST(TypingLimits, EachBoxHasItsLength) {
    const std::pair<const char*, int> rows[] = {
        {"Txtnumero", 4}, {"Txtgruppo", 1},  {"Txtmodif1", 3}, {"Txtcodatt", 3}, {"Textsincro", 3},
        {"Text1", 1},     {"Textintert", 2}, {"Txtsir", 3},    {"Txtout", 3},    {"txttx", 8},
        {"txtrx", 8},     {"Text3(15)", 4},  {"Label1", 0},    {"Text3(16)", 0},
    };
    for (const auto& [box, limit] : rows)
        EXPECT_EQ(typingLimit(box), limit) << box;
}

struct LeaveRow {
    const char* box;
    bool vhf;
    // "text=verdict" pairs separated by '|': P passes, R refuses, B refuses with a beep.
    const char* cases;
};

const LeaveRow kLeaveRows[] = {
    {"Text1", true, "0=R|=R|1=P|9=P|9.5=R|-1=R"},
    {"Textintert", true, "4=B|5=P|20=P|21=B"},
    {"Txtsir", true, "0=B|5=P|240=P|241=B"},
    {"txtin", true, "0=P|=P|240=P|241=B|-1=B"},
    {"Txtout", true, "0=P|-10=B"},
    {"Txtcodatt", true, "256=R|255=P|12a=P|-3=R"},
    {"Txtmodif1", true, "300=R|0=P|-1=R"},
    {"Txtmodif2", true, "-255=R"},
    {"Textsincro", true, "256=R|-80=R"},
    {"Textoutimp", true, "0=P|-0.5=R"},
    {"Text2(3)", true, "9999=P|10000=R|-1=R|- 0=P"},
    {"Text3(8)", true, "9999.5=R|-5=R"},
    // Bounded by their length only; a pasted negative would reach the encoder.
    {"Txtnumero", true, "0000=P|99999=P|-1=R|-0=P"},
    {"Txtgruppo", true, "42=P|-=P|-2=R"},
    {"txttx", true, "150=P|174=P|174.0001=B|149.9=B|430=B|=B|16.0.5=B|170.1.2=P"},
    {"txtrx", true, "160.0000=P|460.0000=B"},
    {"txttx", false, "400=P|470=P|470.5=B|=B|160.0000=B"},
    {"txtrx", false, "399.99=B|460.0000=P"},
    {"Label1", true, "-5=P"},
};

TEST(LeaveCheck, BoundsAreInclusiveAndOnlyTheTimesAndFrequenciesBeep) {
    for (const LeaveRow& row : kLeaveRows) {
        std::string_view cases = row.cases;
        while (!cases.empty()) {
            const std::string_view item = cases.substr(0, cases.find('|'));
            cases.remove_prefix(std::min(cases.size(), item.size() + 1));
            const std::string_view text = item.substr(0, item.size() - 2);
            const char expected = item.back();
            const LeaveVerdict verdict = leaveCheck(row.box, text, row.vhf);
            const char actual = verdict == LeaveVerdict::Pass     ? 'P'
                                : verdict == LeaveVerdict::Refuse ? 'R'
                                                                  : 'B';
            EXPECT_EQ(actual, expected) << row.box << " \"" << text << "\" vhf=" << row.vhf;
        }
    }
}

TEST(LeaveCheck, AnAbsurdPastedNumberFailsEveryRangedBox) {
    const std::string huge(400, '9');
    for (const char* box : {"Text1", "Text2(1)", "Txtcodatt", "Txtnumero", "Txtgruppo"}) {
        EXPECT_EQ(leaveCheck(box, huge, true), LeaveVerdict::Refuse) << box;
        EXPECT_EQ(leaveCheck(box, "-" + huge, true), LeaveVerdict::Refuse) << box;
    }
    for (const char* box : {"Textintert", "Txtsir", "txtin", "txttx", "txtrx"})
        EXPECT_EQ(leaveCheck(box, huge, false), LeaveVerdict::RefuseWithBeep) << box;
}

} // namespace
} // namespace velmora
