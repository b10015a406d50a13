#include "harness/log_measures.h"
#include "harness/statistics.h"
#include "harness/unit_log.h"

#include "log_script.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace velmora::bench {
namespace {

TEST(UnitLog, FollowsAGrowingFileAndSkipsBrokenLines) {
    // Both locale runs of this test go at once: each needs its own file.
    const auto path = std::filesystem::temp_directory_path() /
                      ("velmora-unit-log-test-" + std::to_string(::getpid()) + ".log");
    std::ofstream out(path, std::ios::trunc);
    UnitLogReader reader(path.string());
    EXPECT_TRUE(reader.readNew().empty());

    // The second line is still being written.
    out << "1234.567 rx AA 00 55\n2.000 tx 5" << std::flush;
    EXPECT_EQ(reader.readNew(), Script{}.received(1234.567, {0xAA, 0x00, 0x55}).log);

    out << "6\n12.000 tx\n12.000 tx 5656\n12.000 tx 5G\n12.000 xx 56\nsoon tx 56\n\n"
        << "2000.000 note hangup 800\n"
        << std::flush;
    EXPECT_EQ(reader.readNew(), Script{}.sent(2, {0x56}).note(2000, "hangup 800").log);
    EXPECT_TRUE(reader.readNew().empty());
    std::filesystem::remove(path);
}

TEST(PollArrivals, CountsPollsBetweenFramesOnlyAndTheirDistanceFromThePeriod) {
    Bytes fullOfU(98, 0x55);
    fullOfU.front() = 0xAA;
    const Bytes firstHalf(fullOfU.begin(), fullOfU.begin() + 40);
    const Bytes secondHalf(fullOfU.begin() + 40, fullOfU.end());
    Script script;
    script.received(0, {0x55}).sent(1, {0x56});
    script.received(200, {0x55}).received(250, fullOfU); // a frame of "U": none of them is a poll
    script.received(401, {0x55}).received(500, firstHalf).received(510, secondHalf);
    script.received(599.5, {0x55});
    script.received(600, {0xAA, 0x00}).note(601, "hangup 300"); // the unit forgets the half frame
    script.received(999.5, {0x55}).received(1200, {0x41});      // noise is no poll either
    const std::vector<double> polls = pollArrivals(script.log);
    EXPECT_EQ(polls, (std::vector<double>{0, 200, 401, 599.5, 999.5}));
    EXPECT_EQ(intervalErrors(polls, 200), (std::vector<double>{0, 1, 1.5, 200}));
    EXPECT_TRUE(intervalErrors({5}, 200).empty());
    // The latency figures run from the unit's last byte at or before the program's event.
    EXPECT_EQ(lastSentAtOrBefore(script.log, 1), 1);
    EXPECT_FALSE(lastSentAtOrBefore(script.log, 0.5).has_value());
}

// The figures' percentiles are ranks, never between two values.
TEST(Statistics, MedianAndNearestRankPercentile) {
    EXPECT_DOUBLE_EQ(median({4, 1, 3, 2}), 2.5);
    EXPECT_DOUBLE_EQ(percentile({4, 1, 3, 2}, 0.5), 2);
    EXPECT_DOUBLE_EQ(percentile({4, 1, 3, 2}, 0.99), 4);
    EXPECT_TRUE(std::isnan(median({})) && std::isnan(percentile({}, 0.99)));
}

} // namespace
} // namespace velmora::bench
