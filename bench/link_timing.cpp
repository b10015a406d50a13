// link_timing: how well the serial link keeps the protocol's timing against the
// simulated unit paced at 9600 baud, with the window's controller and link in this
// process. Measures the distance of each poll interval from 200 ms (as the unit saw
// the polls arrive, Timer4 running) and the time from the unit's writing of the last
// acknowledgement byte to "Programmato" in the window's model. With --history the window
// keeps its history in that SQLite file (a full disk or a read-only folder shows what a
// history that cannot be written costs the line).
//
//   link_timing [POLLS] [PROGRAMMINGS] [--history FILE.sqlite]
//                                          defaults: 110 polls, 30 programmings
#include "app/controller.h"
#include "harness/log_measures.h"
#include "harness/repeated_runs.h"
#include "harness/session.h"
#include "harness/statistics.h"
#include "link/serial_link.h"
#include "model/form_model.h"
#include "support/command_options.h"
#include "support/monotonic_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

using namespace velmora;
using namespace velmora::bench;

constexpr const char* kUsage =
    "usage: link_timing [POLLS] [PROGRAMMINGS] [--history FILE.sqlite]\n";
constexpr int kAcknowledgementTimeoutMs = 1000;
constexpr int kLogCatchUpMs = 20; // the unit writes its log line just after the bytes
constexpr int kBetweenProgrammingsMs = 300;
constexpr double kCadenceSettleMs = 250;

struct Options {
    int polls = 110;
    int programmings = 30;
    std::string history; // none when empty
};

class NoDialogs : public OperatorDialogs {
public:
    std::optional<QString> askPort() override { return QStringLiteral("1"); }
    void beep() override {}
    void show(const Notice& notice) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(notice.text));
    }
    QString chooseSaveFile(const QString&) override { return {}; }
    QString chooseImportFile(const QString&) override { return {}; }
};

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    std::vector<double> pollErrors;
    std::vector<double> tickErrors;
    std::vector<double> acknowledgement;
};

std::optional<Figures> measure(const Options& options, const std::string& folder) {
    // The window program is not started: its controller and link run in this process.
    Session session({{}, VELMORA_UNIT_SIM, folder});
    if (const Started started = session.startUnit(); !started) {
        std::fprintf(stderr, "%s\n", started.error().c_str());
        return std::nullopt;
    }
    FormModel model;
    SerialLink serial;
    NoDialogs dialogs;
    Controller controller(model, serial, dialogs);
    std::optional<WindowHistory> history;
    if (!options.history.empty()) {
        store::StoreLocation location;
        location.sqliteFile = QString::fromStdString(options.history);
        location.shown = options.history;
        controller.keepHistory(history.emplace(location));
    }
    qputenv("VELMORA_COM1", QByteArray::fromStdString(folder + "/com1"));
    controller.startUp();

    Figures figures;
    double shownAt = 0;
    model.setListener([&](std::string_view control) {
        if (control == "Label19" && model.text("Label19"_control) == "Programmato")
            shownAt = monotonicMs();
    });
    for (int run = 0; run < options.programmings; ++run) {
        shownAt = 0;
        QEventLoop loop;
        QObject::connect(&serial, &SerialLink::acknowledged, &loop, &QEventLoop::quit);
        QTimer::singleShot(kAcknowledgementTimeoutMs, &loop, &QEventLoop::quit);
        controller.program();
        loop.exec();
        runFor(kLogCatchUpMs);
        const auto lastByte = lastSentAtOrBefore(session.unitLog(), shownAt);
        if (shownAt == 0 || !lastByte)
            std::fprintf(stderr, "programming %d not acknowledged\n", run);
        else
            figures.acknowledgement.push_back(shownAt - *lastByte);
        runFor(kBetweenProgrammingsMs);
    }

    // Poll cadence, as the unit saw the polls arrive, with Timer4 running after the
    // programmings: its restarts must not shift the polls. The ticks as the program saw
    // them tell its own jitter from the pseudo-terminal's.
    const double cadenceFrom = monotonicMs() + kCadenceSettleMs;
    std::vector<double> ticks;
    QObject::connect(serial.findChild<QTimer*>("Timer1"), &QTimer::timeout, [&] {
        if (monotonicMs() > cadenceFrom)
            ticks.push_back(monotonicMs());
    });
    runFor((options.polls + 1) * SerialLink::kPollMs + 100);
    std::vector<double> polls;
    for (const double at : pollArrivals(session.unitLog()))
        if (at > cadenceFrom)
            polls.push_back(at);
    figures.pollErrors = intervalErrors(polls, SerialLink::kPollMs);
    figures.tickErrors = intervalErrors(ticks, SerialLink::kPollMs);
    return figures;
}

void summarise(const char* what, const std::vector<double>& values) {
    std::printf("%s: %zu samples; median %.3f ms, p99 %.3f ms, max %.3f ms\n", what, values.size(),
                percentile(values, 0.5), percentile(values, 0.99), percentile(values, 1.0));
}

} // namespace

int main(int argc, char** argv) {
    const Accepted accepted{{"--history"}, {}, {}, 2};
    const auto options = readOptions(
        {argv + 1, argv + argc}, accepted, Options{}, [](OptionValues& values, Options& options) {
            values.wholeWord(0, "POLLS", options.polls, 2, 100000);
            values.wholeWord(1, "PROGRAMMINGS", options.programmings, 0, 10000);
            values.text("--history", options.history);
        });
    if (!options)
        return refuseArguments("link_timing", options.problems(), kUsage);
    QCoreApplication application(argc, argv);
    const auto measured = measureRepeatedly(
        1, "link-timing", [&](const std::string& folder) { return measure(*options, folder); });
    if (!measured) {
        std::fprintf(stderr, "the simulated unit did not start\n");
        return 1;
    }
    const Figures& figures = measured->front();
    summarise("poll intervals at the unit, distance from 200 ms", figures.pollErrors);
    summarise("poll ticks in the program, distance from 200 ms", figures.tickErrors);
    summarise("last acknowledgement byte to \"Programmato\"", figures.acknowledgement);
    return 0;
}
