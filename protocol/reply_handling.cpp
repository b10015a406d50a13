#include "protocol/reply_handling.h"

#include "protocol/frames.h"

#include <algorithm>

namespace velmora {

ChunkOutcome ReplyAssembler::append(std::span<const std::uint8_t> chunk) {
    // Only a lone "V" into an idle buffer answers a poll; inside a reply it is data.
    if (buffer_.empty() && chunk.size() == 1 && chunk.front() == kConnectReply)
        return {ChunkKind::ConnectReply};
    buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
    if (buffer_.size() < static_cast<std::size_t>(kImageSize))
        return {ChunkKind::Collecting};
    // The acknowledgement test is made once, on the chunk that completes the reply.
    const bool acknowledgement = buffer_.size() == static_cast<std::size_t>(kImageSize) &&
                                 std::all_of(buffer_.begin(), buffer_.end(), [](std::uint8_t byte) {
                                     return byte == kAcknowledgeByte;
                                 });
    ChunkOutcome outcome{acknowledgement ? ChunkKind::Acknowledgement : ChunkKind::Image};
    if (!acknowledgement)
        std::copy_n(buffer_.begin(), kImageSize, outcome.image.begin());
    buffer_.clear();
    return outcome;
}

} // namespace velmora
