#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

// The constants of the configuration image as the unit reads and writes it.
inline constexpr int kImageSize = 96;
inline constexpr int kFirstRangeByte = 33; // range k starts at image byte 33 + 4k
inline constexpr int kBytesPerRange = 4;   // minimum low, high, maximum low, high
inline constexpr std::uint8_t kMarker = 0x41;

// Frequencies travel as a synthesiser count in 12.5 kHz channels: N (low and high byte)
// and twice A, the remainder below 64 channels.
inline constexpr double kChannelWidth = 0.0125; // MHz
inline constexpr double kASpan = 64.0;
// The encoder picks the receive offset from the receive frequency, above 200 MHz
// subtracting 45, otherwise adding 21.4; the decoder picks it from the decoded transmit
// frequency, above 175 MHz adding 45, otherwise subtracting 21.4.
inline constexpr double kUhfReceiveOffset = 45.0; // MHz
inline constexpr double kVhfReceiveOffset = 21.4; // MHz
inline constexpr double kEncodeUhfAbove = 200.0;  // MHz, between the two bands
inline constexpr double kDecodeUhfAbove = 175.0;  // MHz, also chooses a reply's band
// Added to a decoded frequency so that its text, cut to 8 characters, keeps 4 decimals.
inline constexpr double kTextNudge = 0.00001;

// Range high bytes: a unit's reply carries only the low six bits; an imported image
// with a high byte of 128 or more leaves the signed 16-bit range.
inline constexpr int kDeviceRangeHighMask = 63;
inline constexpr int kImportRangeHighLimit = 128;

// The 96-byte configuration image. Image bytes are numbered 1 to 96 everywhere
// (frame offset n, file line n + 1, reply position n); use imageByte() to address
// them by that number.
using Image = std::array<std::uint8_t, kImageSize>;

inline std::uint8_t imageByte(const Image& image, int n) {
    return image[static_cast<std::size_t>(n - 1)];
}
inline std::uint8_t& imageByte(Image& image, int n) {
    return image[static_cast<std::size_t>(n - 1)];
}

} // namespace velmora
