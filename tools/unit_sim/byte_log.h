#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace velmora::sim {

// One line per chunk read from or written to the line, flushed at once so that a test
// can follow it while the unit runs:
//   "1234.567 rx AA 00 55"   "1234.890 tx 56"   "2000.000 note hangup"
// The time is monotonic milliseconds with microseconds.
class ByteLog {
public:
    bool open(const std::string& path);
    void received(double ms, std::span<const std::uint8_t> bytes) { write(ms, "rx", bytes); }
    void sent(double ms, std::span<const std::uint8_t> bytes) { write(ms, "tx", bytes); }
    void note(double ms, std::string_view text);

private:
    void write(double ms, std::string_view direction, std::span<const std::uint8_t> bytes);
    void line(double ms, const std::string& rest);

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

// Milliseconds as "1234.567", whatever the locale.
std::string formatMilliseconds(double ms);

} // namespace velmora::sim
