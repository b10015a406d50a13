#include "model/input_rules.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace velmora {
namespace {

TEST(TypingRules, GuardedBoxesTakeDigitsAndBackspaceTheFrequenciesAlsoThePoint) {
    // Per box: its typing limit (0: none), then what "0", "9", backspace, ".", a, -,
    // blank, comma, copy, paste, cut do.
    const struct {
        ControlId box;
        int limit;
        const char* accepts;
    } rows[] = {
        {"Txtnumero"_control, 4, "111........"}, {"Txtgruppo"_control, 1, "111........"},
        {"Txtmodif1"_control, 3, "111........"}, {"Txtmodif2"_control, 3, "111........"},
        {"Txtcodatt"_control, 3, "111........"}, {"Textsincro"_control, 3, "111........"},
        {"Text1"_control, 1, "111........"},     {"Textintert"_control, 2, "111........"},
        {"Txtsir"_control, 3, "111........"},    {"txtin"_control, 3, "111........"},
        {"Txtout"_control, 3, "111........"},    {"Text2(0)"_control, 4, "111........"},
        {"Text3(15)"_control, 4, "111........"}, {"txttx"_control, 8, "1111......."},
        {"txtrx"_control, 8, "1111......."},     {"Label1"_control, 0, "11111111111"},
    };
    const char32_t characters[] = {U'0', U'9', 8, U'.', U'a', U'-', U' ', U',', 3, 22, 24};
    for (const auto& [box, limit, accepts] : rows) {
        std::string actual;
        for (char32_t character : characters)
            actual += acceptsTypedCharacter(box, character) ? '1' : '.';
        EXPECT_EQ(actual, accepts) << controlName(box);
        EXPECT_EQ(typingLimit(box), limit) << controlName(box);
    }
}

struct LeaveRow {
    ControlId box;
    bool vhf;
    // "text=verdict" pairs separated by '|': P passes, R refuses, B refuses with a beep.
    const char* cases;
};

const LeaveRow kLeaveRows[] = {
    {"Text1"_control, true, "0=R|=R|1=P|9=P|9.5=R|-1=R"},
    {"Textintert"_control, true, "4=B|5=P|20=P|21=B"},
    {"Txtsir"_control, true, "0=B|5=P|240=P|241=B"},
    {"txtin"_control, true, "0=P|=P|240=P|241=B|-1=B"},
    {"Txtout"_control, true, "0=P|-10=B"},
    {"Txtcodatt"_control, true, "256=R|255=P|12a=P|-3=R"},
    {"Txtmodif1"_control, true, "300=R|0=P|-1=R"},
    {"Txtmodif2"_control, true, "-255=R"},
    {"Textsincro"_control, true, "256=R|-80=R"},
    {"Textoutimp"_control, true, "0=P|-0.5=R"},
    {"Text2(3)"_control, true, "9999=P|10000=R|-1=R|- 0=P"},
    {"Text3(8)"_control, true, "9999.5=R|-5=R"},
    // Bounded by their length only; a pasted negative would reach the encoder.
    {"Txtnumero"_control, true, "0000=P|99999=P|-1=R|-0=P"},
    {"Txtgruppo"_control, true, "42=P|-=P|-2=R"},
    {"txttx"_control, true, "150=P|174=P|174.0001=B|149.9=B|430=B|=B|16.0.5=B|170.1.2=P"},
    {"txtrx"_control, true, "160.0000=P|460.0000=B"},
    {"txttx"_control, false, "400=P|470=P|470.5=B|=B|160.0000=B"},
    {"txtrx"_control, false, "399.99=B|460.0000=P"},
    {"Label1"_control, true, "-5=P"},
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
            EXPECT_EQ(actual, expected)
                << controlName(row.box) << " \"" << text << "\" vhf=" << row.vhf;
        }
    }
}

TEST(LeaveCheck, AnAbsurdPastedNumberFailsEveryRangedBox) {
    const std::string huge(400, '9');
    for (const ControlId box : {"Text1"_control, "Text2(1)"_control, "Txtcodatt"_control,
                                "Txtnumero"_control, "Txtgruppo"_control}) {
        EXPECT_EQ(leaveCheck(box, huge, true), LeaveVerdict::Refuse) << controlName(box);
        EXPECT_EQ(leaveCheck(box, "-" + huge, true), LeaveVerdict::Refuse) << controlName(box);
    }
    for (const ControlId box : {"Textintert"_control, "Txtsir"_control, "txtin"_control,
                                "txttx"_control, "txtrx"_control})
        EXPECT_EQ(leaveCheck(box, huge, false), LeaveVerdict::RefuseWithBeep) << controlName(box);
}

} // namespace
} // namespace velmora
