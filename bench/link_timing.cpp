// link_timing: how well the serial link keeps the protocol's timing against the
// simulated unit paced at 9600 baud. Measures the distance of each poll interval from
// 200 ms (as the unit saw the polls arrive, Timer4 running) and the time from the unit's writing of
// the last acknowledgement byte to "Programmato" in the window's model.
//
//   link_timing [POLLS] [PROGRAMMINGS]      defaults: 110 polls, 30 programmings
#include "app/controller.h"
#include "link/serial_link.h"
#include "model/form_model.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using velmora::operator""_control;

class NoDialogs : public velmora::OperatorDialogs {
public:
    std::optional<QString> askPort() override { return QStringLiteral("1"); }
    void beep() override {}
    void show(const velmora::Notice& notice) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(notice.text));
    }
    QString chooseSaveFile(const QString&) override { return {}; }
    QString chooseImportFile(const QString&) override { return {}; }
};

double monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct LogLine {
    double ms;
    QByteArray direction;
    QByteArray bytes;
};

std::vector<LogLine> readLog(const QString& path) {
    std::vector<LogLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return lines;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype first = line.indexOf(' ');
        const qsizetype second = line.indexOf(' ', first + 1);
        if (first < 0 || second < 0) {
            continue;
        }
        lines.push_back({line.left(first).toDouble(), line.mid(first + 1, second - first - 1),
                         line.mid(second + 1)});
    }
    return lines;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return NAN;
    }
    std::sort(values.begin(), values.end());
    const auto index =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

std::vector<double> distancesFromPollInterval(const std::vector<double>& times) {
    std::vector<double> distances;
    for (std::size_t i = 1; i < times.size(); ++i) {
        distances.push_back(std::abs(times[i] - times[i - 1] - velmora::SerialLink::kPollMs));
    }
    return distances;
}

void summarise(const char* what, const std::vector<double>& values) {
    std::printf("%s: %zu samples; median %.3f ms, p99 %.3f ms, max %.3f ms\n", what, values.size(),
                percentile(values, 0.5), percentile(values, 0.99), percentile(values, 1.0));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int polls = argc > 1 ? std::atoi(argv[1]) : 110;
    const int programmings = argc > 2 ? std::atoi(argv[2]) : 30;

    QTemporaryDir folder;
    const QString link = folder.filePath("com1");
    const QString log = folder.filePath("unit.log");
    QProcess unit;
    unit.start(QStringLiteral(VELMORA_UNIT_SIM), {"--link", link, "--log", log});
    if (!unit.waitForReadyRead(3000)) {
        std::fprintf(stderr, "the simulated unit did not start\n");
        return 1;
    }

    velmora::FormModel model;
    velmora::SerialLink serial;
    NoDialogs dialogs;
    velmora::Controller controller(model, serial, dialogs);
    qputenv("VELMORA_COM1", link.toUtf8());
    controller.startUp();

    // Last acknowledgement byte written by the unit to "Programmato" in the model.
    double shownAt = 0;
    model.setListener([&](std::string_view control) {
        if (control == "Label19" && model.text("Label19"_control) == "Programmato") {
            shownAt = monotonicMs();
        }
    });
    std::vector<double> acknowledgement;
    for (int run = 0; run < programmings; ++run) {
        shownAt = 0;
        QEventLoop loop;
        QObject::connect(&serial, &velmora::SerialLink::acknowledged, &loop, &QEventLoop::quit);
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        controller.program();
        loop.exec();
        runFor(20); // lets the unit finish its log line
        if (shownAt == 0) {
            std::fprintf(stderr, "programming %d not acknowledged\n", run);
            continue;
        }
        const auto lines = readLog(log);
        const auto lastSent = std::find_if(lines.rbegin(), lines.rend(), [](const LogLine& line) {
            return line.direction == "tx";
        });
        acknowledgement.push_back(shownAt - lastSent->ms);
        runFor(300);
    }

    // Poll cadence, as the unit saw the polls arrive, with Timer4 running after the
    // programmings: its restarts must not shift the polls.
    // The ticks as the program saw them tell its own jitter from the pseudo-terminal's.
    const double cadenceFrom = monotonicMs() + 250;
    std::vector<double> tickTimes;
    QObject::connect(serial.findChild<QTimer*>("Timer1"), &QTimer::timeout, [&] {
        if (monotonicMs() > cadenceFrom) {
            tickTimes.push_back(monotonicMs());
        }
    });
    runFor((polls + 1) * velmora::SerialLink::kPollMs + 100);
    std::vector<double> pollTimes;
    for (const LogLine& line : readLog(log)) {
        if (line.direction == "rx" && line.bytes == "55" && line.ms > cadenceFrom) {
            pollTimes.push_back(line.ms);
        }
    }
    const std::vector<double> pollError = distancesFromPollInterval(pollTimes);
    const std::vector<double> tickError = distancesFromPollInterval(tickTimes);

    summarise("poll intervals at the unit, distance from 200 ms", pollError);
    summarise("poll ticks in the program, distance from 200 ms", tickError);
    summarise("last acknowledgement byte to \"Programmato\"", acknowledgement);
    unit.terminate();
    unit.waitForFinished(2000);
    return 0;
}
