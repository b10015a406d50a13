#include "unit_sim/reply_pacer.h"

#include <algorithm>

namespace velmora::sim {

ReplyPacer::ReplyPacer(double chunkMs) : chunkMs_(chunkMs) {}

void ReplyPacer::queue(const UnitReply& reply, const FaultSwitches& faults, double nowMs) {
    if (faults.silent || (reply.kind == ReplyKind::Acknowledgement && faults.noAcknowledgement)) {
        return;
    }
    Bytes bytes = reply.bytes;
    if (faults.garbage) {
        std::generate(bytes.begin(), bytes.end(), [this] { return garbageByte(); });
    }
    const bool longReply = reply.kind != ReplyKind::Connect;
    if (longReply && faults.shortReplyBytes > 0 &&
        static_cast<std::size_t>(faults.shortReplyBytes) < bytes.size()) {
        bytes.resize(static_cast<std::size_t>(faults.shortReplyBytes));
    }
    const std::size_t gapBefore = longReply && faults.gapMs > 0 ? bytes.size() / 2 : bytes.size();
    double due = std::max(nowMs, lineFreeMs_);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const double silence = i == gapBefore ? faults.gapMs : 0;
        due += kByteMs + silence;
        pending_.push_back({due, bytes[i], silence});
    }
    lineFreeMs_ = due;
}

Bytes ReplyPacer::takeDue(double nowMs) {
    Bytes chunk;
    if (lastChunkMs_ && nowMs < *lastChunkMs_ + chunkMs_) {
        return chunk;
    }
    while (!pending_.empty() && pending_.front().dueMs <= nowMs &&
           (chunk.empty() || pending_.front().silenceBeforeMs == 0)) {
        chunk.push_back(pending_.front().value);
        pending_.pop_front();
    }
    if (!chunk.empty()) {
        lastChunkMs_ = nowMs;
        keepSilenceAfter(nowMs);
    }
    return chunk;
}

// The first half's last bytes leave with a chunk up to one chunk interval after they
// were due; counted from their due time, the silence would come out that much short.
void ReplyPacer::keepSilenceAfter(double handedOverMs) {
    if (pending_.empty() || pending_.front().silenceBeforeMs == 0) {
        return;
    }
    const double delay =
        std::max(0.0, handedOverMs + pending_.front().silenceBeforeMs - pending_.front().dueMs);
    pending_.front().silenceBeforeMs = 0;
    for (PacedByte& byte : pending_) {
        byte.dueMs += delay;
    }
    lineFreeMs_ += delay;
}

std::optional<double> ReplyPacer::nextWakeMs() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    const double due = pending_.front().dueMs;
    return lastChunkMs_ ? std::max(due, *lastChunkMs_ + chunkMs_) : due;
}

void ReplyPacer::clear() {
    pending_.clear();
    lineFreeMs_ = 0;
}

// xorshift32: repeatable noise that is not a valid reply.
std::uint8_t ReplyPacer::garbageByte() {
    garbageState_ ^= garbageState_ << 13;
    garbageState_ ^= garbageState_ >> 17;
    garbageState_ ^= garbageState_ << 5;
    return static_cast<std::uint8_t>(garbageState_ >> 24);
}

} // namespace velmora::sim
