// velmora-batch-bench: the production-line batch of velmora-cli against simulated units
// at 9600 baud pacing, on 1, 2, 4 and 8 jig positions. A scripted operator takes each
// unit away as soon as its position says so and puts the next one in after a fixed
// hand-over time. Prints, per run and as medians: units per minute for each number of
// positions, the ratio of 8 positions to 8 times one, the ratio of 1 position to the
// line's limit, and the batch's processor use while every position waits for a unit.
// Each batch takes its numbers from a production store of its own: a fresh SQLite file,
// or a fresh job on the PostgreSQL database that --store names.
//
// The line's limit is one unit per hand-over plus the bytes the unit's exchange puts on
// a 9600 baud 8N1 line: the frame and its acknowledgement, and with --verify the read
// request and the image too. One position's rate is taken from the first unit's end to
// the last one's, so that each unit counted had its hand-over, as the limit has.
//
//   velmora-batch-bench [--runs N] [--units U] [--absent-ms MS] [--idle-seconds S]
//                       [--verify 0|1] [--store URL] [--cli PATH] [--unit PATH]
#include "harness/bench_program.h"
#include "harness/child_process.h"
#include "harness/line_reader.h"
#include "harness/process_stats.h"
#include "harness/session.h"
#include "harness/statistics.h"
#include "progfile/programming_file.h"
#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "support/monotonic_clock.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace velmora;
using namespace velmora::bench;

constexpr int kSettleMs = 1500;
constexpr int kPositionCounts[] = {1, 2, 4, 8};
constexpr double kByteMs = 10.0 / 9.6;

struct Options {
    int runs = 3;
    int units = 24;
    // Longer than the batch needs to see a cradle empty (two unanswered polls: at most
    // 200 + 200 + 150 ms); a shorter swap would go unnoticed and the unit count twice.
    int absentMs = 600;
    int idleSeconds = 10;
    bool verify = false;
    std::string store; // empty: an SQLite file in the run's folder
    std::string cli = VELMORA_CLI;
    std::string unit = VELMORA_UNIT_SIM;
};

const BenchProgram kProgram{
    "velmora-batch-bench",
    "batch",
    "usage: velmora-batch-bench [--runs N] [--units U] [--absent-ms MS] [--idle-seconds S]"
    " [--verify 0|1] [--store URL] [--cli PATH] [--unit PATH]\n",
    {"--runs", "--units", "--absent-ms", "--idle-seconds", "--verify", "--store", "--cli",
     "--unit"}};

void readSettings(OptionValues& values, Options& options) {
    values.whole("--runs", options.runs, 1, 100);
    values.whole("--units", options.units, 2, 10000);
    values.whole("--absent-ms", options.absentMs, 0, 60000);
    values.whole("--idle-seconds", options.idleSeconds, 1, 3600);
    values.whole("--verify", options.verify, 0, 1);
    values.text("--store", options.store);
    values.text("--cli", options.cli);
    values.text("--unit", options.unit);
}

// One simulated unit per position, each on its own pseudo-terminal.
struct Cradles {
    std::vector<std::unique_ptr<ChildProcess>> units;
    std::vector<std::string> links;

    bool start(const Options& options, const std::string& folder, int count, bool silent) {
        for (int p = 1; p <= count; ++p) {
            links.push_back(folder + "/com" + std::to_string(p));
            std::vector<std::string> arguments{options.unit, "--link", links.back()};
            if (silent)
                arguments.push_back("--silent");
            auto unit = std::make_unique<ChildProcess>();
            if (const auto answers = startSimulatedUnit(*unit, arguments); !answers) {
                std::fprintf(stderr, "%s\n", answers.error().c_str());
                return false;
            }
            units.push_back(std::move(unit));
        }
        return true;
    }
};

bool startBatch(ChildProcess& batch, const Options& options, const std::string& folder,
                const std::string& file, const Cradles& cradles, int count) {
    std::vector<std::string> arguments{
        options.cli, "batch", file, "--number-from", "1", "--count", std::to_string(count)};
    if (options.store.empty()) {
        arguments.insert(arguments.end(), {"--store", folder + "/production.sqlite"});
    } else {
        // The folder is new for every batch; so is the job named after it.
        arguments.insert(arguments.end(), {"--store", options.store, "--job", folder});
    }
    if (options.verify)
        arguments.push_back("--verify");
    for (const std::string& link : cradles.links) {
        arguments.push_back("--device");
        arguments.push_back(link);
    }
    const Started started = batch.start(arguments);
    if (!started)
        std::fprintf(stderr, "%s\n", started.error().c_str());
    return started.ok();
}

struct UnitEnd {
    int position;
    bool failed;
};

// The end of a unit in the batch's event line "... position P N: done" (or "FAILED").
std::optional<UnitEnd> unitEnd(std::string_view line) {
    constexpr std::string_view kPosition = "position ";
    const auto at = line.find(kPosition);
    if (at == std::string_view::npos)
        return std::nullopt;
    int position = 0;
    const char* last = line.data() + line.size();
    const auto [next, error] = std::from_chars(line.data() + at + kPosition.size(), last, position);
    if (error != std::errc{} || next == last || *next != ' ')
        return std::nullopt;
    const std::string_view rest(next + 1, static_cast<std::size_t>(last - next - 1));
    const auto colon = rest.find(": ");
    if (colon == 0 || colon == std::string_view::npos ||
        rest.find_first_not_of("0123456789") != colon)
        return std::nullopt;
    const std::string_view state = rest.substr(colon + 2);
    if (state.starts_with("done"))
        return UnitEnd{position, false};
    if (state.starts_with("FAILED"))
        return UnitEnd{position, true};
    return std::nullopt;
}

// Milliseconds a unit costs on the line, the hand-over included.
double lineLimitMs(const Options& options) {
    const int exchangeBytes = (kFrameSize + kImageSize) * (options.verify ? 2 : 1);
    return options.absentMs + exchangeBytes * kByteMs;
}

struct Rates {
    double batch;   // units per minute, from the batch's start to its last unit
    double steady;  // from the first unit's end to the last one's
    double firstMs; // from the batch's start to the first unit's end
};

std::optional<Rates> unitsPerMinute(const Options& options, const std::string& folder,
                                    const std::string& file, int positions) {
    Cradles cradles;
    if (!cradles.start(options, folder, positions, false))
        return std::nullopt;
    ChildProcess batch;
    const double startMs = monotonicMs();
    if (!startBatch(batch, options, folder, file, cradles, options.units))
        return std::nullopt;
    LineReader events(batch.errorFd());
    std::map<int, double> backAt; // position -> when its next unit goes in
    double lastDoneMs = startMs;
    std::optional<double> firstDoneMs;
    int failed = 0;
    while (!events.ended()) {
        double wait = 1000;
        for (const auto& [position, at] : backAt)
            wait = std::min(wait, at - monotonicMs());
        const auto line = events.next(static_cast<int>(std::max(0.0, wait)));
        for (auto it = backAt.begin(); it != backAt.end();) {
            if (it->second > monotonicMs()) {
                ++it;
                continue;
            }
            cradles.units[static_cast<std::size_t>(it->first - 1)]->writeLine("silent off");
            it = backAt.erase(it);
        }
        const auto end = line ? unitEnd(*line) : std::nullopt;
        if (!end)
            continue;
        failed += end->failed ? 1 : 0;
        lastDoneMs = monotonicMs();
        firstDoneMs = firstDoneMs.value_or(lastDoneMs);
        cradles.units[static_cast<std::size_t>(end->position - 1)]->writeLine("silent on");
        backAt[end->position] = lastDoneMs + options.absentMs;
    }
    if (failed > 0)
        std::fprintf(stderr, "  %d position(s): %d unit(s) failed\n", positions, failed);
    if (!firstDoneMs || lastDoneMs <= *firstDoneMs)
        return std::nullopt;
    return Rates{options.units / ((lastDoneMs - startMs) / 60000.0),
                 (options.units - 1) / ((lastDoneMs - *firstDoneMs) / 60000.0),
                 *firstDoneMs - startMs};
}

// Processor use of the batch, in percent of one core, while every position polls an
// empty cradle.
std::optional<double> idleProcessor(const Options& options, const std::string& folder,
                                    const std::string& file) {
    Cradles cradles;
    if (!cradles.start(options, folder, 8, true))
        return std::nullopt;
    ChildProcess batch;
    if (!startBatch(batch, options, folder, file, cradles, options.units))
        return std::nullopt;
    LineReader events(batch.errorFd());
    const double settleUntil = monotonicMs() + kSettleMs;
    while (monotonicMs() < settleUntil)
        events.next(static_cast<int>(settleUntil - monotonicMs()) + 1);
    const double fromMs = monotonicMs();
    const auto fromCpu = processorMs(batch.pid());
    const double until = fromMs + options.idleSeconds * 1000.0;
    while (monotonicMs() < until)
        events.next(static_cast<int>(until - monotonicMs()) + 1);
    const auto toCpu = processorMs(batch.pid());
    if (!fromCpu || !toCpu || !batch.running())
        return std::nullopt;
    return (*toCpu - *fromCpu) / (monotonicMs() - fromMs) * 100.0;
}

struct RunFigures {
    std::map<int, double> rates;
    double ratio;
    double toLineLimit;
    double idlePercent;
};

std::optional<RunFigures> measureRun(const Options& options, const std::string& folder) {
    const std::string file = folder + "/site.prg";
    const auto image = velmora::encodeImage(velmora::ParameterSet{});
    if (!image)
        return std::nullopt;
    std::ofstream(file, std::ios::binary)
        << velmora::formatProgrammingFile(velmora::programmingFrame(*image));
    RunFigures figures{};
    for (const int positions : kPositionCounts) {
        const std::string place = folder + "/p" + std::to_string(positions);
        std::filesystem::create_directories(place);
        const auto rate = unitsPerMinute(options, place, file, positions);
        if (!rate)
            return std::nullopt;
        figures.rates[positions] = rate->batch;
        std::fprintf(stderr,
                     "  %d position(s): %.1f units/min (first unit %.0f ms after the start, "
                     "then %.1f units/min)\n",
                     positions, rate->batch, rate->firstMs, rate->steady);
        if (positions == 1)
            figures.toLineLimit = rate->steady * lineLimitMs(options) / 60000.0;
    }
    figures.ratio = figures.rates[8] / (8 * figures.rates[1]);
    std::filesystem::create_directories(folder + "/idle");
    const auto idle = idleProcessor(options, folder + "/idle", file);
    if (!idle)
        return std::nullopt;
    figures.idlePercent = *idle;
    return figures;
}

void printRow(const char* name, const std::vector<double>& values, const char* unit,
              const char* target) {
    const Spread spread = spreadOf(values);
    std::printf("%-44s %10.3f %10.3f .. %9.3f %-12s %s\n", name, spread.median, spread.low,
                spread.high, unit, target);
}

void report(const Options& options, const std::vector<RunFigures>& runs) {
    std::printf("velmora-cli batch figures: %d runs; %d units, %d ms hand-over, %s\n", options.runs,
                options.units, options.absentMs,
                options.verify ? "with read-back" : "without read-back");
    std::printf("\n%-44s %10s %24s %-12s %s\n", "figure", "median", "spread (min .. max)", "unit",
                "target");
    for (const int positions : kPositionCounts) {
        std::vector<double> rates;
        for (const RunFigures& run : runs)
            rates.push_back(run.rates.at(positions));
        const std::string name = std::to_string(positions) + " position(s)";
        printRow(name.c_str(), rates, "units/min", "");
    }
    std::vector<double> ratios;
    std::vector<double> toLimit;
    std::vector<double> idle;
    for (const RunFigures& run : runs) {
        ratios.push_back(run.ratio);
        toLimit.push_back(run.toLineLimit);
        idle.push_back(run.idlePercent);
    }
    printRow("8 positions / (8 x 1 position)", ratios, "ratio", ">= 0.9");
    char limit[64];
    std::snprintf(limit, sizeof limit, "1 position / line limit %.1f units/min",
                  60000.0 / lineLimitMs(options));
    printRow(limit, toLimit, "ratio", ">= 0.9");
    printRow("processor use, 8 positions waiting", idle, "% of a core", "< 5 %");
}

} // namespace

int main(int argc, char** argv) {
    return runBench<Options>(argc, argv, kProgram, readSettings, measureRun, report);
}
