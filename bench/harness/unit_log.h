#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::bench {

// One line of the simulated unit's log: "1234.567 rx AA 00 55", "1234.890 tx 56",
// "2000.000 note hangup".
struct LogEntry {
    enum class Kind { Received, Sent, Note };
    double ms;
    Kind kind;
    std::vector<std::uint8_t> bytes; // received or sent
    std::string note;
};

std::optional<LogEntry> parseLogLine(std::string_view line);

// Follows the log file while the unit writes it: each call returns the entries of the
// lines completed since the last one.
class UnitLogReader {
public:
    explicit UnitLogReader(std::string path) : path_(std::move(path)) {}
    std::vector<LogEntry> readNew();

private:
    std::string path_;
    long offset_ = 0;
    std::string partial_;
};

} // namespace velmora::bench
