#include "unit_sim/reply_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace velmora::sim {
namespace {

struct HandedChunk {
    double ms;
    std::size_t size;
};

// The chunks of one 96-byte acknowledgement, the pacer woken exactly when it asks.
std::vector<HandedChunk> chunksOf(double chunkMs, int gapMs) {
    ReplyPacer pacer(chunkMs);
    FaultSwitches faults;
    faults.gapMs = gapMs;
    pacer.queue({ReplyKind::Acknowledgement, Bytes(96, 0x55)}, faults, 1000);
    std::vector<HandedChunk> chunks;
    while (const auto wake = pacer.nextWakeMs()) {
        const Bytes chunk = pacer.takeDue(*wake);
        if (!chunk.empty())
            chunks.push_back({*wake, chunk.size()});
    }
    return chunks;
}

// The silence a receiver sees is the longest time between two chunks: never shorter
// than the gap asked, whatever the chunk interval, and at most one chunk interval and a
// byte longer. Without a gap the chunks follow each other at the chunk interval.
TEST(ReplyPacer, GapIsASilenceOfAtLeastTheTimeAsked) {
    struct Row {
        double chunkMs;
        int gapMs;
    };
    const Row rows[] = {{8, 52}, {8, 30}, {8, 80}, {16, 52}, {1, 52}, {8, 0}, {3, 7}};
    for (const Row& row : rows) {
        const std::vector<HandedChunk> chunks = chunksOf(row.chunkMs, row.gapMs);
        std::size_t bytes = 0;
        double widest = 0;
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            bytes += chunks[i].size;
            if (i > 0)
                widest = std::max(widest, chunks[i].ms - chunks[i - 1].ms);
        }
        const double low = row.gapMs > 0 ? row.gapMs : row.chunkMs;
        EXPECT_EQ(bytes, 96u) << row.chunkMs << "/" << row.gapMs;
        EXPECT_GE(widest, low) << row.chunkMs << "/" << row.gapMs;
        EXPECT_LE(widest, low + row.chunkMs + ReplyPacer::kByteMs)
            << row.chunkMs << "/" << row.gapMs;
    }
}

} // namespace
} // namespace velmora::sim
