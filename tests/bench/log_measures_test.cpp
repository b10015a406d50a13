#include "harness/log_measures.h"
#include "harness/statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora::bench {
namespace {

LogEntry rx(double ms, std::vector<std::uint8_t> bytes) {
    return {ms, LogEntry::Kind::Received, std::move(bytes), {}};
}
LogEntry tx(double ms, std::vector<std::uint8_t> bytes) {
    return {ms, LogEntry::Kind::Sent, std::move(bytes), {}};
}
LogEntry note(double ms, std::string text) {
    return {ms, LogEntry::Kind::Note, {}, std::move(text)};
}

std::vector<std::uint8_t> frame(std::uint8_t fill) {
    std::vector<std::uint8_t> bytes(98, fill);
    bytes.front() = 0xAA;
    bytes.back() = 0x55;
    return bytes;
}

TEST(PollArrivals, CountsPollsBetweenFramesOnly) {
    const std::vector<std::uint8_t> fullOfU = frame(0x55);
    const std::vector<std::uint8_t> firstHalf(fullOfU.begin(), fullOfU.begin() + 40);
    const std::vector<std::uint8_t> secondHalf(fullOfU.begin() + 40, fullOfU.end());
    const std::vector<LogEntry> log{
        rx(0, {0x55}),           tx(1, {0x56}),
        rx(200, {0x55}),         rx(250, fullOfU),   // a frame of "U": none of them is a poll
        rx(400, {0x55}),         rx(500, firstHalf), // a frame that arrives in two reads
        rx(510, secondHalf),     rx(600, {0xAA, 0x00}),
        note(601, "hangup 300"),                   // the unit forgets the half frame
        rx(1000, {0x55}),        rx(1200, {0x41}), // noise is no poll either
    };
    EXPECT_EQ(pollArrivals(log), (std::vector<double>{0, 200, 400, 1000}));
}

TEST(IntervalErrors, DistanceOfEachIntervalFromThePeriod) {
    EXPECT_EQ(intervalErrors({0, 200, 401, 599.5, 1000}, 200),
              (std::vector<double>{0, 1, 1.5, 200.5}));
    EXPECT_TRUE(intervalErrors({5}, 200).empty());
}

TEST(LastSent, LatestChunkAtOrBeforeAMoment) {
    const std::vector<LogEntry> log{tx(10, {1}), rx(20, {2}), tx(30, {3}), note(40, "x")};
    EXPECT_EQ(lastSentAtOrBefore(log, 35), 30);
    EXPECT_EQ(lastSentAtOrBefore(log, 30), 30);
    EXPECT_EQ(lastSentAtOrBefore(log, 29.9), 10);
    EXPECT_FALSE(lastSentAtOrBefore(log, 5).has_value());
}

TEST(Recoveries, FaultEndsAndLinesOpenedAgain) {
    const std::vector<LogEntry> log{
        note(0, "open /dev/pts/1"), // the first opening is no recovery
        note(100, "silent on"),        note(500, "silent off"),   note(600, "short 40"),
        note(900, "short 0"),          note(1000, "gap 300"),     note(1400, "gap 0"),
        note(1500, "garbage on"),      note(1800, "garbage off"), note(2000, "noack on"),
        note(2100, "noack off"),       note(2500, "hangup 700"),  note(2500, "hangup"),
        note(3200, "open /dev/pts/2"),
    };
    EXPECT_EQ(recoveryMoments(log), (std::vector<double>{500, 900, 1400, 1800, 2100, 3200}));
}

TEST(Recoveries, DelayToTheNextPoll) {
    const std::vector<LogEntry> log{
        rx(0, {0x55}),
        note(100, "silent on"),
        rx(200, {0x55}),
        note(450, "silent off"),
        rx(600, {0x55}),
        note(700, "hangup 500"),
        note(1200, "open /dev/pts/4"),
        rx(1900, {0x55}),
        note(2000, "gap 0"),
    };
    const auto delays = resumeDelays(log);
    ASSERT_EQ(delays.size(), 3u);
    EXPECT_EQ(delays[0], 150);
    EXPECT_EQ(delays[1], 700);
    EXPECT_FALSE(delays[2].has_value());
}

TEST(Statistics, MedianAndNearestRankPercentile) {
    struct Row {
        std::vector<double> values;
        double median;
        double p99;
        double p50;
    };
    const Row rows[] = {
        {{3}, 3, 3, 3},
        {{4, 1, 3, 2}, 2.5, 4, 2},
        {{5, 1, 4, 2, 3}, 3, 5, 3},
    };
    for (const Row& row : rows) {
        EXPECT_DOUBLE_EQ(median(row.values), row.median);
        EXPECT_DOUBLE_EQ(percentile(row.values, 0.99), row.p99);
        EXPECT_DOUBLE_EQ(percentile(row.values, 0.5), row.p50);
    }
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    EXPECT_DOUBLE_EQ(percentile(hundred, 0.99), 99);
    EXPECT_DOUBLE_EQ(percentile(hundred, 1.0), 100);
    EXPECT_TRUE(std::isnan(median({})));
    EXPECT_TRUE(std::isnan(percentile({}, 0.99)));

    const Spread spread = spreadOf({2, 9, 4});
    EXPECT_DOUBLE_EQ(spread.median, 4);
    EXPECT_DOUBLE_EQ(spread.low, 2);
    EXPECT_DOUBLE_EQ(spread.high, 9);
}

} // namespace
} // namespace velmora::bench
