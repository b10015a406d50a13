#include "cli_process.h"
#include "link/serial_link.h"

#include <QFileInfo>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <sys/stat.h>

namespace velmora::cli_test {
namespace {

// A private configuration folder, stable-name folder and lock folder, and no port chosen
// by the environment, for as long as the test runs.
struct PortsSetting {
    PortsSetting() {
        std::filesystem::create_directories(byId);
        std::filesystem::create_directories(locks);
        qputenv("XDG_CONFIG_HOME", pathText(config).toUtf8());
        qputenv("VELMORA_SERIAL_BY_ID", pathText(byId).toUtf8());
        qputenv("VELMORA_LOCK_FOLDER", pathText(locks).toUtf8());
        for (int n = 1; n <= 8; ++n)
            qunsetenv(("VELMORA_COM" + QByteArray::number(n)).constData());
    }
    ~PortsSetting() {
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("VELMORA_SERIAL_BY_ID");
        qunsetenv("VELMORA_LOCK_FOLDER");
    }

    Folder folder;
    const std::filesystem::path config = folder / "config";
    const std::filesystem::path byId = folder / "by-id"; // as udev names USB adapters
    const std::filesystem::path locks = folder / "locks";
};

// The setting with one simulated unit.
struct PortsWithAUnit : testing::Test {
    void SetUp() override { ASSERT_TRUE(unit.started()); }
    PortsSetting setting;
    SimulatedUnit unit;
};

QString deviceOf(const SimulatedUnit& unit) {
    return QFileInfo(unit.link()).canonicalFilePath();
}

testing::AssertionResult has(const std::string& text, const QString& part) {
    return holds(text, part.toStdString());
}

TEST_F(PortsWithAUnit, MapUnmapResolutionOrderAndRefusals) {
    const QString stable = pathText(setting.byId / "usb-FTDI_FT232R_A50285BI-if00-port0");
    ASSERT_TRUE(QFile::link(deviceOf(unit), stable));
    const QString absent = pathText(setting.folder / "ttyUSB7");
    const QString last = pathText(setting.folder / "ttyUSB8"); // port 8 is kept as port 1 is

    struct Step {
        QStringList arguments;
        QString environmentCom3; // VELMORA_COM3 for this run, none when empty
        int exitCode;
        QStringList saysOut;
        QString saysErr;
    };
    const std::vector<Step> steps{
        // Mapped by its target, stored by its stable name.
        {{"ports", "map", "1", deviceOf(unit)}, {}, 0, {"port 1: " + stable}, {}},
        {{"ports", "map", "2", unit.link()}, {}, 2, {}, "is already port 1"},
        {{"ports", "map", "3", absent}, {}, 2, {}, "no device " + absent},
        {{"ports", "map", "3", absent, "--force"}, {}, 0, {"port 3: " + absent}, {}},
        {{"ports", "map", "8", last, "--force"}, {}, 0, {"port 8: " + last}, {}},
        {{"ports", "map", "9", deviceOf(unit)}, {}, 2, {}, "1 to 8"},
        {{"ports", "unmap", "4"}, {}, 0, {"port 4 was not mapped; it is /dev/ttyS3 (default)"}, {}},
        {{"ports", "map", "1"}, {}, 2, {}, "map N DEVICE"},
        {{"ports", "remap"}, {}, 2, {}, "unknown action"},
        // The environment goes before the map; set but empty, it is no choice.
        {{"ports"},
         "/dev/ttyUSB0",
         0,
         {"1  " + stable + "  (map)", "2  /dev/ttyS1  (default",
          "3  /dev/ttyUSB0  (environment, missing)", "4  /dev/ttyS3  (default",
          "8  " + last + "  (map, missing)"},
         {}},
        {{"ports", "unmap", "3"}, {}, 0, {"port 3: unmapped; now /dev/ttyS2 (default)"}, {}},
        {{"ports", "--json"},
         {},
         0,
         {"{\"number\": 1, \"device\": \"" + stable +
              "\", \"source\": \"map\", \"exists\": true, "
              "\"lock\": null}",
          "{\"number\": 3, \"device\": \"/dev/ttyS2\", \"source\": \"default\""},
         {}},
    };
    for (const Step& step : steps) {
        const std::string name = step.arguments.join(' ').toStdString();
        if (!step.environmentCom3.isEmpty()) {
            qputenv("VELMORA_COM3", step.environmentCom3.toUtf8());
            qputenv("VELMORA_COM2", "");
        }
        const CliRun run = runCli(step.arguments);
        qunsetenv("VELMORA_COM2");
        qunsetenv("VELMORA_COM3");
        EXPECT_EQ(run.exitCode, step.exitCode) << name << "\n" << run.out << run.err;
        for (const QString& part : step.saysOut)
            EXPECT_TRUE(has(run.out, part)) << name;
        EXPECT_TRUE(has(run.err, step.saysErr)) << name;
    }
    EXPECT_EQ(fileText(setting.config / "velmora" / "velmora.conf"),
              "[ports]\n1=" + stable.toStdString() + "\n8=" + last.toStdString() + "\n");
}

TEST(Ports, ProbeFindsTheOneUnitThatAnswersAndLeavesAHeldPortAlone) {
    PortsSetting setting;
    SimulatedUnit answering;
    SimulatedUnit silent;
    SimulatedUnit garbage({"--garbage"});
    SimulatedUnit held;
    ASSERT_TRUE(answering.started() && silent.started() && garbage.started() && held.started());
    {
        // The silent unit's last "V", to a poll of some earlier program, still waits on its
        // line: it answers none of the probe's polls.
        QFile line(silent.link());
        ASSERT_TRUE(line.open(QIODevice::ReadWrite | QIODevice::Unbuffered) &&
                    line.write("U") == 1);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return silent.sent() == std::vector<Bytes>{Bytes{0x56}}; }, 2000));
        ASSERT_TRUE(silent.control("silent on"));
    }
    // Another program holds this unit's line through one name of it; the probe reaches
    // it through the other: every name of one device shares its lock.
    SerialLink holder;
    ASSERT_TRUE(holder.open(held.link()));
    const QString missing = pathText(setting.folder / "ttyUSB7");
    const QStringList devices{answering.link(), silent.link(), garbage.link(), deviceOf(held)};
    for (int n = 0; n < devices.size(); ++n)
        ASSERT_EQ(runCli({"ports", "map", QString::number(n + 1), devices[n]}).exitCode, 0);
    ASSERT_EQ(runCli({"ports", "map", "5", missing, "--force"}).exitCode, 0);

    // A lock file left behind by a program that is gone, its PID now another process's:
    // nobody holds the port.
    writeText(setting.locks /
                  ("LCK.." + deviceOf(answering).mid(5).replace('/', '_').toStdString()),
              "1\nminicom\n" + QSysInfo::machineHostName().toStdString() + "\n");

    const CliRun all = runCli({"ports", "probe"});
    EXPECT_EQ(all.exitCode, 0) << all.out << all.err;
    const QString inUse = QStringLiteral("porta già in uso da un altro programma (%1, PID %2, "
                                         "file di blocco /var/lock/LCK..")
                              .arg(QStringLiteral("cli_device_tests").left(15))
                              .arg(::getpid());
    const QStringList expected{
        "port 1 (" + answering.link() + "): a unit answers",
        "port 2 (" + silent.link() + "): no answer to 3 polls",
        "port 3 (" + garbage.link() + "): no unit: other bytes than \"V\" came back",
        "port 4 (" + deviceOf(held) + "): Impossibile aprire la porta " + deviceOf(held) + ": " +
            inUse,
        "port 5 (" + missing + "): Impossibile aprire la porta " + missing +
            ": il dispositivo non esiste.",
    };
    for (const QString& line : expected)
        EXPECT_TRUE(has(all.out, line));
    // The held unit heard nothing: the probe did not even open its line.
    EXPECT_TRUE(held.received().empty());
    // The earlier program's poll, then the probe's three.
    EXPECT_EQ(joined(silent.received()), Bytes(4, 0x55));

    const CliRun none = runCli({"ports", "probe", "2", "3", "4", "5"});
    EXPECT_EQ(none.exitCode, 3) << none.out << none.err;
    EXPECT_TRUE(has(none.out, "0 of 4 ports with a unit answering"));
    EXPECT_EQ(runCli({"ports", "probe", "9"}).exitCode, 2);
}

// A map file that is there but cannot be used is named, with the reason, by every
// command that resolves a port number; no number falls back to the default device, and
// the map is not written over. Run as an ordinary user: root reads any file.
TEST(Ports, ABrokenMapIsNamedAndNoNumberFallsBackToTheDefault) {
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && !std::filesystem::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs setpriv (util-linux) to run as user 65534";
    PortsSetting setting;
    const auto conf = setting.config / "velmora" / "velmora.conf";
    const QString site = pathText(setting.folder.save("site.prg", windowAfter()));
    const struct {
        const char* name;
        std::function<void()> prepare;
        std::string reason;
    } cases[] = {
        {"a folder", [&] { std::filesystem::create_directories(conf); },
         "è una cartella, non un file"},
        {"unreadable",
         [&] {
             writeText(conf, "[ports]\n1=/dev/ttyUSB0\n");
             std::filesystem::permissions(conf, std::filesystem::perms::none);
         },
         "non si può leggere (permesso negato)"},
        {"not an INI file", [&] { writeText(conf, "[ports]\n1=/dev/ttyUSB0\nrubbish\n"); },
         "non è un file di impostazioni (riga 3)"},
        {"not text", [&] { writeText(conf, "[ports]\n1=/dev/\xff\xfe\n"); },
         "non è un file di testo leggibile"},
    };
    for (const auto& test : cases) {
        std::filesystem::remove_all(setting.config);
        std::filesystem::create_directories(conf.parent_path());
        test.prepare();
        const std::string named = "il file delle porte \"" + conf.string() + "\" " + test.reason;
        const struct {
            QStringList arguments;
            int exitCode;
            std::string says;
        } commands[] = {
            {{"ports"}, 4, named},
            {{"read", "--port", "1", "-o", pathText(setting.folder / "unit.prg")},
             4,
             "Impossibile aprire la porta 1: " + named},
            {{"ports", "probe", "1"}, 4, named},
            {{"batch", site, "--port", "2,1", "--number-from", "1", "--count", "1"}, 4, named},
            {{"ports", "map", "1", "/dev/null"}, 2, named + ": nothing changed"},
        };
        for (const auto& command : commands) {
            const std::string name = test.name + (" " + command.arguments.join(' ').toStdString());
            const CliRun run =
                runCli(command.arguments, {}, 10000, asRoot ? kAsOrdinaryUser : QStringList{});
            EXPECT_EQ(run.exitCode, command.exitCode) << name << "\n" << run.out << run.err;
            EXPECT_TRUE(holds(run.err, command.says)) << name;
            EXPECT_FALSE(holds(run.err, "ttyS0") || holds(run.out, "  1  /dev/ttyS0")) << name;
        }
        EXPECT_FALSE(std::filesystem::exists(setting.folder / "unit.prg"));
        EXPECT_EQ(std::filesystem::is_directory(conf), test.name == std::string("a folder"));
    }
}

// A device whose name is not UTF-8 ("unità" written in Latin-1) is found, mapped by its
// stable name, listed and opened by its real name.
TEST_F(PortsWithAUnit, ANameThatIsNotUtf8IsTheDevicesRealName) {
    const std::string device = deviceOf(unit).toStdString();
    const auto given = setting.folder / "unit\xe0";
    const auto stable = setting.byId / "usb-Velmora_unit\xe0-if00";
    std::filesystem::create_symlink(device, given);
    std::filesystem::create_symlink(device, stable);
    // Through the shell, which hands the bytes on as they are: Qt would take them for text.
    const QStringList asBytes{"/bin/sh", "-c", R"sh(exec "$0" ports map 1 "$(printf "$1")")sh"};
    const CliRun mapped =
        runCli({pathText(given.parent_path()) + "/unit\\340"}, {}, 10000, asBytes);
    EXPECT_EQ(mapped.exitCode, 0) << mapped.err;
    EXPECT_EQ(mapped.out, "port 1: " + stable.string() + " (" + given.string() + ")\n");

    const CliRun listed = runCli({"ports"});
    EXPECT_TRUE(holds(listed.out, "  1  " + stable.string() + "  (map)\n")) << listed.out;
    const CliRun json = runCli({"ports", "--json"});
    EXPECT_TRUE(holds(json.out, "{\"number\": 1, \"device\": \"" + setting.byId.string() +
                                    "/usb-Velmora_unit\\udce0-if00\", \"source\": \"map\", "
                                    "\"exists\": true"))
        << json.out;
    EXPECT_TRUE(holds(runCli({"ports", "probe", "1"}).out, "a unit answers"));
}

// A lock file that names a live process blocks the port; the refusal names the file, the
// process and how to check it really uses the port, and the listing shows the lock.
TEST_F(PortsWithAUnit, ALockNamesItsFileItsOwnerAndHowToCheckIt) {
    const QString device = deviceOf(unit);
    const QString lockFile = "/var/lock/LCK.." + device.mid(5).replace('/', '_');
    QFile lock(lockFile);
    if (!lock.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "cannot write the lock file " << lockFile.toStdString();
    lock.write("         1\n"); // the form other serial programs write: the PID alone
    lock.close();
    ASSERT_EQ(runCli({"ports", "map", "1", device}).exitCode, 0);
    const QString owner = "PID 1, file di blocco " + lockFile;

    const CliRun listed = runCli({"ports"});
    const CliRun read = runCli({"read", "--port", "1", "-o", pathText(setting.folder / "u.prg")});
    QFile::remove(lockFile);
    EXPECT_TRUE(has(listed.out, "  1  " + device + "  (map, held by ")) << listed.out;
    EXPECT_TRUE(has(listed.out, owner + ")\n")) << listed.out;
    EXPECT_EQ(read.exitCode, 4);
    EXPECT_TRUE(has(read.err, owner + ")")) << read.err;
    // Root sees that process 1 does not have the port open; anyone else is told how to look.
    EXPECT_TRUE(has(read.err, ::geteuid() == 0 ? "Il processo 1 non ha aperto " + device +
                                                     ": il file di blocco è rimasto"
                                               : "sudo ls -l /proc/1/fd | grep " + device))
        << read.err;
    EXPECT_TRUE(has(read.err, "sudo rm " + lockFile));
    EXPECT_TRUE(unit.received().empty());
}

// Another user's open of a device without rights: the advice names a group only when
// that group may read and write the device.
TEST_F(PortsWithAUnit, NoRightsAdviceNamesOnlyAGroupThatMayUseTheDevice) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to hand the device to root and open it as user 65534";
    if (!std::filesystem::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs setpriv (util-linux) to open the device as user 65534";
    if (runCli({"--version"}, {}, 5000, kAsOrdinaryUser).exitCode != 0)
        GTEST_SKIP() << "user 65534 cannot run " << VELMORA_CLI;
    const QByteArray device = QFile::encodeName(deviceOf(unit));
    const std::tuple<const char*, mode_t, QString, QString> cases[] = {
        {"dialout", 0660, "l'utente deve far parte del gruppo \"dialout\"", {}},
        {"root", 0600, "permesso negato", "\"root\""},
        {"tty", 0620, "permesso negato", "\"tty\""},
        {"dialout", 0640, "permesso negato", "\"dialout\""}, // the group may only read
    };
    for (const auto& [groupName, mode, says, never] : cases) {
        const group* owner = getgrnam(groupName);
        ASSERT_TRUE(owner) << groupName;
        ASSERT_EQ(chown(device.constData(), 0, owner->gr_gid), 0);
        ASSERT_EQ(chmod(device.constData(), mode), 0);
        const CliRun probe =
            runCli({"ports", "probe", "1"}, deviceOf(unit), 10000, kAsOrdinaryUser);
        const std::string& out = probe.out;
        EXPECT_EQ(probe.exitCode, 3) << groupName;
        EXPECT_TRUE(has(out, says)) << groupName;
        if (!never.isEmpty()) {
            EXPECT_FALSE(has(out, never)) << groupName;
        }
    }
    EXPECT_TRUE(unit.received().empty());
}

} // namespace
} // namespace velmora::cli_test
