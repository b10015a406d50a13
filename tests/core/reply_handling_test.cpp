#include "protocol/reply_handling.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using Chunks = std::vector<Bytes>;

Bytes repeated(std::size_t count, std::uint8_t byte) {
    return Bytes(count, byte);
}

Bytes counting(std::size_t count, std::uint8_t first) {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    return bytes;
}

std::vector<ChunkKind> kinds(ReplyAssembler& assembler, const Chunks& chunks) {
    std::vector<ChunkKind> result;
    for (const Bytes& chunk : chunks)
        result.push_back(assembler.append(chunk).kind);
    return result;
}

TEST(ReplyAssembler, ClassifiesChunksInArrivalOrder) {
    using K = ChunkKind;
    struct Row {
        const char* name;
        Chunks chunks;
        std::vector<ChunkKind> kinds;
        std::size_t bufferLeft;
    };
    const Row rows[] = {
        {"poll answer", {{0x56}}, {K::ConnectReply}, 0},
        {"two V are data", {{0x56, 0x56}}, {K::Collecting}, 2},
        {"V inside a reply is data", {{0x01}, {0x56}}, {K::Collecting, K::Collecting}, 2},
        {"image in three chunks",
         {counting(30, 0), counting(30, 30), counting(36, 60)},
         {K::Collecting, K::Collecting, K::Image},
         0},
        {"acknowledgement", {repeated(96, 0x55)}, {K::Acknowledgement}, 0},
        {"acknowledgement in chunks",
         {repeated(50, 0x55), repeated(46, 0x55)},
         {K::Collecting, K::Acknowledgement},
         0},
        {"acknowledgement and one more byte", {repeated(97, 0x55)}, {K::Image}, 0},
        {"95 U and a V", {repeated(95, 0x55), {0x56}}, {K::Collecting, K::Image}, 0},
        {"connect after a complete reply",
         {repeated(96, 0x55), {0x56}},
         {K::Acknowledgement, K::ConnectReply},
         0},
        {"empty chunk", {{}}, {K::Collecting}, 0},
    };
    for (const Row& row : rows) {
        ReplyAssembler assembler;
        EXPECT_EQ(kinds(assembler, row.chunks), row.kinds) << row.name;
        EXPECT_EQ(assembler.buffer().size(), row.bufferLeft) << row.name;
    }
}

TEST(ReplyAssembler, ImageIsTheFirst96BytesInOrder) {
    ReplyAssembler assembler;
    assembler.append(counting(30, 0));
    assembler.append(counting(30, 30));
    const ChunkOutcome outcome = assembler.append(counting(40, 60));
    ASSERT_EQ(outcome.kind, ChunkKind::Image);
    for (int n = 1; n <= kImageSize; ++n)
        EXPECT_EQ(imageByte(outcome.image, n), n - 1) << n;
    EXPECT_TRUE(assembler.buffer().empty());
}

TEST(ReplyAssembler, ClearDropsAPartialReply) {
    ReplyAssembler assembler;
    assembler.append(counting(40, 0));
    assembler.clear();
    EXPECT_EQ(assembler.append(Bytes{0x56}).kind, ChunkKind::ConnectReply);
    EXPECT_EQ(assembler.append(counting(56, 0)).kind, ChunkKind::Collecting);
}

} // namespace
} // namespace velmora
