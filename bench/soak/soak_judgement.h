#pragma once

#include "harness/program_events.h"
#include "harness/unit_log.h"

#include <optional>
#include <utility>
#include <vector>

namespace velmora::bench {

// An acknowledgement the program must have taken as such, by when its last byte went
// out; `certain` is false when a click or the 50 ms reply gap fell too close to a chunk
// to know the state of `RxBuffer` for sure: then it may have been taken.
struct ExpectedAcknowledgement {
    double ms;
    bool certain;
};

// Replays the unit's output into `RxBuffer` as the program keeps it: a lone "V" into
// an empty buffer answers a poll, "Programma" empties it, 50 ms without data drop it, a
// hang-up loses it, and 96 bytes or more complete a reply, an acknowledgement when all
// are "U".
std::vector<ExpectedAcknowledgement>
expectedAcknowledgements(const std::vector<LogEntry>& log, const std::vector<ProgramEvent>& events);

// What the soak holds the program to, read from the unit's log and the program's
// events after the run.
struct SoakJudgement {
    int certainAcknowledgements = 0;
    int uncertainAcknowledgements = 0;
    std::vector<double> unshownAcknowledgements; // certain ones without "Programmato"
    int programmedShown = 0;
    std::vector<double> unexpectedProgrammed; // "Programmato" with no acknowledgement before

    int quietSpellsJudged = 0;            // silences and hang-ups long enough to judge
    std::vector<double> connectedTooLong; // unit quiet from here, "Connesso" 1.5 s later

    int recoveries = 0;               // faults switched off or lines opened again
    std::vector<double> resumeDelays; // recovery to the next poll, for each resumed one
    int neverResumed = 0;             // no poll after a recovery, though time was left
};

inline constexpr double kShownWithinMs = 200;
inline constexpr double kResumeLimitMs = 1000;
inline constexpr double kConnectedAfterQuietLimitMs = 1500;

// `endMs`: when the run ended.
SoakJudgement judgeSoak(const std::vector<LogEntry>& log, const std::vector<ProgramEvent>& events,
                        double endMs);

// Resident memory at the first sample from `baselineFromMs` on, at the last sample, and
// the farthest any sample after the baseline strayed from it.
struct MemoryDrift {
    long baselineKb = 0;
    long finalKb = 0;
    long widestDriftKb = 0;
};
std::optional<MemoryDrift> memoryDrift(const std::vector<std::pair<double, long>>& samples,
                                       double baselineFromMs);

} // namespace velmora::bench
