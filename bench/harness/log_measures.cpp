#include "harness/log_measures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace velmora::bench {
namespace {

constexpr std::uint8_t kFrameStart = 0xAA;
constexpr std::uint8_t kPoll = 0x55;
constexpr std::size_t kFrameSize = 98;

constexpr std::array<std::string_view, 5> kFaultEnds{"silent off", "garbage off", "noack off",
                                                     "short 0", "gap 0"};

bool isHangup(const LogEntry& entry) {
    return entry.kind == LogEntry::Kind::Note && entry.note.starts_with("hangup");
}

} // namespace

std::vector<double> pollArrivals(const std::vector<LogEntry>& log) {
    std::vector<double> arrivals;
    std::size_t frameLeft = 0;
    for (const LogEntry& entry : log) {
        if (isHangup(entry))
            frameLeft = 0;
        if (entry.kind != LogEntry::Kind::Received)
            continue;
        for (const std::uint8_t byte : entry.bytes) {
            if (frameLeft > 0)
                --frameLeft;
            else if (byte == kFrameStart)
                frameLeft = kFrameSize - 1;
            else if (byte == kPoll)
                arrivals.push_back(entry.ms);
        }
    }
    return arrivals;
}

std::vector<double> intervalErrors(const std::vector<double>& moments, double periodMs) {
    std::vector<double> errors;
    for (std::size_t i = 1; i < moments.size(); ++i)
        errors.push_back(std::abs(moments[i] - moments[i - 1] - periodMs));
    return errors;
}

std::optional<double> lastSentAtOrBefore(const std::vector<LogEntry>& log, double ms) {
    std::optional<double> last;
    for (const LogEntry& entry : log)
        if (entry.kind == LogEntry::Kind::Sent && entry.ms <= ms)
            last = entry.ms;
    return last;
}

std::vector<double> recoveryMoments(const std::vector<LogEntry>& log) {
    std::vector<double> moments;
    bool hungUp = false;
    for (const LogEntry& entry : log) {
        if (entry.kind != LogEntry::Kind::Note)
            continue;
        if (isHangup(entry)) {
            hungUp = true;
        } else if (hungUp && entry.note.starts_with("open ")) {
            hungUp = false;
            moments.push_back(entry.ms);
        } else if (std::find(kFaultEnds.begin(), kFaultEnds.end(), entry.note) !=
                   kFaultEnds.end()) {
            moments.push_back(entry.ms);
        }
    }
    return moments;
}

std::vector<std::optional<double>> resumeDelays(const std::vector<LogEntry>& log) {
    const std::vector<double> polls = pollArrivals(log);
    std::vector<std::optional<double>> delays;
    for (const double recovered : recoveryMoments(log)) {
        const auto next = std::lower_bound(polls.begin(), polls.end(), recovered);
        delays.push_back(next == polls.end() ? std::nullopt
                                             : std::optional<double>{*next - recovered});
    }
    return delays;
}

} // namespace velmora::bench
