#pragma once

#include "protocol/frames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora::cli_test {

using Bytes = std::vector<std::uint8_t>;

// QProcess wants an application object; the tests run without an event loop.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "cli_device_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// velmora-unit-sim on a pseudo-terminal behind a symbolic link, with its byte log,
// switched through its control channel.
class SimulatedUnit {
public:
    explicit SimulatedUnit(const QStringList& options = {}) {
        ensureApplication();
        link_ = folder_.filePath(QStringLiteral("line"));
        log_ = folder_.filePath(QStringLiteral("unit.log"));
        process_.start(QStringLiteral(VELMORA_UNIT_SIM),
                       QStringList{"--link", link_, "--log", log_} + options);
        started_ = !readLine().isEmpty();
    }
    ~SimulatedUnit() {
        process_.terminate();
        process_.waitForFinished(2000);
    }
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    bool started() const { return started_; }
    const QString& link() const { return link_; }

    // One control line ("silent on"), answered with "ok".
    bool control(const QString& line) {
        process_.write((line + '\n').toUtf8());
        return readLine() == QLatin1String("ok");
    }

    // Every 98-byte frame the unit took from the line, in order.
    std::vector<Bytes> framesReceived() const {
        Bytes all;
        QFile file(log_);
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QList<QByteArray> words = line.split(' ');
                if (words.size() < 3 || words[1] != "rx")
                    continue;
                for (qsizetype i = 2; i < words.size(); ++i)
                    all.push_back(static_cast<std::uint8_t>(words[i].toUInt(nullptr, 16)));
            }
        // Polls "U" stand between frames; a frame starts with 0xAA and runs 98 bytes.
        std::vector<Bytes> frames;
        for (std::size_t i = 0; i < all.size();) {
            if (all[i] != kFrameStart || i + kFrameSize > all.size()) {
                ++i;
                continue;
            }
            frames.emplace_back(all.begin() + static_cast<long>(i),
                                all.begin() + static_cast<long>(i + kFrameSize));
            i += kFrameSize;
        }
        return frames;
    }

private:
    QString readLine() {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(3000))
                return {};
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

    QTemporaryDir folder_;
    QString link_;
    QString log_;
    QProcess process_;
    bool started_ = false;
};

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    qint64 elapsedMs = 0;
};

// Runs velmora-cli to its end (at most `limitMs`), port 1 mapped to `port1`.
inline CliRun runCli(const QStringList& arguments, const QString& port1 = {}, int limitMs = 10000) {
    ensureApplication();
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!port1.isEmpty())
        environment.insert(QStringLiteral("VELMORA_COM1"), port1);
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(VELMORA_CLI), arguments);
    CliRun run;
    if (!cli.waitForFinished(limitMs)) {
        cli.kill();
        cli.waitForFinished(1000);
        return run;
    }
    run.elapsedMs = clock.elapsed();
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = cli.readAllStandardOutput().toStdString();
    run.err = cli.readAllStandardError().toStdString();
    return run;
}

// Waits until `done` holds, checking every 10 ms; false after `limitMs`.
inline bool waitUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace velmora::cli_test
