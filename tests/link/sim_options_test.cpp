#include "unit_sim/byte_log.h"
#include "unit_sim/fault_switches.h"
#include "unit_sim/sim_options.h"

#include <gtest/gtest.h>

using namespace velmora::sim;

TEST(SimOptions, FlagsSetTheFaultsAndPaths) {
    const auto parsed = parseOptions({"--link", "/tmp/com1", "--log", "l.txt", "--image", "a.prg",
                                      "--short", "40", "--gap", "70", "--no-ack", "--silent",
                                      "--garbage", "--chunk-ms", "4", "--hangup", "500:2000"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SimOptions& options = *parsed.options;
    EXPECT_EQ(options.linkPath, "/tmp/com1");
    EXPECT_EQ(options.logPath, "l.txt");
    EXPECT_EQ(options.imagePath, "a.prg");
    EXPECT_EQ(options.faults.shortReplyBytes, 40);
    EXPECT_EQ(options.faults.gapMs, 70);
    EXPECT_TRUE(options.faults.noAcknowledgement);
    EXPECT_TRUE(options.faults.silent);
    EXPECT_TRUE(options.faults.garbage);
    EXPECT_EQ(options.chunkMs, 4.0);
    ASSERT_TRUE(options.hangup);
    EXPECT_EQ(options.hangup->afterMs, 500);
    EXPECT_EQ(options.hangup->downMs, 2000);
}

TEST(SimOptions, BrokenCommandLinesAreRefused) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--short"},
                                                                       {"--short", "x"},
                                                                       {"--gap", "-5"},
                                                                       {"--hangup", "500"},
                                                                       {"--chunk-ms", "0"},
                                                                       {"--link"},
                                                                       {"--bogus", "1"},
                                                                       {"stray"}}) {
        EXPECT_FALSE(parseOptions(arguments).options) << arguments.front();
    }
}

struct ControlCase {
    const char* line;
    bool accepted;
    FaultSwitches after;
    int hangupMs; // -1: none asked for
};

class ControlLines : public testing::TestWithParam<ControlCase> {};

TEST_P(ControlLines, ChangeTheSwitches) {
    const ControlCase& c = GetParam();
    FaultSwitches faults{.silent = true, .shortReplyBytes = 10};
    const ControlOutcome outcome = applyControl(faults, c.line);
    EXPECT_EQ(outcome.accepted, c.accepted) << outcome.error;
    EXPECT_EQ(outcome.hangupMs.value_or(-1), c.hangupMs);
    EXPECT_EQ(faults.silent, c.after.silent);
    EXPECT_EQ(faults.noAcknowledgement, c.after.noAcknowledgement);
    EXPECT_EQ(faults.shortReplyBytes, c.after.shortReplyBytes);
    EXPECT_EQ(faults.gapMs, c.after.gapMs);
    EXPECT_EQ(faults.garbage, c.after.garbage);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ControlLines,
    testing::Values(
        ControlCase{"silent off\n", true, {.shortReplyBytes = 10}, -1},
        ControlCase{"noack on",
                    true,
                    {.silent = true, .noAcknowledgement = true, .shortReplyBytes = 10},
                    -1},
        ControlCase{"  short 0 ", true, {.silent = true}, -1},
        ControlCase{"gap 80", true, {.silent = true, .shortReplyBytes = 10, .gapMs = 80}, -1},
        ControlCase{"garbage", true, {.silent = true, .shortReplyBytes = 10, .garbage = true}, -1},
        ControlCase{"hangup 1500", true, {.silent = true, .shortReplyBytes = 10}, 1500},
        ControlCase{"silent maybe", false, {.silent = true, .shortReplyBytes = 10}, -1},
        ControlCase{"short 4x", false, {.silent = true, .shortReplyBytes = 10}, -1},
        ControlCase{"hangup", false, {.silent = true, .shortReplyBytes = 10}, -1},
        ControlCase{"reboot", false, {.silent = true, .shortReplyBytes = 10}, -1},
        ControlCase{"", false, {.silent = true, .shortReplyBytes = 10}, -1}));

TEST(ByteLog, TimesAreWrittenWithAPointWhateverTheLocale) {
    EXPECT_EQ(formatMilliseconds(1234.5678), "1234.568");
    EXPECT_EQ(formatMilliseconds(0.0), "0.000");
}
