#pragma once

#include "protocol/config_image.h"

#include <array>
#include <cstdint>

namespace velmora {

inline constexpr int kFrameSize = 98;
inline constexpr std::uint8_t kFrameStart = 0xAA;
inline constexpr std::uint8_t kFrameEnd = 0x55;
inline constexpr std::uint8_t kPollByte = 0x55;        // "U"
inline constexpr std::uint8_t kConnectReply = 0x56;    // "V"
inline constexpr std::uint8_t kAcknowledgeByte = 0x55; // 96 of them acknowledge a frame

// 0xAA, the 96 image bytes, 0x55: no length, no checksum, no escaping.
using Frame = std::array<std::uint8_t, kFrameSize>;

Frame programmingFrame(const Image& image);
// The same shape with 96 zero bytes; never equal to a programming frame, whose
// markers are 0x41.
Frame readRequest();
// Image bytes 1 to 96 of a frame (offsets 1 to 96).
Image imageOfFrame(const Frame& frame);

} // namespace velmora
