#include "protocol/reply_handling.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace velmora {
namespace {

using Chunks = std::vector<Bytes>;

Bytes counting(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST(ReplyAssembler, ClassifiesChunksInArrivalOrder) {
    using K = ChunkKind;
    const Bytes ack(96, 0x55);
    Bytes withZero = ack;
    withZero.push_back(0x00);
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
        {"image in 30, 30, 36",
         {counting(30, 0), counting(30, 30), counting(36, 60)},
         {K::Collecting, K::Collecting, K::Image},
         0},
        {"acknowledgement", {ack}, {K::Acknowledgement}, 0},
        {"acknowledgement in chunks",
         {Bytes(50, 0x55), Bytes(46, 0x55)},
         {K::Collecting, K::Acknowledgement},
         0},
        {"97 U at once: two acknowledgements run together",
         {Bytes(97, 0x55)},
         {K::Acknowledgement},
         0},
        {"a double click's 192 U",
         {Bytes(90, 0x55), Bytes(16, 0x55), Bytes(86, 0x55)},
         {K::Collecting, K::Acknowledgement, K::Collecting},
         86},
        {"96 U and a zero in one chunk are an image", {withZero}, {K::Image}, 0},
        {"95 U and a V", {Bytes(95, 0x55), {0x56}}, {K::Collecting, K::Image}, 0},
        {"connect after a complete reply", {ack, {0x56}}, {K::Acknowledgement, K::ConnectReply}, 0},
        {"empty chunk", {{}}, {K::Collecting}, 0},
    };
    for (const Row& row : rows) {
        ReplyAssembler assembler;
        std::vector<ChunkKind> kinds;
        for (const Bytes& chunk : row.chunks)
            kinds.push_back(assembler.append(chunk).kind);
        EXPECT_EQ(kinds, row.kinds) << row.name;
        EXPECT_EQ(assembler.buffer().size(), row.bufferLeft) << row.name;
    }
}

} // namespace
} // namespace velmora
