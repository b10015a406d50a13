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

// A store fault in the middle of a batch: how it comes, how it is mended, what the
// display says while it lasts (at least `lastsMs`), and whether no unit may be taken
// meanwhile. A full disk need not stall the line: the store, reconnecting, checkpoints
// SQLite's write-ahead log away and so makes room for a few more commits; a unit is
// still given its number only once the number is committed.
enum class Fault { ServerCrash, ServerFrozen, DiskFull };
struct FaultCase {
    const char* name;
    Fault fault;
    const char* says;
    int lastsMs;
    bool stalls;
};

// The store a fault's batch works on: a PostgreSQL server of the test's own (see
// pg-server), which it may crash or freeze without disturbing the other tests' server,
// or an SQLite file on a 1 MB tmpfs that a filler fills.
class FaultyStore {
public:
    FaultyStore(Fault fault, const std::filesystem::path& disk)
        : fault_(fault), disk_(disk),
          server_(QStringLiteral("/tmp/velmora-pg-fault-%1").arg(::getpid())) {
        std::filesystem::create_directories(disk_);
        if (fault != Fault::DiskFull)
            unusable_ = server("start") ? "" : "the test's PostgreSQL server did not start";
        else if (::geteuid() != 0)
            unusable_ = "mounting a small tmpfs for the store needs root";
        else if (::mount("tmpfs", disk_.c_str(), "tmpfs", 0, "size=1m") != 0)
            unusable_ = std::string("no tmpfs could be mounted: ") + std::strerror(errno);
    }
    ~FaultyStore() {
        if (fault_ != Fault::DiskFull)
            server("stop");
        else if (unusable_.empty())
            ::umount2(disk_.c_str(), MNT_DETACH);
    }
    const std::string& unusable() const { return unusable_; }
    QStringList storeArguments() const {
        if (fault_ == Fault::DiskFull)
            return {"--store", pathText(disk_ / "production.sqlite")};
        return {"--store", "host=" + server_ + " user=velmora dbname=postgres"};
    }
    bool breakIt() {
        struct statvfs room {};
        switch (fault_) {
        case Fault::ServerCrash:
            return server("crash");
        case Fault::ServerFrozen:
            return signalServer(SIGSTOP);
        case Fault::DiskFull:
            if (::statvfs(disk_.c_str(), &room) != 0)
                return false;
            writeText(disk_ / "filler", std::string(room.f_bavail * room.f_frsize, 'x'));
            return true;
        }
        return false;
    }
    bool mend() {
        switch (fault_) {
        case Fault::ServerCrash:
            return server("restart");
        case Fault::ServerFrozen:
            return signalServer(SIGCONT);
        case Fault::DiskFull:
            return std::filesystem::remove(disk_ / "filler");
        }
        return false;
    }

private:
    bool server(const char* action) const {
        return QProcess::execute(QStringLiteral(VELMORA_PG_SERVER), {action, server_}) == 0;
    }
    // The postmaster first, so that it starts no other process while they stop, then
    // every process it started.
    bool signalServer(int signal) const {
        std::ifstream pidFile((server_ + "/data/postmaster.pid").toStdString());
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

    Fault fault_;
    std::filesystem::path disk_;
    QString server_;
    std::string unusable_;
};

class StoreFaults : public testing::TestWithParam<FaultCase> {};

// The store crashes, freezes or fills in mid-batch: the positions finish their units and
// take no new one while it lasts, the display says why, and the batch goes on by itself
// once it is mended, every number in exactly one unit and on record. The store's calls
// never run on the thread that polls the cradles: the polls keep their 200 ms tick.
TEST_P(StoreFaults, StallTheLineButNeverThePollsAndLoseNoNumber) {
    SimulatedUnit::ensureApplication();
    const FaultCase& fault = GetParam();
    Folder folder;
    FaultyStore store(fault.fault, folder / "disk");
    if (!store.unusable().empty())
        GTEST_SKIP() << store.unusable();
    const auto file = folder.save("site.prg", site(1));
    ASSERT_EQ(runCli(QStringList{"job", "create", "j", pathText(file), "--numbers", "101-110"} +
                     store.storeArguments())
                  .exitCode,
              0);
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    // The first units stay a second in their cradles once done: the positions poll them
    // at their tick with no store call pending, the cadence to compare with.
    std::vector<JigOperator::Plan> heldUnits;
    for (int unit = 1; unit <= 2; ++unit)
        for (int position = 1; position <= 2; ++position)
            heldUnits.push_back({position, unit, {}, {}, 1000});
    JigOperator line(
        jig, QStringList{"batch", "--job", "j"} + store.storeArguments() + jig.deviceArguments(),
        heldUnits);
    ASSERT_TRUE(line.serve(20000, QRegularExpression("position \\d \\d+: done"), 4)) << line.err();
    std::vector<double> brokeAt;
    for (std::size_t p = 0; p < jig.size(); ++p)
        brokeAt.push_back(lastByteAt(jig[p]));
    ASSERT_TRUE(store.breakIt());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return line.serve(20) || holds(line.out(), fault.says); }, 20000))
        << line.out();
    const std::size_t handled = numbersSent(jig, 101, 10).size();
    EXPECT_LT(handled, 10u);
    while (clock.elapsed() < std::max<qint64>(fault.lastsMs, 3000) && !line.serve(20)) {
    }
    if (fault.stalls) {
        EXPECT_EQ(numbersSent(jig, 101, 10).size(), handled) << "a unit taken while it failed";
    }
    std::vector<double> mendedAt;
    for (std::size_t p = 0; p < jig.size(); ++p)
        mendedAt.push_back(lastByteAt(jig[p]));
    ASSERT_TRUE(store.mend());
    ASSERT_EQ(line.finish(30000), 0) << line.err();
    EXPECT_TRUE(holds(line.out(), "the store answers again; the batch goes on"));
    EXPECT_EQ(numbersSent(jig, 101, 10), range(101, 10));
    const CliRun shown = runCli(QStringList{"job", "show", "j"} + store.storeArguments());
    EXPECT_TRUE(holds(shown.out, "free       0\nsent       0\nprogrammed 10\n")) << shown.out;
    double before = 0;
    double during = 0;
    for (std::size_t p = 0; p < jig.size(); ++p) {
        before = std::max(before, answeredPollP99(jig[p], 0, brokeAt[p]));
        during = std::max(during, answeredPollP99(jig[p], brokeAt[p], mendedAt[p]));
    }
    std::cout << "answered poll interval p99: " << before << " ms before, " << during
              << " ms during the fault\n";
    EXPECT_GT(before, 150.0);
    EXPECT_GT(during, 150.0);
    EXPECT_LT(during, 250.0);
}

INSTANTIATE_TEST_SUITE_P(
    CrashFreezeFull, StoreFaults,
    testing::Values(FaultCase{"ServerCrash", Fault::ServerCrash, "the store cannot be written", 0,
                              true},
                    FaultCase{"ServerFrozen", Fault::ServerFrozen, "the store has not answered for",
                              5000, true},
                    FaultCase{"DiskFull", Fault::DiskFull, "disk is full", 0, false}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace velmora::cli_test
