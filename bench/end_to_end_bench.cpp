// velmora-bench: figures of the real program, headless, against the simulated unit
// at 9600 baud pacing. Each run starts both afresh and measures: process start to the
// port prompt painted, the poll cadence and processor use while only polling, the time
// from the unit's last acknowledgement byte to "Programmato" and from the last byte of
// a read reply to the last control written, and peak resident memory. Prints the median
// of the runs, their spread and the target of each figure.
//
//   velmora-bench [--runs N] [--poll-seconds S] [--commands K] [--program PATH] [--unit PATH]
#include "harness/bench_program.h"
#include "harness/log_measures.h"
#include "harness/process_stats.h"
#include "harness/session.h"
#include "harness/statistics.h"
#include "support/monotonic_clock.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace velmora;
using namespace velmora::bench;

constexpr double kPollPeriodMs = 200;
constexpr int kPromptTimeoutMs = 10000;
constexpr int kReplyTimeoutMs = 2000;
constexpr int kSettleMs = 1000;
constexpr int kLogCatchUpMs = 30; // the unit writes its log line just after the bytes
constexpr int kBetweenCommandsMs = 300;

struct Options {
    int runs = 3;
    int pollSeconds = 62; // a little over 300 polls
    int commands = 20;
    std::string program = VELMORA_PROGRAM;
    std::string unit = VELMORA_UNIT_SIM;
};

// One row of the table: what it measures, its unit, and the target it is held to.
struct Figure {
    const char* name;
    const char* unit;
    std::optional<double> limit; // met when every run's value is within it
    const char* limitText;
};

const Figure kFigures[] = {
    {"poll interval, median distance from 200 ms", "ms", std::nullopt, ""},
    {"poll interval, p99 distance from 200 ms", "ms", 2.0, "<= 2 ms"},
    {"last acknowledgement byte to \"Programmato\", median", "ms", 5.0, "< 5 ms"},
    {"last acknowledgement byte to \"Programmato\", p99", "ms", 5.0, "< 5 ms"},
    {"last read reply byte to last control written, median", "ms", 5.0, "< 5 ms"},
    {"last read reply byte to last control written, p99", "ms", 5.0, "< 5 ms"},
    {"processor use while only polling", "% of a core", 0.5, "< 0.5 %"},
    {"process start to port prompt painted", "ms", 300.0, "< 300 ms"},
    {"peak resident memory", "MB", 60.0, "< 60 MB"},
};
constexpr std::size_t kFigureCount = std::size(kFigures);

using RunFigures = std::vector<double>; // in the order of kFigures

const BenchProgram kProgram{
    "velmora-bench",
    "bench",
    "usage: velmora-bench [--runs N] [--poll-seconds S] [--commands K] [--program PATH]"
    " [--unit PATH]\n",
    {"--runs", "--poll-seconds", "--commands", "--program", "--unit"}};

void readSettings(OptionValues& values, Options& options) {
    values.whole("--runs", options.runs, 1, 100);
    values.whole("--poll-seconds", options.pollSeconds, 1, 3600);
    values.whole("--commands", options.commands, 1, 1000);
    values.text("--program", options.program);
    values.text("--unit", options.unit);
}

// Clicks `button` `count` times; for each, the time from the unit's last byte to the
// program's `event`.
std::optional<std::vector<double>> latencies(Session& session, const char* button,
                                             const char* event, int count) {
    std::vector<double> result;
    for (int i = 0; i < count; ++i) {
        session.click(button);
        const auto done = session.events().waitFor(event, kReplyTimeoutMs);
        if (!done) {
            std::fprintf(stderr, "no %s after %s\n", event, button);
            return std::nullopt;
        }
        session.events().pump(kLogCatchUpMs);
        const auto lastByte = lastSentAtOrBefore(session.unitLog(), done->ms);
        if (!lastByte)
            return std::nullopt;
        result.push_back(done->ms - *lastByte);
        session.events().pump(kBetweenCommandsMs);
    }
    return result;
}

std::optional<RunFigures> measureRun(const Options& options, const std::string& workDir) {
    Session session({options.program, options.unit, workDir});
    if (const Started started = session.start(); !started) {
        std::fprintf(stderr, "%s\n", started.error().c_str());
        return std::nullopt;
    }
    const auto prompt = session.events().waitFor("prompt-painted", kPromptTimeoutMs);
    if (!prompt || !session.events().waitFor("connected", kPromptTimeoutMs)) {
        std::fprintf(stderr, "the program did not start polling\n");
        return std::nullopt;
    }
    const double startUpMs = prompt->ms - session.spawnedMs();
    session.events().pump(kSettleMs);

    const pid_t pid = session.program().pid();
    const double pollFrom = monotonicMs();
    const auto processorFrom = processorMs(pid);
    session.events().pump(options.pollSeconds * 1000);
    const double pollTo = monotonicMs();
    const auto processorTo = processorMs(pid);
    std::vector<double> polls;
    for (const double at : pollArrivals(session.unitLog()))
        if (at >= pollFrom && at <= pollTo)
            polls.push_back(at);
    const std::vector<double> pollErrors = intervalErrors(polls, kPollPeriodMs);

    const auto acknowledged = latencies(session, "Command1", "programmed", options.commands);
    const auto read = latencies(session, "Command4", "image-handled", options.commands);
    const auto peakKb = peakResidentKb(pid);
    if (!acknowledged || !read || !processorFrom || !processorTo || !peakKb)
        return std::nullopt;
    std::fprintf(stderr, "  %zu polls, %d programmings, %d reads\n", polls.size(), options.commands,
                 options.commands);
    return RunFigures{median(pollErrors),
                      percentile(pollErrors, 0.99),
                      median(*acknowledged),
                      percentile(*acknowledged, 0.99),
                      median(*read),
                      percentile(*read, 0.99),
                      (*processorTo - *processorFrom) / (pollTo - pollFrom) * 100.0,
                      startUpMs,
                      static_cast<double>(*peakKb) / 1024.0};
}

void printTable(const std::vector<RunFigures>& runs) {
    std::printf("\n%-55s %10s %24s %-12s %-10s %s\n", "figure", "median", "spread (min .. max)",
                "unit", "target", "verdict");
    for (std::size_t f = 0; f < kFigureCount; ++f) {
        std::vector<double> values;
        for (const RunFigures& run : runs)
            values.push_back(run[f]);
        const Spread spread = spreadOf(values);
        const Figure& figure = kFigures[f];
        const char* verdict = !figure.limit ? "" : spread.high <= *figure.limit ? "met" : "MISSED";
        std::printf("%-55s %10.3f %10.3f .. %9.3f %-12s %-10s %s\n", figure.name, spread.median,
                    spread.low, spread.high, figure.unit, figure.limitText, verdict);
    }
}

} // namespace

int main(int argc, char** argv) {
    return runBench<Options>(
        argc, argv, kProgram, readSettings, measureRun,
        [](const Options& options, const std::vector<RunFigures>& runs) {
            std::printf("velmora end-to-end figures: %d runs; in each, %d s of polling, %d"
                        " programmings and %d reads\n",
                        options.runs, options.pollSeconds, options.commands, options.commands);
            printTable(runs);
        });
}
