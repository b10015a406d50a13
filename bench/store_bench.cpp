// velmora-store-bench: how long a station waits for a number, from asking to the answer
// with its write-ahead commit, while several stations of several positions share one job
// at production pace. Each station is one thread with one connection, as a batch has one
// store thread; it takes a number and records its outcome for each unit its positions
// program, at `--units-per-second` per position. Prints the take's median and p99 per
// run and as medians over the runs.
//
//   velmora-store-bench [--store URL|FILE] [--stations S] [--positions P] [--seconds T]
//                       [--units-per-second U] [--runs N]
#include "harness/bench_program.h"
#include "harness/statistics.h"
#include "store/production_store.h"
#include "support/monotonic_clock.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace velmora;
using namespace velmora::bench;

struct Options {
    std::string store; // empty: an SQLite file in the run's folder
    int stations = 3;
    int positions = 8;
    int seconds = 20;
    // A unit every 1.25 s per position: programming plus the hand-over.
    double unitsPerSecond = 0.8;
    int runs = 3;
};

const BenchProgram kProgram{
    "velmora-store-bench",
    "store",
    "usage: velmora-store-bench [--store URL|FILE] [--stations S] [--positions P] "
    "[--seconds T] [--units-per-second U] [--runs N]\n",
    {"--store", "--stations", "--positions", "--seconds", "--units-per-second", "--runs"}};

void readSettings(OptionValues& values, Options& o) {
    values.text("--store", o.store);
    values.whole("--stations", o.stations, 1, 64);
    values.whole("--positions", o.positions, 1, 8);
    values.whole("--seconds", o.seconds, 1, 3600);
    values.decimal("--units-per-second", o.unitsPerSecond, 0.01, 1000.0);
    values.whole("--runs", o.runs, 1, 100);
}

struct RunFigures {
    double median;
    double p99;
};

std::optional<RunFigures> measureRun(const Options& options, const std::string& folder) {
    const auto location = store::storeLocationOf(
        options.store.empty() ? folder + "/production.sqlite" : options.store);
    if (!location)
        return std::nullopt;
    auto owner = store::ProductionStore::open(*location);
    if (!owner) {
        std::fprintf(stderr, "%s\n", owner.error().message.c_str());
        return std::nullopt;
    }
    const std::string job = "bench " + folder;
    if (!(*owner)->createJob(
            {job, "site.prg", std::string(64, '0'), std::string(192, '0'), 0, 9999}, "bench",
            "bench"))
        return std::nullopt;
    std::mutex guard;
    std::vector<double> takes;
    bool failed = false;
    const double intervalMs = 1000.0 / (options.unitsPerSecond * options.positions);
    std::vector<std::thread> stations;
    for (int s = 0; s < options.stations; ++s)
        stations.emplace_back([&, s] {
            auto station = store::ProductionStore::open(*location);
            if (!station) {
                std::lock_guard lock(guard);
                failed = true;
                return;
            }
            const double endMs = monotonicMs() + options.seconds * 1000.0;
            // The stations start out of step, as real ones do.
            double nextMs = monotonicMs() + intervalMs * s / options.stations;
            for (int unit = 0; monotonicMs() < endMs; ++unit) {
                std::this_thread::sleep_for(
                    std::chrono::microseconds(static_cast<long>((nextMs - monotonicMs()) * 1000)));
                nextMs += intervalMs;
                const store::Taker taker{"station " + std::to_string(s),
                                         "port " + std::to_string(unit % options.positions + 1),
                                         "bench", "/dev/ttyUSB" + std::to_string(unit % 8)};
                const double askedMs = monotonicMs();
                auto taken = (*station)->take(job, taker);
                const double tookMs = monotonicMs() - askedMs;
                if (!taken || !*taken ||
                    !(*station)->record(job, (*taken)->number,
                                        {store::kProgrammed, "programmed", "", true, ""})) {
                    std::lock_guard lock(guard);
                    failed = true;
                    return;
                }
                std::lock_guard lock(guard);
                takes.push_back(tookMs);
            }
        });
    for (std::thread& station : stations)
        station.join();
    if (failed || takes.empty())
        return std::nullopt;
    const RunFigures figures{percentile(takes, 0.5), percentile(takes, 0.99)};
    std::fprintf(stderr, "  %zu numbers taken: median %.2f ms, p99 %.2f ms\n", takes.size(),
                 figures.median, figures.p99);
    return figures;
}

void report(const Options& options, const std::vector<RunFigures>& runs) {
    std::vector<double> medians;
    std::vector<double> p99s;
    for (const RunFigures& run : runs) {
        medians.push_back(run.median);
        p99s.push_back(run.p99);
    }
    std::printf("production store: %s; %d stations x %d positions, %.2f units/s per position, "
                "%d s, %d runs\n",
                options.store.empty() ? "SQLite file" : options.store.c_str(), options.stations,
                options.positions, options.unitsPerSecond, options.seconds, options.runs);
    const struct {
        const char* name;
        const std::vector<double>& values;
        const char* target;
    } rows[] = {{"take a number, median", medians, ""},
                {"take a number, p99", p99s, "target < 10 ms"}};
    for (const auto& row : rows) {
        const Spread spread = spreadOf(row.values);
        std::printf("%-24s %8.2f ms (runs %.2f .. %.2f)   %s\n", row.name, spread.median,
                    spread.low, spread.high, row.target);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return runBench<Options>(argc, argv, kProgram, readSettings, measureRun, report);
}
