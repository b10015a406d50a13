#include "jig_operator.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace velmora::cli_test {
namespace {

// A PostgreSQL server of the test's own (see pg-server), which the test may crash or
// freeze without disturbing the other tests' server.
class PrivateServer {
public:
    PrivateServer() : folder_(QStringLiteral("/tmp/velmora-pg-fault-%1").arg(::getpid())) {
        started_ = control("start");
    }
    ~PrivateServer() { control("stop"); }
    bool started() const { return started_; }
    bool control(const char* action) const {
        return QProcess::execute(QStringLiteral(VELMORA_PG_SERVER), {action, folder_}) == 0;
    }
    QStringList storeArguments() const {
        return {"--store", "host=" + folder_ + " user=velmora dbname=postgres"};
    }
    // SIGSTOP or SIGCONT to the postmaster and every process it started, the postmaster
    // first so that it starts no other while they stop.
    bool signalAll(int signal) const {
        std::ifstream pidFile((folder_ + "/data/postmaster.pid").toStdString());
        long postmaster = 0;
        if (!(pidFile >> postmaster) || ::kill(static_cast<pid_t>(postmaster), signal) != 0)
            return false;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            std::ifstream stat(("/proc/" + entry + "/stat").toStdString());
            std::string line;
            std::getline(stat, line);
            // pid (name) state ppid: the name may hold blanks, so read after its ")".
            const auto close = line.rfind(')');
            long parent = 0;
            if (close != std::string::npos &&
                std::sscanf(line.c_str() + close + 1, " %*c %ld", &parent) == 1 &&
                parent == postmaster)
                ::kill(static_cast<pid_t>(entry.toLong()), signal);
        }
        return true;
    }

private:
    QString folder_;
    bool started_ = false;
};

// The 99th percentile of the intervals between polls "U" that the unit answered with "V",
// in the unit's clock from `from` to `to`; an interval that holds a frame is left out
// (the position was busy with a unit). An unanswered poll waits out the link's watchdog
// before the next tick, so only answered ones show the tick itself.
double answeredPollP99(const SimulatedUnit& unit, double from, double to) {
    const LineTimes times = lineTimes(unit);
    std::vector<double> answers;
    for (const auto& [ms, bytes] : unit.timedChunks("tx"))
        if (bytes == Bytes{kConnectReply})
            answers.push_back(ms);
    const auto anyWithin = [](const std::vector<double>& at, double start, double end) {
        return std::any_of(at.begin(), at.end(), [&](double t) { return t > start && t < end; });
    };
    std::vector<double> intervals;
    for (std::size_t i = 1; i < times.polls.size(); ++i) {
        const double start = times.polls[i - 1];
        const double end = times.polls[i];
        if (start >= from && end <= to && !anyWithin(times.frames, start, end) &&
            anyWithin(answers, start, end))
            intervals.push_back(end - start);
    }
    if (intervals.empty())
        return 0;
    std::sort(intervals.begin(), intervals.end());
    return intervals[(intervals.size() * 99 - 1) / 100];
}

double lastByteAt(const SimulatedUnit& unit) {
    const auto chunks = unit.timedChunks("rx");
    return chunks.empty() ? 0 : chunks.back().ms;
}

// The database server crashes in the middle of a batch and comes back: the positions
// finish their units, take no new one while it is away, the display says why, and the
// batch goes on by itself; every number still reaches exactly one unit.
TEST(StoreFaults, AStoreThatGoesAwayStallsTheLineUntilItIsBack) {
    SimulatedUnit::ensureApplication();
    PrivateServer server;
    ASSERT_TRUE(server.started());
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    JigOperator line(jig,
                     QStringList{"batch", pathText(file), "--number-from", "101", "--count", "8"} +
                         server.storeArguments() + jig.deviceArguments());
    ASSERT_TRUE(line.serve(20000, QRegularExpression("position \\d \\d+: done"), 2)) << line.err();
    ASSERT_TRUE(server.control("crash"));
    const bool stalled = QTest::qWaitFor(
        [&line] { return line.serve(50) || holds(line.out(), "the store cannot be written"); },
        20000);
    const int handled = static_cast<int>(numbersSent(jig, 101, 8).size());
    QTest::qWait(1500);
    EXPECT_EQ(static_cast<int>(numbersSent(jig, 101, 8).size()), handled);
    ASSERT_TRUE(server.control("restart"));
    EXPECT_TRUE(stalled) << line.err();
    EXPECT_EQ(line.finish(30000), 0) << line.err();
    EXPECT_TRUE(holds(line.out(), "the store answers again; the batch goes on"));
    EXPECT_EQ(numbersSent(jig, 101, 8), range(101, 8));
}

// The database server frozen (SIGSTOP) for 5 s in mid-batch: the positions take no new
// unit, the display says why, and the batch goes on once it thaws; the store's calls
// never run on the thread that polls the cradles, so the polls keep their cadence.
TEST(StoreFaults, AFrozenServerStallsNewUnitsButNeverThePolls) {
    SimulatedUnit::ensureApplication();
    PrivateServer server;
    ASSERT_TRUE(server.started());
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    // The first units stay a second in their cradles once done: the positions poll them
    // at their tick with no store call pending, the cadence to compare with.
    std::vector<JigOperator::Plan> heldUnits;
    for (int unit = 1; unit <= 2; ++unit)
        for (int position = 1; position <= 2; ++position)
            heldUnits.push_back({position, unit, {}, {}, 1000});
    JigOperator line(jig,
                     QStringList{"batch", pathText(file), "--number-from", "101", "--count", "10"} +
                         server.storeArguments() + jig.deviceArguments(),
                     heldUnits);
    ASSERT_TRUE(line.serve(20000, QRegularExpression("position \\d \\d+: done"), 4)) << line.err();
    std::vector<double> frozeAt;
    for (std::size_t p = 0; p < jig.size(); ++p)
        frozeAt.push_back(lastByteAt(jig[p]));
    ASSERT_TRUE(server.signalAll(SIGSTOP));
    const auto serveFor = [&line](int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && !line.serve(20)) {
        }
    };
    serveFor(2500);
    const std::size_t handled = numbersSent(jig, 101, 10).size();
    serveFor(2500);
    EXPECT_EQ(numbersSent(jig, 101, 10).size(), handled) << "a unit taken while frozen";
    std::vector<double> thawedAt;
    for (std::size_t p = 0; p < jig.size(); ++p)
        thawedAt.push_back(lastByteAt(jig[p]));
    ASSERT_TRUE(server.signalAll(SIGCONT));
    EXPECT_TRUE(holds(line.out(), "the store has not answered for")) << line.out();
    ASSERT_EQ(line.finish(30000), 0) << line.err();
    EXPECT_TRUE(holds(line.out(), "the store answers again; the batch goes on"));
    EXPECT_EQ(numbersSent(jig, 101, 10), range(101, 10));
    double before = 0;
    double frozen = 0;
    for (std::size_t p = 0; p < jig.size(); ++p) {
        before = std::max(before, answeredPollP99(jig[p], 0, frozeAt[p]));
        frozen = std::max(frozen, answeredPollP99(jig[p], frozeAt[p], thawedAt[p]));
    }
    std::cout << "answered poll interval p99: " << before << " ms before the freeze, " << frozen
              << " ms while the server is frozen\n";
    EXPECT_GT(before, 150.0);
    EXPECT_GT(frozen, 150.0);
    EXPECT_LT(frozen, 250.0);
}

// The disk under the SQLite store fills in mid-batch: no number whose commit failed goes
// out, the display says why, and once there is room again the batch goes on by itself.
TEST(StoreFaults, AFullDiskUnderTheStoreStallsTheLineAndLosesNoNumber) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs for the store needs root";
    SimulatedUnit::ensureApplication();
    Folder folder;
    const auto disk = folder / "disk";
    std::filesystem::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted: " << std::strerror(errno);
    const std::unique_ptr<const char, void (*)(const char*)> mounted(
        disk.c_str(), [](const char* path) { ::umount2(path, MNT_DETACH); });
    const auto file = folder.save("site.prg", site(1));
    const QStringList store{"--store", pathText(disk / "production.sqlite")};
    ASSERT_EQ(
        runCli(QStringList{"job", "create", "full", pathText(file), "--numbers", "101-110"} + store)
            .exitCode,
        0);
    // Room left for the store's shared memory and a few commits, no more.
    struct statvfs room {};
    ASSERT_EQ(::statvfs(disk.c_str(), &room), 0);
    const auto filler = disk / "filler";
    writeText(filler, std::string(room.f_bavail * room.f_frsize - 96 * 1024, 'x'));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    JigOperator line(jig, QStringList{"batch", "--job", "full"} + store + jig.deviceArguments());
    const bool stalled = QTest::qWaitFor(
        [&line] { return line.serve(50) || holds(line.out(), "the store cannot be written"); },
        20000);
    ASSERT_TRUE(stalled) << line.err();
    EXPECT_TRUE(holds(line.out(), "disk is full")) << line.out();
    const auto handled = numbersSent(jig, 101, 10);
    QTest::qWait(1500);
    EXPECT_EQ(numbersSent(jig, 101, 10), handled);
    EXPECT_FALSE(handled.empty());
    EXPECT_LT(handled.size(), 10u);
    std::filesystem::remove(filler);
    ASSERT_EQ(line.finish(30000), 0) << line.err();
    EXPECT_TRUE(holds(line.out(), "the store answers again; the batch goes on"));
    EXPECT_EQ(numbersSent(jig, 101, 10), range(101, 10));
    const CliRun shown = runCli(QStringList{"job", "show", "full"} + store);
    EXPECT_TRUE(holds(shown.out, "free       0\nsent       0\nprogrammed 10\n")) << shown.out;
}

} // namespace
} // namespace velmora::cli_test
