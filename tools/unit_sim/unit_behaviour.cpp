#include "unit_sim/unit_behaviour.h"

#include "protocol/byte_map.h"
#include "protocol/frames.h"

#include <algorithm>

namespace velmora::sim {

UnitBehaviour::UnitBehaviour(const Image& stored) : stored_(stored) {}

std::optional<UnitReply> UnitBehaviour::receive(std::uint8_t byte) {
    if (frame_.empty()) {
        if (byte == kPollByte) {
            return UnitReply{ReplyKind::Connect, Bytes{kConnectReply}};
        }
        if (byte == kFrameStart) {
            frame_.push_back(byte);
        }
        return std::nullopt;
    }
    frame_.push_back(byte);
    if (frame_.size() < static_cast<std::size_t>(kFrameSize)) {
        return std::nullopt;
    }
    return frameComplete();
}

std::optional<UnitReply> UnitBehaviour::frameComplete() {
    const Bytes frame = std::move(frame_);
    frame_.clear();
    if (frame.back() != kFrameEnd) {
        return std::nullopt;
    }
    const auto payloadBegin = frame.begin() + 1;
    const auto payloadEnd = frame.end() - 1;
    if (std::all_of(payloadBegin, payloadEnd, [](std::uint8_t b) { return b == 0; })) {
        return UnitReply{ReplyKind::Image, Bytes(stored_.begin(), stored_.end())};
    }
    std::copy(payloadBegin, payloadEnd, stored_.begin());
    return UnitReply{ReplyKind::Acknowledgement, Bytes(kImageSize, kAcknowledgeByte)};
}

void UnitBehaviour::spoilStoredImage() {
    // The units digit of the peripheral number, its last byte.
    const auto field = std::find_if(kImageFields.begin(), kImageFields.end(), [](const auto& f) {
        return f.encoding == Encoding::PeripheralDigits;
    });
    std::uint8_t& units = imageByte(stored_, field->bytes[3]);
    units = static_cast<std::uint8_t>((units + 1) % 10);
}

} // namespace velmora::sim
