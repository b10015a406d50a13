#include "harness/log_measures.h"
#include "harness/statistics.h"

#include "log_script.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora::bench {
namespace {

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
}

// The latency figures run from the unit's last byte before the program's event.
TEST(LastSent, LatestChunkAtOrBeforeAMoment) {
    const Script script = Script{}.sent(10, {1}).received(20, {2}).sent(30, {3}).note(40, "x");
    EXPECT_EQ(lastSentAtOrBefore(script.log, 30), 30);
    EXPECT_EQ(lastSentAtOrBefore(script.log, 29.9), 10);
    EXPECT_FALSE(lastSentAtOrBefore(script.log, 5).has_value());
}

TEST(Statistics, MedianAndNearestRankPercentile) {
    EXPECT_DOUBLE_EQ(median({5, 1, 4, 2, 3}), 3);
    EXPECT_DOUBLE_EQ(median({4, 1, 3, 2}), 2.5);
    EXPECT_DOUBLE_EQ(percentile({4, 1, 3, 2}, 0.5), 2); // a rank, never between two values
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    EXPECT_DOUBLE_EQ(percentile(hundred, 0.99), 99);
    EXPECT_DOUBLE_EQ(percentile(hundred, 1.0), 100);
    EXPECT_TRUE(std::isnan(median({})) && std::isnan(percentile({}, 0.99)));
    const Spread spread = spreadOf({2, 9, 4});
    EXPECT_EQ(std::tie(spread.median, spread.low, spread.high), std::tuple(4.0, 2.0, 9.0));
}

} // namespace
} // namespace velmora::bench
