#include "soak/fault_plan.h"
#include "soak/soak_judgement.h"
#include "unit_sim/fault_switches.h"

#include "log_script.h"

#include <gtest/gtest.h>

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

// A soak that failed can be run again as it was: everything it does follows its seed.
TEST(FaultPlan, RepeatableFromItsSeedAndOnlyFromIt) {
    const auto trace = [](unsigned seed) {
        FaultPlan plan(seed);
        std::string steps;
        for (int i = 0; i < 50; ++i) {
            steps += std::string("|") + plan.nextButton() + "|";
            steps += plan.nextSpell().switchOn + ' ' + std::to_string(plan.nextClickPauseMs());
        }
        return steps;
    };
    EXPECT_EQ(trace(42), trace(42));
    EXPECT_NE(trace(42), trace(43));
    EXPECT_TRUE(trace(42).find("|Command1|") != std::string::npos &&
                trace(42).find("|Command4|") != std::string::npos)
        << "both Programma and Leggi are clicked";
}

using Expected = std::vector<std::pair<double, bool>>;

Expected expected(const Script& script) {
    Expected result;
    for (const ExpectedAcknowledgement& ack : expectedAcknowledgements(script.log, script.events))
        result.emplace_back(ack.ms, ack.certain);
    return result;
}

TEST(ExpectedAcknowledgements, ReplaysTheReceiveBuffer) {
    struct Row {
        const char* name;
        Script script;
        Expected acknowledgements;
    };
    const auto clicked = [] { return Script{}.programma(0); };
    const auto stale = [] { return Script{}.sent(0, {1, 2}); };
    // Two halves of 48; the first one's last chunk goes out at 42.
    const auto halves = [&](double gapMs) { return clicked().reply(2, 48).reply(42 + gapMs, 48); };
    const Row rows[] = {
        {"96 U after a click", clicked().reply(2, 96), {{90, true}}},
        {"a lone V first answers a poll", clicked().sent(1, {0x56}).reply(9, 96), {{97, true}}},
        {"a V in the same chunk is data", clicked().sent(1, {0x56, 0x55}).reply(9, 96), {}},
        {"97 U at once are an acknowledgement", clicked().sent(2, Bytes(97, 0x55)), {{2, true}}},
        {"a 97th U in a later chunk comes too late", clicked().reply(2, 97), {{90, true}}},
        {"a gap over 50 ms drops the first half", halves(60), {}},
        {"a gap under 50 ms keeps it", halves(30), {{112, true}}},
        {"a gap of about 50 ms cannot tell", halves(50), {{132, false}}},
        {"stale bytes without a click spoil it", stale().reply(20, 96), {}},
        {"a click empties stale bytes", stale().programma(20).reply(22, 96), {{110, true}}},
        {"a click close to a chunk cannot tell", stale().programma(2).reply(4, 96), {{92, false}}},
        {"U just before a click may count after it",
         Script{}.sent(0, Bytes(8, 0x55)).programma(2).reply(4, 96),
         {{84, false}, {92, false}}},
        {"a hang-up loses the first half", halves(10).note(43, "hangup 100"), {}},
        {"an image and then an acknowledgement",
         Script{}.reply(0, 96, 0x00).programma(120).reply(122, 96),
         {{88 + 122, true}}},
        {"Leggi keeps the buffer", stale().event(10, "clicked", "Command4").reply(20, 96), {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(expected(row.script), row.acknowledgements) << row.name;
}

TEST(JudgeSoak, EveryCertainAcknowledgementNeedsProgrammatoInTime) {
    Script script;
    script.programma(0).reply(2, 96).event(91, "programmed"); // ends at 90, shown in time
    script.programma(1000).reply(1002, 96).event(1090 + kShownWithinMs + 1, "programmed");
    script.sent(2000, {9}).programma(2002).reply(2004, 96); // uncertain, not shown
    const SoakJudgement judgement = judgeSoak(script.log, script.events, 3000);
    EXPECT_EQ(std::tie(judgement.certainAcknowledgements, judgement.uncertainAcknowledgements,
                       judgement.programmedShown),
              std::tuple(2, 1, 2));
    EXPECT_EQ(judgement.unshownAcknowledgements, std::vector<double>{1090});
    EXPECT_EQ(judgement.unexpectedProgrammed, std::vector<double>{1090 + kShownWithinMs + 1});
}

TEST(JudgeSoak, PollingMustComeBackAfterEachRecovery) {
    Script script;
    script.note(0, "open /dev/pts/1").received(50, {0x55}); // the first opening is no recovery
    script.note(100, "silent on").received(200, {0x55}).note(450, "silent off");
    script.received(600, {0x55});
    script.note(700, "hangup 500").note(1200, "open /dev/pts/4").received(1900, {0x55});
    script.note(2000, "short 0").note(2050, "gap 0").note(2100, "garbage off");
    script.note(2150, "noack off").received(2300, {0x55});
    script.note(5000, "gap 0");       // nothing after it, with time left
    script.note(9500, "garbage off"); // nothing after it, but the run ended
    const SoakJudgement judgement = judgeSoak(script.log, {}, 10000);
    EXPECT_EQ(judgement.recoveries, 8);
    EXPECT_EQ(judgement.resumeDelays, (std::vector<double>{150, 700, 300, 250, 200, 150}));
    EXPECT_EQ(judgement.neverResumed, 1);
}

TEST(JudgeSoak, LinkIsShownDownWithinLimitOfTheUnitsLastByte) {
    Script script;
    script.event(0, "connected");
    script.note(1000, "silent on").reply(1010, 96).event(2500, "disconnected"); // in flight
    script.note(3000, "silent off").event(3100, "connected");
    script.note(4000, "silent on").event(5600, "disconnected").note(6000, "silent off");
    script.event(6100, "connected").note(7000, "silent on").note(7800, "silent off"); // short
    script.note(9000, "hangup 2000").event(9001, "disconnected").note(11000, "open /dev/pts/3");
    script.event(11300, "connected").note(12000, "silent on").event(12100, "disconnected");
    const SoakJudgement judgement = judgeSoak(script.log, script.events, 14000);
    EXPECT_EQ(judgement.quietSpellsJudged, 4);
    EXPECT_EQ(judgement.connectedTooLong, std::vector<double>{4000});
}

TEST(MemoryDrift, MeasuredFromTheFirstSampleAfterTheBaselineMoment) {
    const std::vector<std::pair<double, long>> samples{{0, 10000},      {30000, 20000},
                                                       {60000, 30000},  {90000, 30900},
                                                       {120000, 29500}, {150000, 30400}};
    const auto drift = memoryDrift(samples, 60000);
    ASSERT_TRUE(drift.has_value());
    EXPECT_EQ(std::tie(drift->baselineKb, drift->finalKb, drift->widestDriftKb),
              std::tuple(30000L, 30400L, 900L));
    EXPECT_FALSE(memoryDrift(samples, 200000).has_value());
}

} // namespace
} // namespace velmora::bench
