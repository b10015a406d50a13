#include "unit_sim/reply_pacer.h"

#include <gtest/gtest.h>

using namespace velmora::sim;

namespace {

UnitReply longReply(std::uint8_t value = 0x55, ReplyKind kind = ReplyKind::Acknowledgement) {
    return {kind, Bytes(96, value)};
}

struct Delivery {
    double atMs;
    std::size_t count;
};

// Steps the clock in 0.1 ms and records every chunk handed over.
std::vector<Delivery> drain(ReplyPacer& pacer, double fromMs, double untilMs) {
    std::vector<Delivery> deliveries;
    for (double now = fromMs; now <= untilMs; now += 0.1) {
        const Bytes chunk = pacer.takeDue(now);
        if (!chunk.empty()) {
            deliveries.push_back({now, chunk.size()});
        }
    }
    return deliveries;
}

std::size_t total(const std::vector<Delivery>& deliveries) {
    std::size_t sum = 0;
    for (const auto& delivery : deliveries) {
        sum += delivery.count;
    }
    return sum;
}

double longestPause(const std::vector<Delivery>& deliveries) {
    double longest = 0;
    for (std::size_t i = 1; i < deliveries.size(); ++i) {
        longest = std::max(longest, deliveries[i].atMs - deliveries[i - 1].atMs);
    }
    return longest;
}

} // namespace

TEST(ReplyPacer, ConnectReplyLeavesAfterOneByteTime) {
    ReplyPacer pacer(8.0);
    pacer.queue({ReplyKind::Connect, {0x56}}, {}, 100.0);
    EXPECT_TRUE(pacer.takeDue(101.0).empty());
    ASSERT_TRUE(pacer.nextWakeMs());
    EXPECT_NEAR(*pacer.nextWakeMs(), 100.0 + ReplyPacer::kByteMs, 1e-9);
    EXPECT_EQ(pacer.takeDue(101.05), Bytes{0x56});
    EXPECT_FALSE(pacer.nextWakeMs());
}

TEST(ReplyPacer, LongReplyTakesTheLineTimeInChunks) {
    ReplyPacer pacer(8.0);
    pacer.queue(longReply(), {}, 0.0);
    const auto deliveries = drain(pacer, 0.0, 300.0);
    EXPECT_EQ(total(deliveries), 96u);
    EXPECT_NEAR(deliveries.back().atMs, 96 * ReplyPacer::kByteMs, 8.1);
    EXPECT_GE(deliveries.size(), 10u);
    EXPECT_LE(deliveries.size(), 14u);
    EXPECT_LT(longestPause(deliveries), 50.0);
}

struct FaultCase {
    const char* name;
    FaultSwitches faults;
    UnitReply reply;
    std::size_t delivered;
    bool longPause;
};

class ReplyPacerFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(ReplyPacerFaults, ShapeTheReply) {
    const FaultCase& fault = GetParam();
    ReplyPacer pacer(8.0);
    pacer.queue(fault.reply, fault.faults, 0.0);
    const auto deliveries = drain(pacer, 0.0, 400.0);
    EXPECT_EQ(total(deliveries), fault.delivered);
    EXPECT_EQ(longestPause(deliveries) > 50.0, fault.longPause);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ReplyPacerFaults,
    testing::Values(
        FaultCase{"none", {}, longReply(), 96, false},
        FaultCase{"silent", {.silent = true}, {ReplyKind::Connect, {0x56}}, 0, false},
        FaultCase{"noack", {.noAcknowledgement = true}, longReply(), 0, false},
        FaultCase{"noack_keeps_images",
                  {.noAcknowledgement = true},
                  longReply(7, ReplyKind::Image),
                  96,
                  false},
        FaultCase{"short", {.shortReplyBytes = 40}, longReply(), 40, false},
        FaultCase{
            "short_spares_connect", {.shortReplyBytes = 1}, {ReplyKind::Connect, {0x56}}, 1, false},
        FaultCase{"gap", {.gapMs = 60}, longReply(), 96, true},
        FaultCase{"gap_spares_connect", {.gapMs = 60}, {ReplyKind::Connect, {0x56}}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyPacer, GarbageReplacesEveryByte) {
    ReplyPacer pacer(8.0);
    pacer.queue(longReply(0x55), {.garbage = true}, 0.0);
    Bytes all;
    for (double now = 0; now < 300; now += 1) {
        const Bytes chunk = pacer.takeDue(now);
        all.insert(all.end(), chunk.begin(), chunk.end());
    }
    ASSERT_EQ(all.size(), 96u);
    EXPECT_NE(all, Bytes(96, 0x55));
}

TEST(ReplyPacer, RepliesQueueBehindEachOther) {
    ReplyPacer pacer(1.0);
    pacer.queue(longReply(), {}, 0.0);
    pacer.queue({ReplyKind::Connect, {0x56}}, {}, 1.0);
    const auto deliveries = drain(pacer, 0.0, 200.0);
    EXPECT_EQ(total(deliveries), 97u);
    EXPECT_NEAR(deliveries.back().atMs, 97 * ReplyPacer::kByteMs, 1.1);
}

TEST(ReplyPacer, ClearForgetsWhatWaits) {
    ReplyPacer pacer(8.0);
    pacer.queue(longReply(), {}, 0.0);
    pacer.clear();
    EXPECT_FALSE(pacer.nextWakeMs());
    EXPECT_TRUE(pacer.takeDue(500.0).empty());
}
