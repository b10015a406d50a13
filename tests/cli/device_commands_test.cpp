#include "cli_process.h"
#include "cli_test_support.h"

#include "unit_sim/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <poll.h>
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

void numberedPanel(FormModel& form) {
    form.setText("Txtnumero", "101");
    form.setValue("Check1", true);
    form.setValue("Optrete(2)", true);
    form.setText("Text2(4)", "10");
    form.setText("Text3(4)", "20");
}

TEST(DeviceCommands, ReadThenProgramThenVerifyFindsNoDifference) {
    Folder folder;
    const FormModel held = windowAfter(numberedPanel);
    const FormModel wanted = windowAfter([](FormModel& form) {
        form.setValue("Option2", true);
        form.setComboRow(5);
        form.setText("Txtnumero", "2024");
    });
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

TEST(DeviceCommands, VerifyCatchesAUnitThatAcknowledgesButStoresSomethingElse) {
    Folder folder;
    const auto file = folder.save("unit.prg", windowAfter(numberedPanel));
    SimulatedUnit unit({"--misstore"});
    ASSERT_TRUE(unit.started());
    const CliRun program =
        runCli({"program", "--port", "1", pathText(file), "--verify"}, unit.link());
    EXPECT_EQ(program.exitCode, 1);
    EXPECT_EQ(program.out, "Numero periferico: sent 101, unit holds 102\n");
    EXPECT_NE(program.err.find("verify failed"), std::string::npos) << program.err;

    // A read-back that no window could show is still compared byte for byte, to the last.
    Image held = imageOfFrame(windowFrame(windowAfter()));
    imageByte(held, kImageSize) = 200;
    sim::PseudoTerminal line;
    std::string error;
    ASSERT_TRUE(line.open(error)) << error;
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
        {{"--silent"}, {"read", "-o", target}, "no complete answer", 500},
        {{"--silent"}, {"program", input}, "no complete answer", 500},
        {{"--short", "40"}, {"read", "-o", target}, "no complete answer", 500},
        {{"--garbage"}, {"program", input}, "wrong answer", 0},
    };
    for (const Case& test : cases) {
        SimulatedUnit unit(test.unitOptions);
        ASSERT_TRUE(unit.started());
        const CliRun run = runCli(QStringList{test.command[0], "--port", "1", "--timeout", "0.5"} +
                                      test.command.mid(1),
                                  unit.link());
        EXPECT_EQ(run.exitCode, 3) << test.message << run.err;
        EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
        EXPECT_GE(run.elapsedMs, test.atLeastMs);
        EXPECT_LT(run.elapsedMs, 2000) << test.message;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.prg"));
}

TEST(DeviceCommands, PortProblemsAndBadArgumentsHaveTheirOwnStatus) {
    Folder folder;
    const QString input = pathText(folder.save("unit.prg", windowAfter()));
    const QString absent = pathText(folder / "no-such-port");
    const std::vector<std::pair<QStringList, int>> cases{
        {{"program", "--port", "1", input}, 4},
        {{"program", "--port", "9", input}, 2},
        {{"program", input}, 2},
        {{"program", "--port", "1", "--timeout", "0,5", input}, 2},
    };
    for (const auto& [arguments, status] : cases) {
        const CliRun run = runCli(arguments, absent);
        EXPECT_EQ(run.exitCode, status) << arguments.join(' ').toStdString() << run.err;
        EXPECT_FALSE(run.err.empty());
    }
}

} // namespace
} // namespace velmora::cli_test
