#include "jig_operator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

private:
    QString folder_;
    bool started_ = false;
};

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
