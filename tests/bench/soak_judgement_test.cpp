#include "soak/soak_judgement.h"

#include <gtest/gtest.h>

namespace velmora::bench {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Script {
    std::vector<LogEntry> log;
    std::vector<ProgramEvent> events;

    Script& sent(double ms, Bytes bytes) {
        log.push_back({ms, LogEntry::Kind::Sent, std::move(bytes), {}});
        return *this;
    }
    Script& received(double ms, Bytes bytes) {
        log.push_back({ms, LogEntry::Kind::Received, std::move(bytes), {}});
        return *this;
    }
    Script& note(double ms, std::string text) {
        log.push_back({ms, LogEntry::Kind::Note, {}, std::move(text)});
        return *this;
    }
    // `count` bytes of `value` in chunks of 8, one every 8 ms, as the unit paces a reply.
    Script& reply(double ms, std::size_t count, std::uint8_t value = 0x55, double stepMs = 8) {
        for (std::size_t done = 0; done < count; done += 8, ms += stepMs)
            sent(ms, Bytes(std::min<std::size_t>(8, count - done), value));
        return *this;
    }
    Script& event(double ms, std::string what, std::string detail = {}) {
        events.push_back({ms, std::move(what), std::move(detail)});
        return *this;
    }
    Script& programma(double ms) { return event(ms, "clicked", "Command1"); }
};

std::vector<std::pair<double, bool>> expected(const Script& script) {
    std::vector<std::pair<double, bool>> result;
    for (const ExpectedAcknowledgement& ack : expectedAcknowledgements(script.log, script.events))
        result.emplace_back(ack.ms, ack.certain);
    return result;
}

using Expected = std::vector<std::pair<double, bool>>;

TEST(ExpectedAcknowledgements, ReplaysTheReceiveBuffer) {
    struct Row {
        const char* name;
        Script script;
        Expected acknowledgements;
    };
    const Row rows[] = {
        {"96 U after a click", Script{}.programma(0).reply(2, 96), {{90, true}}},
        {"without a click on a quiet line", Script{}.reply(2, 96), {{90, true}}},
        {"a lone V first answers a poll",
         Script{}.programma(0).sent(1, {0x56}).reply(9, 96),
         {{97, true}}},
        {"a V in the same chunk is data",
         Script{}.programma(0).sent(1, {0x56, 0x55}).reply(9, 95),
         {}},
        {"97 U at once are an image", Script{}.programma(0).sent(2, Bytes(97, 0x55)), {}},
        {"a 97th U in the next chunk comes too late to matter",
         Script{}.programma(0).reply(2, 97),
         {{90, true}}},
        {"a gap over 50 ms drops the first part",
         Script{}.programma(0).reply(2, 48).reply(2 + 5 * 8 + 60, 48),
         {}},
        {"a gap under 50 ms keeps it",
         Script{}.programma(0).reply(2, 48).reply(2 + 5 * 8 + 30, 48),
         {{112, true}}},
        {"a gap of about 50 ms cannot tell",
         Script{}.programma(0).reply(2, 48).reply(2 + 5 * 8 + 50, 48),
         {{132, false}}},
        {"stale bytes without a click spoil it", Script{}.sent(0, {1, 2}).reply(20, 96), {}},
        {"a click empties stale bytes",
         Script{}.sent(0, {1, 2}).programma(20).reply(22, 96),
         {{110, true}}},
        {"a click just after a chunk cannot tell",
         Script{}.sent(0, {1, 2}).programma(2).reply(4, 96),
         {{92, false}}},
        {"a second click within the reply empties it",
         Script{}.programma(0).reply(2, 48).programma(45).reply(50, 48),
         {}},
        {"a hang-up loses the first part",
         Script{}.programma(0).reply(2, 48).note(43, "hangup 100").reply(50, 48),
         {}},
        {"an image and then an acknowledgement",
         Script{}.reply(0, 96, 0x00).programma(120).reply(122, 96),
         {{88 + 122, true}}},
        {"a Leggi click keeps the buffer",
         Script{}.sent(0, {1}).event(10, "clicked", "Command4").reply(20, 96),
         {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(expected(row.script), row.acknowledgements) << row.name;
}

TEST(JudgeSoak, EveryCertainAcknowledgementNeedsProgrammato) {
    Script script;
    script.programma(0).reply(2, 96);                         // ends at 90, shown at 91
    script.programma(1000).reply(1002, 96);                   // ends at 1090, never shown
    script.sent(2000, {9}).programma(2002).reply(2004, 96);   // uncertain, not shown
    script.event(91, "programmed").event(1500, "programmed"); // the second is unfounded
    const SoakJudgement judgement = judgeSoak(script.log, script.events, 3000);
    EXPECT_EQ(judgement.certainAcknowledgements, 2);
    EXPECT_EQ(judgement.uncertainAcknowledgements, 1);
    EXPECT_EQ(judgement.unshownAcknowledgements, std::vector<double>{1090});
    EXPECT_EQ(judgement.programmedShown, 2);
    EXPECT_EQ(judgement.unexpectedProgrammed, std::vector<double>{1500});
}

TEST(JudgeSoak, ProgrammatoTooLateIsNotShown) {
    Script script;
    script.programma(0).reply(2, 96).event(90 + kShownWithinMs + 1, "programmed");
    const SoakJudgement judgement = judgeSoak(script.log, script.events, 1000);
    EXPECT_EQ(judgement.unshownAcknowledgements, std::vector<double>{90});
    EXPECT_EQ(judgement.unexpectedProgrammed.size(), 1u);
}

TEST(JudgeSoak, PollingMustComeBackAfterEachRecovery) {
    Script script;
    script.note(0, "silent on").note(500, "silent off").received(650, {0x55});
    script.note(1000, "hangup 300").note(1300, "open /dev/pts/2").received(2400, {0x55});
    script.note(3000, "gap 0");       // nothing after it, with time left
    script.note(9500, "garbage off"); // nothing after it, but the run ended
    const SoakJudgement judgement = judgeSoak(script.log, {}, 10000);
    EXPECT_EQ(judgement.recoveries, 4);
    EXPECT_EQ(judgement.resumeDelays, (std::vector<double>{150, 1100}));
    EXPECT_EQ(judgement.neverResumed, 1);
}

TEST(MemoryDrift, MeasuredFromTheFirstSampleAfterTheBaselineMoment) {
    const std::vector<std::pair<double, long>> samples{{0, 10000},      {30000, 20000},
                                                       {60000, 30000},  {90000, 30900},
                                                       {120000, 29500}, {150000, 30400}};
    const auto drift = memoryDrift(samples, 60000);
    ASSERT_TRUE(drift.has_value());
    EXPECT_EQ(drift->baselineKb, 30000);
    EXPECT_EQ(drift->finalKb, 30400);
    EXPECT_EQ(drift->widestDriftKb, 900);
    EXPECT_FALSE(memoryDrift(samples, 200000).has_value());
}

} // namespace
} // namespace velmora::bench
