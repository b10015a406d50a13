#include "harness/unit_log.h"

#include <charconv>
#include <cstdio>

namespace velmora::bench {
namespace {

std::optional<std::uint8_t> hexByte(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 2 || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace

std::optional<LogEntry> parseLogLine(std::string_view line) {
    LogEntry entry{};
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), entry.ms);
    if (error != std::errc{} || end == line.data() + line.size() || *end != ' ')
        return std::nullopt;
    line.remove_prefix(static_cast<std::size_t>(end - line.data()) + 1);
    const std::string_view word = line.substr(0, line.find(' '));
    const std::string_view rest =
        word.size() < line.size() ? line.substr(word.size() + 1) : std::string_view{};
    if (word == "note") {
        entry.kind = LogEntry::Kind::Note;
        entry.note = std::string(rest);
        return entry;
    }
    if (word != "rx" && word != "tx")
        return std::nullopt;
    entry.kind = word == "rx" ? LogEntry::Kind::Received : LogEntry::Kind::Sent;
    for (std::size_t at = 0; at < rest.size(); at += 3) {
        const auto byte = hexByte(rest.substr(at, 2));
        if (!byte || (at + 2 < rest.size() && rest[at + 2] != ' '))
            return std::nullopt;
        entry.bytes.push_back(*byte);
    }
    if (entry.bytes.empty())
        return std::nullopt;
    return entry;
}

std::vector<LogEntry> UnitLogReader::readNew() {
    std::vector<LogEntry> entries;
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file)
        return entries;
    std::fseek(file, offset_, SEEK_SET);
    char buffer[65536];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        offset_ += static_cast<long>(count);
        partial_.append(buffer, count);
    }
    std::fclose(file);
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        if (auto entry = parseLogLine(std::string_view(partial_).substr(start, end - start)))
            entries.push_back(std::move(*entry));
    }
    partial_.erase(0, start);
    return entries;
}

} // namespace velmora::bench
