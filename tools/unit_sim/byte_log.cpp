#include "unit_sim/byte_log.h"

#include <charconv>

namespace velmora::sim {

bool ByteLog::open(const std::string& path) {
    file_.reset(std::fopen(path.c_str(), "w"));
    return file_ != nullptr;
}

void ByteLog::note(double ms, std::string_view text) {
    line(ms, "note " + std::string(text));
}

void ByteLog::write(double ms, std::string_view direction, std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string rest(direction);
    for (const std::uint8_t byte : bytes) {
        rest += ' ';
        rest += kHex[byte >> 4];
        rest += kHex[byte & 0x0F];
    }
    line(ms, rest);
}

void ByteLog::line(double ms, const std::string& rest) {
    if (!file_) {
        return;
    }
    const std::string text = formatMilliseconds(ms) + ' ' + rest + '\n';
    std::fwrite(text.data(), 1, text.size(), file_.get());
    std::fflush(file_.get());
}

std::string formatMilliseconds(double ms) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, ms, std::chars_format::fixed, 3);
    return std::string(buffer, result.ptr);
}

} // namespace velmora::sim
