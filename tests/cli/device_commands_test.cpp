#include "cli_process.h"
#include "exchange/form_loading.h"
#include "production/production_record.h"

#include "unit_sim/pseudo_terminal.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace velmora::cli_test {
namespace {

// Plays a unit on the master side of a pseudo-terminal: takes one frame after another
// and answers each with the next of `answers`; gives up after 3 s of silence.
void answerFrames(int masterFd, const std::vector<Bytes>& answers) {
    constexpr auto frameSize = static_cast<std::size_t>(kFrameSize);
    for (const Bytes& answer : answers) {
        std::size_t taken = 0;
        std::uint8_t buffer[frameSize];
        while (taken < frameSize) {
            pollfd ready{masterFd, POLLIN, 0};
            if (::poll(&ready, 1, 3000) <= 0)
                return;
            const ssize_t n = ::read(masterFd, buffer, frameSize - taken);
            taken += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        ASSERT_EQ(::write(masterFd, answer.data(), answer.size()),
                  static_cast<ssize_t>(answer.size()));
    }
}

// The lock file that the serial layer keeps beside other programs' locks while it holds
// the device (named after its real path, links followed); empty when there is none.
QString serialLockOf(const QString& link) {
    const QString device = QFileInfo(link).canonicalFilePath();
    QString name = device.startsWith(QStringLiteral("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const QString& folder :
         {QStringLiteral("/var/lock"), QStringLiteral("/run/lock"), QStringLiteral("/tmp"),
          QStringLiteral("/var/tmp"), QDir::tempPath()})
        if (QFile::exists(folder + QStringLiteral("/LCK..") + name))
            return folder + QStringLiteral("/LCK..") + name;
    return {};
}

const OperatorActions kNumberedPanel{"Txtnumero=101", "Check1=1", "Optrete(2)=1", "Text2(4)=10",
                                     "Text3(4)=20"};

TEST(DeviceCommands, ReadThenProgramThenVerifyFindsNoDifference) {
    Folder folder;
    const FormModel held = windowAfter(kNumberedPanel);
    const FormModel wanted = windowAfter({"Option2=1", "Combotono=5", "Txtnumero=2024"});
    const auto heldFile = folder.save("held.prg", held);
    const auto wantedFile = folder.save("wanted.prg", wanted);
    SimulatedUnit unit({"--image", pathText(heldFile)});
    ASSERT_TRUE(unit.started());

    const CliRun read =
        runCli({"read", "--port", "1", "-o", pathText(folder / "got.prg")}, unit.link());
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(fileText(folder / "got.prg"), fileText(heldFile));

    const CliRun program =
        runCli({"program", "--port", "1", pathText(wantedFile), "--verify"}, unit.link());
    ASSERT_EQ(program.exitCode, 0) << program.err;
    EXPECT_EQ(program.out, "programmed and verified\n");

    // On the line: the read request; the programming frame; the verify's read request.
    const std::vector<Bytes> frames = framesIn(unit.received());
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], bytesOf(readRequest()));
    EXPECT_EQ(frames[1], bytesOf(windowFrame(wanted)));
    EXPECT_EQ(frames[2], bytesOf(readRequest()));
}

// A unit storing another number is caught by the production record's test; a read-back
// that no window could show is still compared byte for byte, to the last.
TEST(DeviceCommands, VerifyComparesEveryByteOfTheReadBack) {
    Folder folder;
    Image held = imageOfFrame(windowFrame(windowAfter()));
    imageByte(held, kImageSize) = 200;
    sim::PseudoTerminal line;
    ASSERT_TRUE(line.open());
    std::thread player(
        answerFrames, line.masterFd(),
        std::vector<Bytes>{Bytes(kImageSize, 0x55), Bytes(held.begin(), held.end())});
    const CliRun spoilt = runCli({"program", "--device", QString::fromStdString(line.slavePath()),
                                  pathText(folder.save("default.prg", windowAfter())), "--verify"});
    player.join();
    EXPECT_EQ(spoilt.exitCode, 1) << spoilt.err;
    EXPECT_EQ(spoilt.out, "image byte 96: sent 0, unit holds 200\n");
}

// A unit that stays silent, answers in part or answers wrongly ends the command with
// status 3 once the time-out has passed, never later and never in a hang.
TEST(DeviceCommands, AUnitThatDoesNotAnswerEndsInATimeOut) {
    Folder folder;
    const auto file = folder.save("unit.prg", windowAfter());
    const QString target = pathText(folder / "out.prg");
    const QString input = pathText(file);
    struct Case {
        QStringList unitOptions;
        QStringList command;
        const char* message;
        int atLeastMs;
    };
    const std::vector<Case> cases{
        {{"--silent"},
         {"program", input},
         "no complete answer to the programming frame within 500 ms; the programming frame "
         "went out, so the unit may hold the new configuration",
         500},
        {{"--short", "40"}, {"read", "-o", target}, "no complete answer to the read request", 500},
        {{"--garbage"},
         {"program", input},
         "an image came instead of the acknowledgement; the programming frame went out",
         0},
    };
    for (const Case& test : cases) {
        SimulatedUnit unit(test.unitOptions);
        ASSERT_TRUE(unit.started());
        const CliRun run = runCli(QStringList{test.command[0], "--port", "1", "--timeout", "0.5"} +
                                      test.command.mid(1),
                                  unit.link());
        EXPECT_EQ(run.exitCode, 3) << test.message << run.err;
        EXPECT_TRUE(holds(run.err, test.message));
        EXPECT_GE(run.elapsedMs, test.atLeastMs);
        EXPECT_LT(run.elapsedMs, 2000) << test.message;
        // One frame and nothing else: no poll goes out while an answer is awaited.
        EXPECT_EQ(joined(unit.received()).size(), static_cast<std::size_t>(kFrameSize))
            << test.message;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.prg"));
}

// How each option is read and the refusal's words are the verb table's test; here each
// command's status.
TEST(DeviceCommands, PortProblemsAndBadArgumentsHaveTheirOwnStatus) {
    Folder folder;
    const QString input = pathText(folder.save("unit.prg", windowAfter()));
    const QString absent = pathText(folder / "no-such-port");
    const std::vector<std::pair<QStringList, int>> cases{
        {{"program", "--port", "1", input}, 4},
        {{"batch", input, "--port", "1", "--number-from", "1", "--count", "1"}, 4},
        {{"program", input}, 2},
        {{"program", "--port", "1", "--timeout", "0,5", input}, 2},
        {{"read", "--port", "1", "--timeout", "3601", "-o", input}, 2},
    };
    for (const auto& [arguments, status] : cases) {
        const CliRun run = runCli(arguments, absent);
        EXPECT_EQ(run.exitCode, status) << arguments.join(' ').toStdString() << run.err;
        EXPECT_EQ(run.err.substr(0, 13), "velmora-cli: ") << run.err;
        if (status == 4) { // the window's advice on a port number that leads nowhere
            EXPECT_TRUE(holds(run.err, "velmora-cli ports map 1 "));
        }
    }
}

// Noise or a spliced reply in answer to a read is saved when asked, for diagnosis, but
// the command fails: it is not a configuration the window can load.
TEST(DeviceCommands, ReadFailsOnBytesTheWindowCannotLoadAndKeepsThemWhenAsked) {
    Folder folder;
    SimulatedUnit unit({"--garbage"});
    ASSERT_TRUE(unit.started());
    const QString target = pathText(folder / "noise.prg");
    const CliRun read = runCli({"read", "--port", "1", "-o", target}, unit.link());
    EXPECT_EQ(read.exitCode, 3) << read.err;
    EXPECT_TRUE(holds(read.err, "not a configuration the window can load"));
    EXPECT_TRUE(holds(read.err, "saved in " + target.toStdString() + " for diagnosis"));
    // The bytes as they came, in a programming file that the window's import refuses.
    EXPECT_TRUE(loadProgrammingFile(folder / "noise.prg").ok());
    EXPECT_FALSE(exchange::loadConfiguration(folder / "noise.prg").ok());
}

// The line's speed as the terminal layer holds it between programs, after setting it to
// `speed` when one is given.
speed_t lineSpeed(const QString& device, std::optional<speed_t> speed = std::nullopt) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    tcgetattr(fd, &settings);
    if (speed) {
        cfsetispeed(&settings, *speed);
        cfsetospeed(&settings, *speed);
        tcsetattr(fd, TCSANOW, &settings);
    }
    ::close(fd);
    return cfgetospeed(&settings);
}

// Ctrl-C or a termination request while the unit is silent: the command says what was
// in flight, records it, gives the line back as it found it (settings restored, its lock
// removed) and ends with 130 at once, even when the record can take no more rows: the
// interruption is what the operator did.
TEST(DeviceCommands, AnInterruptedExchangeEndsWithItsSummary) {
    Folder folder;
    const QString input = pathText(folder.save("unit.prg", windowAfter(kNumberedPanel)));
    const QString record = pathText(folder / "record.csv");
    struct Case {
        QStringList command;
        int signal;
        const char* summary;
        bool recordFull = false;
    };
    const std::vector<Case> cases{
        {{"program", input, "--log", record}, SIGINT, "the programming frame had been sent"},
        {{"read", "-o", pathText(folder / "out.prg")},
         SIGTERM,
         "stopped while the image was awaited; nothing was saved"},
        {{"program", input, "--log", record}, SIGINT, "the programming frame had been sent", true},
    };
    for (const Case& test : cases) {
        SimulatedUnit unit({"--silent"});
        ASSERT_TRUE(unit.started());
        lineSpeed(unit.link(), B19200); // what another program left
        QProcess cli;
        if (test.recordFull)
            cli.setChildProcessModifier(
                fileSizeLimit(std::filesystem::file_size(folder / "record.csv")));
        cli.start(QStringLiteral(VELMORA_CLI),
                  QStringList{test.command[0], "--device", unit.link(), "--timeout", "30"} +
                      test.command.mid(1));
        ASSERT_TRUE(QTest::qWaitFor([&] { return framesIn(unit.received()).size() == 1; }, 5000));
        const QString lock = serialLockOf(unit.link());
        EXPECT_FALSE(lock.isEmpty()) << "no lock held for " << unit.link().toStdString();
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(signalChild(cli, test.signal));
        ASSERT_TRUE(cli.waitForFinished(3000)) << test.summary;
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130);
        const std::string err = cli.readAllStandardError().toStdString();
        EXPECT_TRUE(holds(err, test.summary)) << err;
        EXPECT_TRUE(holds(err, unit.link().toStdString()));
        EXPECT_TRUE(lock.isEmpty() || !QFile::exists(lock)) << lock.toStdString();
        EXPECT_EQ(lineSpeed(unit.link()), static_cast<speed_t>(B19200));
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.prg"));
    // The unit may hold the number: the record shows it as sent.
    EXPECT_EQ(sentNumbersIn(record), std::set<long>{101});
    EXPECT_TRUE(holds(fileText(folder / "record.csv"), ",interrupted,"));
}

// A unit taken from the cradle falls silent; the one put in next answers with its own,
// factory-fresh configuration, not the one programmed into the unit before it.
TEST(DeviceCommands, TheSimulatedCradleHandsOverANewUnitAfterAnAbsence) {
    Folder folder;
    const auto fresh = folder.save("fresh.prg", windowAfter());
    const auto wanted = folder.save("wanted.prg", windowAfter(kNumberedPanel));
    SimulatedUnit unit(
        {"--image", pathText(fresh), "--presence", "present 1500, absent 1500, present"});
    ASSERT_TRUE(unit.started());
    const CliRun program = runCli({"program", "--port", "1", pathText(wanted)}, unit.link());
    ASSERT_EQ(program.exitCode, 0) << program.err;
    ASSERT_TRUE(QTest::qWaitFor([&] { return unit.notes("absent") == 1; }, 3000));
    const CliRun away = runCli(
        {"read", "--port", "1", "--timeout", "0.3", "-o", pathText(folder / "a.prg")}, unit.link());
    EXPECT_EQ(away.exitCode, 3) << away.err;
    ASSERT_TRUE(QTest::qWaitFor([&] { return unit.notes("present") == 1; }, 3000));
    const CliRun next =
        runCli({"read", "--port", "1", "-o", pathText(folder / "b.prg")}, unit.link());
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(fileText(folder / "b.prg"), fileText(fresh));
}

} // namespace
} // namespace velmora::cli_test
