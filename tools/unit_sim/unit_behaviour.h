#pragma once

#include "protocol/config_image.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora::sim {

using Bytes = std::vector<std::uint8_t>;

enum class ReplyKind { Connect, Acknowledgement, Image };

struct UnitReply {
    ReplyKind kind;
    Bytes bytes;
};

// What the unit does with the bytes it receives. A poll "U" seen between frames is
// answered with "V"; a 0xAA starts a frame that is collected for 98 bytes whatever they
// hold, so a 0x55 inside a frame is never taken for a poll. A frame ending in 0x55 with
// an all-zero payload is a read request (answered with the stored image); any other
// such frame is stored and acknowledged with 96 "U". A frame without its end byte is
// dropped unanswered.
class UnitBehaviour {
public:
    explicit UnitBehaviour(const Image& stored);

    std::optional<UnitReply> receive(std::uint8_t byte);
    const Image& storedImage() const { return stored_; }
    bool collectingFrame() const { return !frame_.empty(); }
    // A hang-up loses a half-received frame.
    void forgetPartialFrame() { frame_.clear(); }
    // A faulty unit: the units digit of the stored peripheral number moves on by one,
    // whatever was acknowledged.
    void spoilStoredImage();

private:
    std::optional<UnitReply> frameComplete();

    Image stored_;
    Bytes frame_;
};

} // namespace velmora::sim
