#pragma once

#include "cli_test_support.h"
#include "production/record_reading.h"
#include "tests/common/simulated_unit.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>

namespace velmora::cli_test {

using ::Bytes;
using ::SimulatedUnit;

// The 98-byte frames among the chunks the unit took; polls "U" stand between them.
inline std::vector<Bytes> framesIn(const std::vector<Bytes>& chunks) {
    const Bytes all = joined(chunks);
    std::vector<Bytes> frames;
    for (std::size_t i = 0; i + kFrameSize <= all.size(); ++i)
        if (all[i] == kFrameStart) {
            frames.emplace_back(all.begin() + static_cast<long>(i),
                                all.begin() + static_cast<long>(i + kFrameSize));
            i += kFrameSize - 1;
        }
    return frames;
}

inline QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// The numbers a record shows as sent to a unit, read as record import reads them.
inline std::set<long> sentNumbersIn(const QString& record) {
    const auto entries = production::readRecord(record);
    EXPECT_TRUE(entries) << (entries ? "" : entries.error().message);
    std::set<long> sent;
    for (const production::RecordEntry& entry :
         entries ? *entries : std::vector<production::RecordEntry>{})
        if (entry.frameSent)
            sent.insert(entry.number);
    return sent;
}

inline Bytes bytesOf(const Frame& frame) {
    return Bytes(frame.begin(), frame.end());
}

// Runs a program as the user 65534 in the group 100 ("users"), when given as the wrapper
// of runCli from a test that runs as root: rights are what such a test checks.
inline const QStringList kAsOrdinaryUser{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                         "--groups=100"};

// Sends `signal` to a child that still runs. An ended child's id is 0, and kill(0, ...)
// would signal the whole process group, the test runner included.
inline bool signalChild(QProcess& child, int signal) {
    const auto pid = static_cast<pid_t>(child.processId());
    return child.state() == QProcess::Running && pid > 0 && ::kill(pid, signal) == 0;
}

// For setChildProcessModifier(): the child may write files of at most `bytes` bytes, and
// a write past that fails instead of killing it.
inline std::function<void()> fileSizeLimit(rlim_t bytes) {
    return [bytes] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
}

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    qint64 elapsedMs = 0;
};

// Runs velmora-cli to its end (at most `limitMs`), port 1 mapped to `port1`; through
// `wrapper` (a program and its words, velmora-cli's path appended) when one is given.
inline CliRun runCli(const QStringList& arguments, const QString& port1 = {}, int limitMs = 10000,
                     const QStringList& wrapper = {}) {
    SimulatedUnit::ensureApplication();
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!port1.isEmpty())
        environment.insert(QStringLiteral("VELMORA_COM1"), port1);
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    if (wrapper.isEmpty())
        cli.start(QStringLiteral(VELMORA_CLI), arguments);
    else
        cli.start(wrapper[0], wrapper.mid(1) + QStringList{VELMORA_CLI} + arguments);
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

// What a Python script printed about `arguments`, as a spreadsheet script reads a record;
// none where Python is not installed.
inline std::optional<std::string> python(const char* script, const QStringList& arguments) {
    if (QStandardPaths::findExecutable("python3").isEmpty())
        return std::nullopt;
    QProcess python;
    python.start("python3", QStringList{"-c", script} + arguments);
    if (!python.waitForFinished(10000) || python.exitCode() != 0)
        return "python3 failed: " + python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().toStdString();
}

} // namespace velmora::cli_test
