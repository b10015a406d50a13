#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "unit_sim/unit_behaviour.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace velmora;
using namespace velmora::sim;

namespace {

Image countingImage() {
    Image image{};
    std::iota(image.begin(), image.end(), std::uint8_t{1});
    return image;
}

// Feeds the bytes one by one and collects every reply.
std::vector<UnitReply> feed(UnitBehaviour& unit, const sim::Bytes& bytes) {
    std::vector<UnitReply> replies;
    for (const std::uint8_t byte : bytes) {
        if (auto reply = unit.receive(byte)) {
            replies.push_back(*reply);
        }
    }
    return replies;
}

sim::Bytes framed(const Image& image) {
    const Frame frame = programmingFrame(image);
    return sim::Bytes(frame.begin(), frame.end());
}

} // namespace

TEST(UnitBehaviour, AnswersEachPollBetweenFrames) {
    UnitBehaviour unit(Image{});
    const auto replies = feed(unit, {0x55, 0x55, 0x41, 0x55});
    ASSERT_EQ(replies.size(), 3u);
    for (const auto& reply : replies) {
        EXPECT_EQ(reply.kind, ReplyKind::Connect);
        EXPECT_EQ(reply.bytes, sim::Bytes{0x56});
    }
}

TEST(UnitBehaviour, ReadRequestGetsTheStoredImage) {
    UnitBehaviour unit(countingImage());
    const Frame request = readRequest();
    const auto replies = feed(unit, sim::Bytes(request.begin(), request.end()));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].kind, ReplyKind::Image);
    const Image stored = countingImage();
    EXPECT_EQ(replies[0].bytes, sim::Bytes(stored.begin(), stored.end()));
}

// 0x55 bytes inside a frame, the last one included, are frame bytes, not polls.
TEST(UnitBehaviour, ProgrammingFrameIsStoredAndAcknowledgedWhateverItHolds) {
    Image image{};
    image.fill(0x55);
    imageByte(image, 17) = 0x41;
    UnitBehaviour unit(countingImage());
    const auto replies = feed(unit, framed(image));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].kind, ReplyKind::Acknowledgement);
    EXPECT_EQ(replies[0].bytes, sim::Bytes(96, 0x55));
    EXPECT_EQ(unit.storedImage(), image);
    EXPECT_FALSE(unit.collectingFrame());
}

TEST(UnitBehaviour, FrameWithoutItsEndByteIsDropped) {
    UnitBehaviour unit(countingImage());
    sim::Bytes frame = framed(Image{1, 2, 3});
    frame.back() = 0x00;
    EXPECT_TRUE(feed(unit, frame).empty());
    EXPECT_EQ(unit.storedImage(), countingImage());
    EXPECT_EQ(feed(unit, {0x55}).size(), 1u); // back to answering polls
}

TEST(UnitBehaviour, HangUpLosesAHalfReceivedFrame) {
    UnitBehaviour unit(countingImage());
    const sim::Bytes frame = framed(Image{9});
    feed(unit, sim::Bytes(frame.begin(), frame.begin() + 40));
    EXPECT_TRUE(unit.collectingFrame());
    unit.forgetPartialFrame();
    EXPECT_EQ(feed(unit, {0x55})[0].kind, ReplyKind::Connect);
}
