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
    // Nothing but "U" is an acknowledgement however many came: two quick programmings
    // run their acknowledgements together, and no image of 96 "U" decodes (its tone
    // byte would be 85).
    const bool acknowledgement = std::all_of(
        buffer_.begin(), buffer_.end(), [](std::uint8_t byte) { return byte == kAcknowledgeByte; });
    ChunkOutcome outcome{acknowledgement ? ChunkKind::Acknowledgement : ChunkKind::Image};
    if (!acknowledgement)
        std::copy_n(buffer_.begin(), kImageSize, outcome.image.begin());
    buffer_.clear();
    return outcome;
}

} // namespace velmora
