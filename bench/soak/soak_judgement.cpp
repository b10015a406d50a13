#include "soak/soak_judgement.h"

#include "harness/log_measures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace velmora::bench {
namespace {

constexpr std::size_t kReplySize = 96;
constexpr std::uint8_t kAcknowledgeByte = 0x55;
constexpr std::uint8_t kConnectReply = 0x56;
constexpr double kReplyGapMs = 50;
constexpr double kTimingSlackMs = 5; // how far apart two moments must be to know their order

struct Happening {
    enum class Kind { Chunk, Programma, Hangup };
    double ms;
    Kind kind;
    const std::vector<std::uint8_t>* bytes;
};

std::vector<Happening> happenings(const std::vector<LogEntry>& log,
                                  const std::vector<ProgramEvent>& events) {
    std::vector<Happening> result;
    for (const LogEntry& entry : log) {
        if (entry.kind == LogEntry::Kind::Sent)
            result.push_back({entry.ms, Happening::Kind::Chunk, &entry.bytes});
        else if (entry.kind == LogEntry::Kind::Note && entry.note.starts_with("hangup"))
            result.push_back({entry.ms, Happening::Kind::Hangup, nullptr});
    }
    for (const ProgramEvent& event : events)
        if (event.what == "clicked" && event.detail == "Command1")
            result.push_back({event.ms, Happening::Kind::Programma, nullptr});
    std::stable_sort(result.begin(), result.end(),
                     [](const Happening& a, const Happening& b) { return a.ms < b.ms; });
    return result;
}

// Whether the program may have read a chunk written just before a click only after it.
// A chunk written after the click was read after it: the click is reported as it runs.
bool chunkJustBefore(const std::vector<Happening>& all, std::size_t at) {
    return at > 0 && all[at - 1].kind == Happening::Kind::Chunk &&
           all[at].ms - all[at - 1].ms < kTimingSlackMs;
}

// A stretch in which the unit sends nothing new: from "silent on" to "silent off", or
// from a hang-up until its line opens again; open at the end of the run.
struct QuietSpell {
    double fromMs;
    double untilMs;
};

std::vector<QuietSpell> quietSpells(const std::vector<LogEntry>& log, double endMs) {
    std::vector<QuietSpell> spells;
    bool quiet = false;
    bool hungUp = false;
    for (const LogEntry& entry : log) {
        if (entry.kind != LogEntry::Kind::Note)
            continue;
        const bool starts = entry.note == "silent on" || entry.note.starts_with("hangup");
        const bool ends = hungUp ? entry.note.starts_with("open ") : entry.note == "silent off";
        if (!quiet && starts) {
            spells.push_back({entry.ms, endMs});
            quiet = true;
            hungUp = entry.note.starts_with("hangup");
        } else if (quiet && ends) {
            spells.back().untilMs = entry.ms;
            quiet = false;
        }
    }
    return spells;
}

// Whether the program showed "Connesso" at `ms`, from its reported changes; it starts
// with "Sconnesso".
bool shownConnectedAt(const std::vector<ProgramEvent>& events, double ms) {
    bool connected = false;
    for (const ProgramEvent& event : events) {
        if (event.ms > ms)
            break;
        if (event.what == "connected" || event.what == "disconnected")
            connected = event.what == "connected";
    }
    return connected;
}

} // namespace

std::vector<ExpectedAcknowledgement>
expectedAcknowledgements(const std::vector<LogEntry>& log,
                         const std::vector<ProgramEvent>& events) {
    std::vector<ExpectedAcknowledgement> expected;
    std::size_t count = 0;
    bool allU = true;
    bool certain = true;
    // The "U" of a chunk just before a click, which the program may have read after it.
    std::size_t maybeCarried = 0;
    double lastDataMs = -std::numeric_limits<double>::infinity();
    auto clear = [&](bool sure) {
        count = 0;
        allU = true;
        certain = sure;
        maybeCarried = 0;
    };
    auto onlyU = [](const std::vector<std::uint8_t>& bytes) {
        return std::all_of(bytes.begin(), bytes.end(),
                           [](std::uint8_t byte) { return byte == kAcknowledgeByte; });
    };
    const std::vector<Happening> all = happenings(log, events);
    for (std::size_t at = 0; at < all.size(); ++at) {
        const Happening& now = all[at];
        const double quietMs = now.ms - lastDataMs;
        if (quietMs >= kReplyGapMs + kTimingSlackMs)
            clear(true);
        else if (count > 0 && quietMs > kReplyGapMs - kTimingSlackMs)
            certain = false; // dropped or kept: too close to tell
        if (now.kind == Happening::Kind::Programma) {
            const bool sure = !chunkJustBefore(all, at);
            clear(sure);
            if (!sure && onlyU(*all[at - 1].bytes))
                maybeCarried = all[at - 1].bytes->size();
            continue;
        }
        if (now.kind == Happening::Kind::Hangup) {
            clear(true);
            continue;
        }
        const std::vector<std::uint8_t>& bytes = *now.bytes;
        if (count == 0 && bytes.size() == 1 && bytes[0] == kConnectReply)
            continue;
        count += bytes.size();
        allU = allU && onlyU(bytes);
        lastDataMs = now.ms;
        if (maybeCarried > 0 && allU && count < kReplySize && count + maybeCarried >= kReplySize) {
            expected.push_back({now.ms, false}); // complete already if the chunk was carried
            maybeCarried = 0;
        }
        if (count >= kReplySize) {
            if (allU)
                expected.push_back({now.ms, certain});
            clear(certain);
        }
    }
    return expected;
}

SoakJudgement judgeSoak(const std::vector<LogEntry>& log, const std::vector<ProgramEvent>& events,
                        double endMs) {
    SoakJudgement judgement;
    std::vector<double> programmed;
    for (const ProgramEvent& event : events)
        if (event.what == "programmed")
            programmed.push_back(event.ms);
    judgement.programmedShown = static_cast<int>(programmed.size());
    const std::vector<ExpectedAcknowledgement> expected = expectedAcknowledgements(log, events);
    auto within = [](double from, double at) { return at >= from && at <= from + kShownWithinMs; };
    for (const ExpectedAcknowledgement& ack : expected) {
        if (!ack.certain) {
            ++judgement.uncertainAcknowledgements;
            continue;
        }
        ++judgement.certainAcknowledgements;
        if (std::none_of(programmed.begin(), programmed.end(),
                         [&](double at) { return within(ack.ms, at); }))
            judgement.unshownAcknowledgements.push_back(ack.ms);
    }
    for (const double at : programmed)
        if (std::none_of(expected.begin(), expected.end(),
                         [&](const ExpectedAcknowledgement& ack) { return within(ack.ms, at); }))
            judgement.unexpectedProgrammed.push_back(at);

    // Whatever was still on its way when the unit fell quiet, the label must own up
    // within the limit of the unit's last byte.
    for (const QuietSpell& spell : quietSpells(log, endMs)) {
        double lastByteMs = spell.fromMs;
        for (const LogEntry& entry : log)
            if (entry.kind == LogEntry::Kind::Sent && entry.ms >= spell.fromMs &&
                entry.ms < spell.untilMs)
                lastByteMs = std::max(lastByteMs, entry.ms);
        const double judgedAtMs = lastByteMs + kConnectedAfterQuietLimitMs;
        if (judgedAtMs >= spell.untilMs)
            continue;
        ++judgement.quietSpellsJudged;
        if (shownConnectedAt(events, judgedAtMs))
            judgement.connectedTooLong.push_back(lastByteMs);
    }

    const std::vector<double> recoveries = recoveryMoments(log);
    const std::vector<std::optional<double>> delays = resumeDelays(log);
    judgement.recoveries = static_cast<int>(recoveries.size());
    for (std::size_t i = 0; i < delays.size(); ++i) {
        if (delays[i])
            judgement.resumeDelays.push_back(*delays[i]);
        else if (endMs - recoveries[i] > kResumeLimitMs)
            ++judgement.neverResumed;
    }
    return judgement;
}

std::optional<MemoryDrift> memoryDrift(const std::vector<std::pair<double, long>>& samples,
                                       double baselineFromMs) {
    const auto baseline =
        std::find_if(samples.begin(), samples.end(), [&](const std::pair<double, long>& sample) {
            return sample.first >= baselineFromMs;
        });
    if (baseline == samples.end())
        return std::nullopt;
    MemoryDrift drift{baseline->second, samples.back().second, 0};
    for (auto sample = baseline; sample != samples.end(); ++sample)
        drift.widestDriftKb =
            std::max(drift.widestDriftKb, std::labs(sample->second - drift.baselineKb));
    return drift;
}

} // namespace velmora::bench
