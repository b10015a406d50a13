#include "cli_process.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

namespace velmora::cli_test {
namespace {

// The batch is driven as on the production line: the unit answers while connected
// and falls silent while the operator swaps it for the next one.
class RunningBatch {
public:
    explicit RunningBatch(const QStringList& arguments) {
        SimulatedUnit::ensureApplication();
        cli_.start(QStringLiteral(VELMORA_CLI), arguments);
    }
    ~RunningBatch() {
        if (cli_.state() != QProcess::NotRunning) {
            cli_.kill();
            cli_.waitForFinished(1000);
        }
    }

    // Waits for a line holding `text` on standard error (progress) or output (results),
    // in what came after the last line found.
    bool awaitLine(const std::string& text, int limitMs = 5000) {
        return waitUntil(
            [&] {
                cli_.waitForReadyRead(10);
                err_ += cli_.readAllStandardError().toStdString();
                out_ += cli_.readAllStandardOutput().toStdString();
                if (err_.find(text, errSeen_) == std::string::npos &&
                    out_.find(text, outSeen_) == std::string::npos)
                    return false;
                errSeen_ = err_.size();
                outSeen_ = out_.size();
                return true;
            },
            limitMs);
    }
    int finish() {
        cli_.waitForFinished(5000);
        out_ += cli_.readAllStandardOutput().toStdString();
        err_ += cli_.readAllStandardError().toStdString();
        return cli_.exitStatus() == QProcess::NormalExit ? cli_.exitCode() : -1;
    }
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

private:
    QProcess cli_;
    std::string out_;
    std::string err_;
    std::size_t outSeen_ = 0;
    std::size_t errSeen_ = 0;
};

TEST(BatchCommand, ProgramsUnitAfterUnitWithNumbersCountingUp) {
    Folder folder;
    const auto site = [](const std::string& number) {
        return windowAfter([&](FormModel& form) {
            form.setComboRow(3);
            form.setText("Txtgruppo", "4");
            form.setText("Txtnumero", number);
        });
    };
    const auto file = folder.save("site.prg", site("001"));
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    RunningBatch batch({"batch", "--device", unit.link(), pathText(file), "--number-from", "101",
                        "--count", "3", "--verify"});

    for (const std::string number : {"101", "102"}) {
        ASSERT_TRUE(batch.awaitLine(number + ": programmed and verified")) << batch.err();
        // Still connected: the same unit must not be taken again.
        QThread::msleep(600);
        EXPECT_EQ(framesIn(unit.received()).size(), number == "101" ? 2u : 4u);
        ASSERT_TRUE(unit.control("silent on"));
        ASSERT_TRUE(batch.awaitLine(std::to_string(std::stoi(number) + 1) + ": connect a unit"))
            << batch.err();
        ASSERT_TRUE(unit.control("silent off"));
    }
    EXPECT_EQ(batch.finish(), 0) << batch.err();
    EXPECT_EQ(batch.out(), "101: programmed and verified\n"
                           "102: programmed and verified\n"
                           "103: programmed and verified\n"
                           "3 of 3 unit(s) programmed: 101, 102, 103\n");

    // Each unit got the window's frame for its number: a programming frame, then the
    // verify's read request.
    const std::vector<Bytes> frames = framesIn(unit.received());
    ASSERT_EQ(frames.size(), 6u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frames[static_cast<std::size_t>(2 * i)],
                  bytesOf(windowFrame(site(std::to_string(101 + i)))))
            << 101 + i;
}

TEST(BatchCommand, AFailedUnitLeavesItsNumberForTheNextOne) {
    Folder folder;
    const auto file = folder.save("site.prg", windowAfter());
    SimulatedUnit unit({"--misstore"});
    ASSERT_TRUE(unit.started());
    RunningBatch batch({"batch", "--device", unit.link(), pathText(file), "--number-from", "7",
                        "--count", "1", "--verify", "--timeout", "0.5"});
    ASSERT_TRUE(batch.awaitLine("7: FAILED")) << batch.err();
    ASSERT_TRUE(unit.control("misstore off"));
    ASSERT_TRUE(unit.control("silent on"));
    ASSERT_TRUE(batch.awaitLine("7: connect a unit")) << batch.err();
    ASSERT_TRUE(unit.control("silent off"));
    EXPECT_EQ(batch.finish(), 1) << batch.err();
    EXPECT_NE(batch.out().find("7: FAILED, verify failed; Numero periferico: sent 7, unit holds 8"),
              std::string::npos)
        << batch.out();
    EXPECT_NE(batch.out().find("7: programmed and verified\n1 of 1 unit(s) programmed: 7\n"
                               "failed: 7"),
              std::string::npos)
        << batch.out();
}

} // namespace
} // namespace velmora::cli_test
