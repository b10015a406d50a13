#include "soak/fault_plan.h"

#include <array>

namespace velmora::bench {
namespace {

// A fault, the control lines that switch it, the range of its value (a byte count or
// milliseconds, appended to the "on" line when the range is not empty) and how long
// a spell lasts. Short gaps stay well under the 50 ms after which the program drops a
// reply, long gaps well over it.
struct FaultKind {
    const char* name;
    const char* on;
    const char* off;
    int lowValue;
    int highValue;
    int shortestMs;
    int longestMs;
};

constexpr std::array kFaultKinds{
    FaultKind{"clean", "", "", 0, 0, 1000, 4000},
    FaultKind{"silent", "silent on", "silent off", 0, 0, 500, 5000},
    FaultKind{"garbage", "garbage on", "garbage off", 0, 0, 500, 4000},
    FaultKind{"cut replies", "short", "short 0", 1, 95, 1000, 4000},
    FaultKind{"long gaps", "gap", "gap 0", 70, 400, 1000, 4000},
    FaultKind{"short gaps", "gap", "gap 0", 5, 25, 1000, 4000},
    FaultKind{"no acknowledgement", "noack on", "noack off", 0, 0, 1000, 4000},
    FaultKind{"hang-up", "hangup", "", 100, 3000, 0, 0},
};

// After a hang-up, time for the unit to open its line again.
constexpr int kReopenMarginMs = 300;

} // namespace

FaultSpell FaultPlan::nextSpell() {
    const FaultKind& kind =
        kFaultKinds[static_cast<std::size_t>(between(0, static_cast<int>(kFaultKinds.size()) - 1))];
    std::string on = kind.on;
    int durationMs = between(kind.shortestMs, kind.longestMs);
    if (kind.highValue > 0) {
        const int value = between(kind.lowValue, kind.highValue);
        on += " " + std::to_string(value);
        if (kind.off[0] == '\0')
            durationMs = value + kReopenMarginMs; // the line is down for `value` ms
    }
    return {kind.name, on, kind.off, durationMs};
}

const char* FaultPlan::nextButton() {
    return between(0, 1) == 0 ? "Command1" : "Command4";
}

int FaultPlan::nextClickPauseMs() {
    return between(100, 900);
}

} // namespace velmora::bench
