#include "soak/fault_plan.h"
#include "unit_sim/fault_switches.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace velmora::bench {
namespace {

// Every line the soak sends must be one the simulated unit takes, or the fault it
// stands for would silently never happen.
TEST(FaultPlan, EverySpellIsOneTheUnitTakes) {
    FaultPlan plan(1);
    std::map<std::string, int> seen;
    for (int i = 0; i < 2000; ++i) {
        const FaultSpell spell = plan.nextSpell();
        ++seen[spell.name];
        EXPECT_GT(spell.durationMs, 0) << spell.name;
        EXPECT_LE(spell.durationMs, 5000) << spell.name;
        sim::FaultSwitches faults;
        for (const std::string& line : {spell.switchOn, spell.switchOff}) {
            if (line.empty())
                continue;
            EXPECT_TRUE(sim::applyControl(faults, line).accepted) << line;
        }
        if (!spell.switchOff.empty()) {
            const bool clean = !faults.silent && !faults.garbage && !faults.noAcknowledgement &&
                               faults.shortReplyBytes == 0 && faults.gapMs == 0;
            EXPECT_TRUE(clean) << spell.name << ": switching off must leave a clean unit";
        } else if (!spell.switchOn.empty()) {
            EXPECT_TRUE(sim::applyControl(faults, spell.switchOn).hangupMs.has_value())
                << spell.name;
        }
    }
    EXPECT_EQ(seen.size(), 8u);
}

TEST(FaultPlan, GapsStayClearOfTheReplyLimit) {
    FaultPlan plan(2);
    for (int i = 0; i < 2000; ++i) {
        const FaultSpell spell = plan.nextSpell();
        if (!spell.switchOn.starts_with("gap "))
            continue;
        const int gap = std::stoi(spell.switchOn.substr(4));
        EXPECT_TRUE(gap <= 25 || gap >= 70) << gap;
    }
}

TEST(FaultPlan, RepeatableFromItsSeed) {
    FaultPlan first(42);
    FaultPlan second(42);
    std::set<std::string> buttons;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(first.nextSpell().switchOn, second.nextSpell().switchOn);
        const std::string button = first.nextButton();
        EXPECT_EQ(button, second.nextButton());
        buttons.insert(button);
        const int pause = first.nextClickPauseMs();
        EXPECT_EQ(pause, second.nextClickPauseMs());
        EXPECT_GE(pause, 100);
        EXPECT_LE(pause, 900);
    }
    EXPECT_EQ(buttons, (std::set<std::string>{"Command1", "Command4"}));
}

} // namespace
} // namespace velmora::bench
