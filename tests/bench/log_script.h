#pragma once

#include "harness/program_events.h"
#include "harness/unit_log.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace velmora::bench {

using Bytes = std::vector<std::uint8_t>;

inline bool operator==(const LogEntry& a, const LogEntry& b) {
    return std::tie(a.ms, a.kind, a.bytes, a.note) == std::tie(b.ms, b.kind, b.bytes, b.note);
}

// A run written by hand: the unit's log ("sent" is what the unit wrote, "received"
// what it read) and the program's events.
struct Script {
    std::vector<LogEntry> log;
    std::vector<ProgramEvent> events;

    Script& sent(double ms, Bytes bytes) {
        log.push_back({ms, LogEntry::Kind::Sent, std::move(bytes), {}});
        return *this;
    }
    Script& received(double ms, Bytes bytes) {
        log.push_back({ms, LogEntry::Kind::Received, std::move(bytes), {}});
        return *this;
    }
    Script& note(double ms, std::string text) {
        log.push_back({ms, LogEntry::Kind::Note, {}, std::move(text)});
        return *this;
    }
    // `count` bytes of `value` in chunks of 8, one every 8 ms, as the unit paces a reply.
    Script& reply(double ms, std::size_t count, std::uint8_t value = 0x55) {
        for (std::size_t done = 0; done < count; done += 8, ms += 8)
            sent(ms, Bytes(std::min<std::size_t>(8, count - done), value));
        return *this;
    }
    Script& event(double ms, std::string what, std::string detail = {}) {
        events.push_back({ms, std::move(what), std::move(detail)});
        return *this;
    }
    Script& programma(double ms) { return event(ms, "clicked", "Command1"); }
};

} // namespace velmora::bench
