#pragma once

#include "protocol/config_image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

using Bytes = std::vector<std::uint8_t>;

// What one received chunk amounts to, decided from `RxBuffer` as it stands.
enum class ChunkKind {
    ConnectReply,    // "V" alone into an empty buffer: the answer to a poll
    Collecting,      // reply data, fewer than 96 bytes so far
    Acknowledgement, // 96 or more bytes, all "U": a programming frame was taken
    Image,           // 96 or more bytes otherwise: the first 96 are an image
};

struct ChunkOutcome {
    ChunkKind kind;
    Image image{}; // for ChunkKind::Image
};

// `RxBuffer` and the rules that read it. The serial link feeds every chunk here and
// performs the timer actions that the outcome calls for; a complete reply (connect,
// acknowledgement or image) leaves the buffer empty.
class ReplyAssembler {
public:
    ChunkOutcome append(std::span<const std::uint8_t> chunk);
    void clear() { buffer_.clear(); }
    const Bytes& buffer() const { return buffer_; }

private:
    Bytes buffer_;
};

} // namespace velmora
