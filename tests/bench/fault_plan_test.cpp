#include "soak/fault_plan.h"
#include "unit_sim/fault_switches.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora::bench {
namespace {

// Every line the soak sends must be one the simulated unit takes, or the fault it
// stands for would silently never happen; and switching it off must leave a clean unit.
TEST(FaultPlan, EverySpellIsOneTheUnitTakesAndUndoes) {
    FaultPlan plan(1);
    std::set<std::string> kinds;
    for (int i = 0; i < 2000; ++i) {
        const FaultSpell spell = plan.nextSpell();
        kinds.insert(spell.name);
        if (spell.switchOn.empty())
            continue; // a clean spell
        sim::FaultSwitches faults;
        const sim::ControlOutcome on = sim::applyControl(faults, spell.switchOn);
        ASSERT_TRUE(on.accepted) << spell.switchOn;
        if (on.hangupMs) {
            EXPECT_GT(spell.durationMs, *on.hangupMs) << "the line must be back within the spell";
            continue;
        }
        // A gap near the 50 ms the program waits inside a reply would make its outcome a guess.
        EXPECT_TRUE(faults.gapMs <= 25 || faults.gapMs >= 70) << spell.switchOn;
        ASSERT_TRUE(sim::applyControl(faults, spell.switchOff).accepted) << spell.switchOff;
        EXPECT_FALSE(faults.silent || faults.garbage || faults.noAcknowledgement ||
                     faults.shortReplyBytes != 0 || faults.gapMs != 0)
            << spell.name;
    }
    EXPECT_EQ(kinds.size(), 8u);
}

// Spells, buttons and pauses of a run, with how often each button came up.
std::pair<std::vector<std::string>, std::map<std::string, int>> trace(unsigned seed) {
    FaultPlan plan(seed);
    std::vector<std::string> steps;
    std::map<std::string, int> buttons;
    for (int i = 0; i < 50; ++i) {
        const std::string button = plan.nextButton();
        ++buttons[button];
        steps.push_back(plan.nextSpell().switchOn + '|' + button + '|' +
                        std::to_string(plan.nextClickPauseMs()));
    }
    return {steps, buttons};
}

TEST(FaultPlan, RepeatableFromItsSeedAndOnlyFromIt) {
    EXPECT_EQ(trace(42), trace(42));
    EXPECT_NE(trace(42).first, trace(43).first);
    EXPECT_EQ(trace(42).second.size(), 2u) << "both Programma and Leggi are clicked";
}

} // namespace
} // namespace velmora::bench
