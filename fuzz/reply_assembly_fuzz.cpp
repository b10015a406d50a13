// Arbitrary chunk sequences through the reply assembly, against a plain model of the
// rules: a lone "V" into an empty buffer answers a poll; fewer than 96 bytes wait;
// 96 or more, all "U", acknowledge (two acknowledgements may run together); 96 or more
// otherwise are an image of the first 96.
//
// Input layout: a control byte, then that many bytes (modulo 128) as one chunk, and so
// on; the control byte 255 instead drops the collected bytes, as a reply that stopped
// arriving or a line error does.
#include "fuzz_check.h"
#include "protocol/frames.h"
#include "protocol/reply_handling.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

using velmora::Bytes;
using velmora::ChunkKind;

constexpr std::uint8_t kDropCollected = 255;
constexpr std::size_t kLongestChunk = 128;
constexpr std::size_t kReplySize = velmora::kImageSize;

void checkOutcome(const Bytes& before, std::span<const std::uint8_t> chunk,
                  const velmora::ChunkOutcome& outcome, const Bytes& after) {
    FUZZ_CHECK(after.size() < kReplySize);
    if (before.empty() && chunk.size() == 1 && chunk[0] == velmora::kConnectReply) {
        FUZZ_CHECK(outcome.kind == ChunkKind::ConnectReply);
        FUZZ_CHECK(after.empty());
        return;
    }
    Bytes joined = before;
    joined.insert(joined.end(), chunk.begin(), chunk.end());
    if (joined.size() < kReplySize) {
        FUZZ_CHECK(outcome.kind == ChunkKind::Collecting);
        FUZZ_CHECK(after == joined);
        return;
    }
    FUZZ_CHECK(after.empty());
    const bool allU = std::all_of(joined.begin(), joined.end(), [](std::uint8_t byte) {
        return byte == velmora::kAcknowledgeByte;
    });
    if (allU) {
        FUZZ_CHECK(outcome.kind == ChunkKind::Acknowledgement);
        return;
    }
    FUZZ_CHECK(outcome.kind == ChunkKind::Image);
    FUZZ_CHECK(std::equal(outcome.image.begin(), outcome.image.end(), joined.begin()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::ReplyAssembler assembler;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t control = data[at++];
        if (control == kDropCollected) {
            assembler.clear();
            FUZZ_CHECK(assembler.buffer().empty());
            continue;
        }
        const std::size_t length = std::min<std::size_t>(control % kLongestChunk, size - at);
        const std::span<const std::uint8_t> chunk(data + at, length);
        at += length;
        const Bytes before = assembler.buffer();
        const velmora::ChunkOutcome outcome = assembler.append(chunk);
        checkOutcome(before, chunk, outcome, assembler.buffer());
    }
    return 0;
}
