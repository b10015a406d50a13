// velmora-store-bench: how long a jig position waits for a number, from asking to the
// answer with its write-ahead commit, while several stations of several positions share
// one job at production pace. Each station has its store thread, as a batch has; each of
// its positions asks for a number at `--units-per-second`, programs the unit for
// `--exchange-ms` and then posts its outcome, so that takes and outcomes meet on the
// store thread as they do in a batch. Prints the take's median and p99 per run and as
// medians over the runs.
//
//   velmora-store-bench [--store URL|FILE] [--stations S] [--positions P] [--seconds T]
//                       [--units-per-second U] [--exchange-ms MS] [--runs N]
#include "harness/bench_program.h"
#include "harness/statistics.h"
#include "store/store_thread.h"
#include "support/monotonic_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
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
    // The frame and its acknowledgement at 9600 baud, and the confirmation before it.
    int exchangeMs = 250;
    int runs = 3;
};

const BenchProgram kProgram{
    "velmora-store-bench",
    "store",
    "usage: velmora-store-bench [--store URL|FILE] [--stations S] [--positions P] "
    "[--seconds T] [--units-per-second U] [--exchange-ms MS] [--runs N]\n",
    {"--store", "--stations", "--positions", "--seconds", "--units-per-second", "--exchange-ms",
     "--runs"}};

void readSettings(OptionValues& values, Options& o) {
    values.text("--store", o.store);
    values.whole("--stations", o.stations, 1, 64);
    values.whole("--positions", o.positions, 1, 8);
    values.whole("--seconds", o.seconds, 1, 3600);
    values.decimal("--units-per-second", o.unitsPerSecond, 0.01, 1000.0);
    values.whole("--exchange-ms", o.exchangeMs, 0, 60000);
    values.whole("--runs", o.runs, 1, 100);
}

struct RunFigures {
    double median;
    double p99;
};

// The positions of every station, each going round: ask for a number, program the
// unit, post its outcome, wait for the next unit.
class Line {
public:
    Line(const Options& options, std::vector<std::unique_ptr<store::StoreThread>> stations,
         std::string job)
        : options_(options), stations_(std::move(stations)), job_(std::move(job)),
          intervalMs_(1000.0 / options.unitsPerSecond),
          endMs_(monotonicMs() + options.seconds * 1000.0) {}

    // The take times in milliseconds; none when the store failed.
    std::optional<std::vector<double>> run() {
        const int count = options_.stations * options_.positions;
        running_ = count;
        // The positions start out of step, as real ones do.
        for (int k = 0; k < count; ++k)
            nextUnit(k, monotonicMs() + intervalMs_ * k / count);
        loop_.exec();
        if (failure_) {
            std::fprintf(stderr, "%s\n", failure_->c_str());
            return std::nullopt;
        }
        return takes_;
    }

private:
    void nextUnit(int k, double atMs) {
        if (atMs >= endMs_ || failure_) {
            if (--running_ == 0)
                loop_.quit();
            return;
        }
        const int wait = static_cast<int>(std::max(0.0, atMs - monotonicMs()));
        QTimer::singleShot(wait, Qt::PreciseTimer, &receiver_, [this, k, atMs] { ask(k, atMs); });
    }

    void ask(int k, double atMs) {
        store::StoreThread& station = *stations_[static_cast<std::size_t>(k / options_.positions)];
        const int position = k % options_.positions + 1;
        const store::Taker taker{"station " + std::to_string(k / options_.positions),
                                 "port " + std::to_string(position), "bench",
                                 "/dev/ttyUSB" + std::to_string(position)};
        const double askedMs = monotonicMs();
        station.askNumber(job_, taker, &receiver_,
                          [this, k, atMs, askedMs,
                           &station](store::StoreResult<std::optional<store::Taken>> taken) {
                              takes_.push_back(monotonicMs() - askedMs);
                              if (!taken || !*taken) {
                                  failure_ = taken ? "the job ran out" : taken.error().message;
                                  nextUnit(k, endMs_);
                                  return;
                              }
                              const long number = (*taken)->number;
                              QTimer::singleShot(options_.exchangeMs, Qt::PreciseTimer, &receiver_,
                                                 [this, k, atMs, number, &station] {
                                                     finish(station, k, atMs, number);
                                                 });
                          });
    }

    void finish(store::StoreThread& station, int k, double atMs, long number) {
        station.askOutcome(job_, {number, {store::kProgrammed, "programmed", "", true, ""}},
                           &receiver_, [this, k, atMs](store::StoreResult<void> recorded) {
                               if (!recorded)
                                   failure_ = recorded.error().message;
                               nextUnit(k, atMs + intervalMs_);
                           });
    }

    const Options& options_;
    std::vector<std::unique_ptr<store::StoreThread>> stations_;
    std::string job_;
    double intervalMs_;
    double endMs_;
    int running_ = 0;
    std::vector<double> takes_;
    std::optional<std::string> failure_;
    QObject receiver_;
    QEventLoop loop_;
};

std::optional<RunFigures> measureRun(const Options& options, const std::string& folder) {
    const auto location = store::storeLocationOf(
        options.store.empty() ? folder + "/production.sqlite" : options.store);
    if (!location)
        return std::nullopt;
    std::vector<std::unique_ptr<store::StoreThread>> stations;
    for (int s = 0; s < options.stations; ++s) {
        auto started = store::StoreThread::start(*location);
        if (!started) {
            std::fprintf(stderr, "%s\n", started.error().message.c_str());
            return std::nullopt;
        }
        stations.push_back(std::move(*started));
    }
    const std::string job = "bench " + folder;
    const auto created = stations.front()->run<store::StoreResult<store::Job>>(
        [&job](store::ProductionStore& store) {
            return store.createJob(
                {job, "site.prg", std::string(64, '0'), std::string(192, '0'), 0, 9999}, "bench",
                "bench");
        });
    if (!created)
        return std::nullopt;
    const auto takes = Line(options, std::move(stations), job).run();
    if (!takes || takes->empty())
        return std::nullopt;
    const RunFigures figures{percentile(*takes, 0.5), percentile(*takes, 0.99)};
    std::fprintf(stderr, "  %zu numbers taken: median %.2f ms, p99 %.2f ms\n", takes->size(),
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
