#pragma once

#include "unit_sim/fault_switches.h"
#include "unit_sim/unit_behaviour.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace velmora::sim {

// Lets the replies out as a 9600 baud 8N1 line and a USB adapter would: one byte
// every 10 bit times (about 1.04 ms) after the line is free, handed over in chunks
// no closer together than the chunk interval. The fault switches shape each reply as
// it is queued; a gap is a silence of at least the time asked between the chunk that
// ends the first half of a reply and the one that starts the second. Times are
// monotonic milliseconds.
class ReplyPacer {
public:
    static constexpr double kByteMs = 10.0 / 9.6;

    explicit ReplyPacer(double chunkMs);

    void queue(const UnitReply& reply, const FaultSwitches& faults, double nowMs);
    // The bytes whose time has come, when a chunk may be handed over now.
    Bytes takeDue(double nowMs);
    // When the next chunk should be handed over; none while nothing waits.
    std::optional<double> nextWakeMs() const;
    void clear();

private:
    struct PacedByte {
        double dueMs;
        std::uint8_t value;
        double silenceBeforeMs = 0; // after the handover of the bytes before it
    };

    // Holds everything still waiting back so that the silence owed to the next byte
    // runs from `handedOverMs`.
    void keepSilenceAfter(double handedOverMs);
    std::uint8_t garbageByte();

    double chunkMs_;
    std::deque<PacedByte> pending_;
    double lineFreeMs_ = 0;
    std::optional<double> lastChunkMs_;
    std::uint32_t garbageState_ = 0x2545F491u;
};

} // namespace velmora::sim
