#include "cli_process.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <optional>
#include <set>

namespace velmora::cli_test {
namespace {

// The programming frames the unit at a position took, read requests left out.
std::vector<Bytes> programmingFrames(SimulatedUnit& unit) {
    std::vector<Bytes> frames;
    for (const Bytes& frame : framesIn(unit.received()))
        if (frame != bytesOf(readRequest()))
            frames.push_back(frame);
    return frames;
}

// When the unit at a position took each poll "U", and each frame's first bytes.
struct LineTimes {
    std::vector<double> polls;
    std::vector<double> frames;
};
LineTimes lineTimes(const SimulatedUnit& unit) {
    LineTimes times;
    std::size_t frameLeft = 0; // a frame's own end byte "U" is no poll
    for (const auto& [ms, bytes] : unit.timedChunks("rx")) {
        if (frameLeft == 0 && bytes == Bytes{kPollByte}) {
            times.polls.push_back(ms);
            continue;
        }
        if (frameLeft == 0 && bytes.front() == kFrameStart) {
            times.frames.push_back(ms);
            frameLeft = kFrameSize;
        }
        frameLeft -= std::min(frameLeft, bytes.size());
    }
    return times;
}

// The operator at the jig, reading the batch's plain event lines: takes away the unit
// a position is done with, puts the next one in once the position waits, and can give
// the next unit at a position a fault ("noack on") or act while it is being programmed.
class JigOperator {
public:
    struct Plan {
        int position;
        int unit;                // 1 for the first unit put into that position
        QString whenPresent;     // control line for the unit as it is put in
        QString whenProgramming; // control line once the position says "programming"
        int holdMs = 0;          // left in the cradle this long after "take the unit away"
    };

    // `inChild` runs in the batch's process before it starts (a resource limit).
    JigOperator(SimulatedJig& jig, const QStringList& arguments, std::vector<Plan> plans = {},
                const std::function<void()>& inChild = {})
        : jig_(jig), plans_(std::move(plans)), arrivals_(jig.size() + 1, 1),
          swapping_(jig.size() + 1, false), takeAwayAt_(jig.size() + 1) {
        SimulatedUnit::ensureApplication();
        clock_.start();
        if (inChild)
            cli_.setChildProcessModifier(inChild);
        cli_.start(QStringLiteral(VELMORA_CLI), arguments);
        for (const Plan& plan : plans_)
            if (plan.unit == 1 && !plan.whenPresent.isEmpty())
                jig_[static_cast<std::size_t>(plan.position - 1)].control(plan.whenPresent);
    }
    ~JigOperator() {
        if (cli_.state() != QProcess::NotRunning) {
            cli_.kill();
            cli_.waitForFinished(1000);
        }
    }

    // Serves the jig until the batch ends or an event line matches `until` for the
    // `times`-th time.
    bool serve(int limitMs, const QRegularExpression& until = {}, int times = 1) {
        int seen = 0;
        return QTest::qWaitFor(
            [&] {
                takeAwayDueUnits();
                cli_.waitForReadyRead(10);
                out_ += cli_.readAllStandardOutput().toStdString();
                pending_ += cli_.readAllStandardError().toStdString();
                for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
                    const std::string line = pending_.substr(0, end);
                    pending_.erase(0, end + 1);
                    err_ += line + "\n";
                    react(line);
                    if (!until.pattern().isEmpty() &&
                        until.match(QString::fromStdString(line)).hasMatch() && ++seen == times)
                        return true;
                }
                return cli_.state() == QProcess::NotRunning;
            },
            limitMs);
    }
    int finish(int limitMs) {
        if (!serve(limitMs))
            return -1;
        cli_.waitForFinished(2000);
        out_ += cli_.readAllStandardOutput().toStdString();
        err_ += pending_ + cli_.readAllStandardError().toStdString();
        return cli_.exitStatus() == QProcess::NormalExit ? cli_.exitCode() : -1;
    }
    bool interrupt() { return signalChild(cli_, SIGINT); }
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    // How many units were put into the position's cradle, the first one included.
    int unitsPutIn(std::size_t position) const { return arrivals_[position]; }

private:
    const Plan* planFor(std::size_t position) const {
        for (const Plan& plan : plans_)
            if (plan.position == static_cast<int>(position) && plan.unit == arrivals_[position])
                return &plan;
        return nullptr;
    }
    void takeAwayDueUnits() {
        for (std::size_t p = 1; p < takeAwayAt_.size(); ++p) {
            if (!takeAwayAt_[p] || *takeAwayAt_[p] > clock_.elapsed())
                continue;
            takeAwayAt_[p].reset();
            SimulatedUnit& unit = jig_[p - 1];
            unit.control("silent on");
            unit.control("noack off");
            unit.control("misstore off");
        }
    }

    void react(const std::string& line) {
        static const QRegularExpression event(
            R"(^\S+ (?:\[\d+/\d+\] )?position (\d+)(?: \d+)?: (.*)$)");
        const auto match = event.match(QString::fromStdString(line));
        if (!match.hasMatch())
            return;
        const auto p = static_cast<std::size_t>(match.captured(1).toInt());
        const QString state = match.captured(2);
        SimulatedUnit& unit = jig_[p - 1];
        const Plan* plan = planFor(p);
        if (state.contains("take the unit away") && !swapping_[p]) {
            swapping_[p] = true;
            takeAwayAt_[p] = clock_.elapsed() + (plan ? plan->holdMs : 0);
            takeAwayDueUnits();
        } else if (state.startsWith("waiting") && swapping_[p]) {
            swapping_[p] = false;
            ++arrivals_[p];
            if (const Plan* next = planFor(p); next && !next->whenPresent.isEmpty())
                unit.control(next->whenPresent);
            unit.control("silent off");
        } else if (state == "programming" && plan && !plan->whenProgramming.isEmpty()) {
            unit.control(plan->whenProgramming);
        }
    }

    SimulatedJig& jig_;
    std::vector<Plan> plans_;
    std::vector<int> arrivals_;
    std::vector<bool> swapping_;
    std::vector<std::optional<qint64>> takeAwayAt_;
    QElapsedTimer clock_;
    QProcess cli_;
    std::string out_;
    std::string err_;
    std::string pending_;
};

FormModel site(long number) {
    return windowAfter([&](FormModel& form) {
        form.setComboRow(3);
        form.setText("Txtgruppo"_control, "4");
        form.setText("Txtnumero"_control, std::to_string(number));
    });
}

// Which number each programming frame carried, by comparing it with the window's frame
// for each number of the batch.
std::multiset<long> numbersSent(SimulatedJig& jig, long first, long count) {
    std::map<Bytes, long> byFrame;
    for (long number = first; number < first + count; ++number)
        byFrame[bytesOf(windowFrame(site(number)))] = number;
    std::multiset<long> sent;
    for (std::size_t p = 0; p < jig.size(); ++p)
        for (const Bytes& frame : programmingFrames(jig[p])) {
            const auto found = byFrame.find(frame);
            sent.insert(found == byFrame.end() ? -1 : found->second);
        }
    return sent;
}

std::multiset<long> range(long first, long count) {
    std::multiset<long> numbers;
    for (long number = first; number < first + count; ++number)
        numbers.insert(number);
    return numbers;
}

TEST(BatchCommand, FourPositionsProgramTwelveUnitsEachOnceWithItsOwnNumber) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(4));
    ASSERT_TRUE(jig.started());
    // The first unit at position 1 stays in its cradle for a while after it is done.
    JigOperator line(
        jig,
        QStringList{"batch", pathText(file), "--number-from", "101", "--count", "12", "--verify"} +
            jig.deviceArguments(),
        {{1, 1, {}, {}, 800}});
    ASSERT_EQ(line.finish(30000), 0) << line.err();

    // Each number went out once, in the window's own frame for it, and no unit twice.
    EXPECT_EQ(numbersSent(jig, 101, 12), range(101, 12));
    for (std::size_t p = 0; p < 4; ++p) {
        const std::size_t frames = programmingFrames(jig[p]).size();
        EXPECT_GE(frames, 1u) << "position " << p + 1;
        EXPECT_LE(frames, static_cast<std::size_t>(line.unitsPutIn(p + 1))) << "position " << p + 1;
        // No unit is polled twice within 50 ms, and each is taken on a poll that confirms
        // its first answer well before the next 200 ms tick would have.
        const LineTimes times = lineTimes(jig[p]);
        for (std::size_t i = 1; i < times.polls.size(); ++i)
            EXPECT_GE(times.polls[i] - times.polls[i - 1], 50.0) << "position " << p + 1;
        for (const double frame : times.frames) {
            const auto after = std::lower_bound(times.polls.begin(), times.polls.end(), frame);
            ASSERT_GE(after - times.polls.begin(), 2) << "position " << p + 1;
            EXPECT_LT(*(after - 1) - *(after - 2), 150.0) << "position " << p + 1;
        }
    }
    EXPECT_TRUE(holds(line.out(), "numbers 101-112: 12 unit(s) handled, 12 programmed, 0 failed\n"
                                  "verified: 101-112\n"));
    // The first line about the first unit carries its counter and its number; every
    // counter names the unit it is about.
    const std::size_t first = line.err().find("[1/12]");
    ASSERT_NE(first, std::string::npos) << line.err();
    EXPECT_EQ(line.err().find(" 101: "), line.err().find(" 101: ", first)) << line.err();
    // Each unit's line says its current state once, in the order they happen: a state
    // already left never comes back.
    static const QRegularExpression counted(R"(\[(\d+)/12\] position \d (\d+): (\w+))");
    std::map<int, QStringList> states;
    for (auto it = counted.globalMatch(QString::fromStdString(line.err())); it.hasNext();) {
        const auto match = it.next();
        EXPECT_EQ(match.captured(2).toInt() - 100, match.captured(1).toInt()) << line.err();
        states[match.captured(2).toInt()] << match.captured(3);
    }
    ASSERT_EQ(states.size(), 12u) << line.err();
    for (const auto& [number, seen] : states)
        EXPECT_EQ(seen.join(" ").toStdString(), "programming verifying done") << number;
}

// A unit that never acknowledges, an adapter that hangs up in the middle of a frame and
// a unit that stores something else: each number sent is spent with its unit, and the
// other positions go on to the end of the range. A unit on a bouncing connector, which
// answers every other poll, never answers two in a row: it is never taken.
TEST(BatchCommand, FailingPositionsSpendTheirNumbersWhileTheOthersFinish) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig({{}, {}, {}, {"--misstore"}, {"--bounce"}});
    ASSERT_TRUE(jig.started());
    JigOperator line(jig,
                     QStringList{"batch", pathText(file), "--number-from", "101", "--count", "12",
                                 "--verify", "--timeout", "1"} +
                         jig.deviceArguments(),
                     {{2, 2, "noack on", {}}, {3, 2, "noack on", "hangup 700"}});
    ASSERT_EQ(line.finish(40000), 1) << line.err();

    // Every number went out in exactly one frame: none was handed to a second unit.
    EXPECT_EQ(numbersSent(jig, 101, 12), range(101, 12)) << line.out();
    const std::string& out = line.out();
    EXPECT_TRUE(holds(out, "numbers 101-112: 12 unit(s) handled, 9 programmed, 3 failed\n"))
        << line.err();
    for (const char* outcome :
         {"verify-failed: Numero periferico: sent ", "no-answer: ", "port-lost: "})
        EXPECT_TRUE(holds(out, outcome));
    EXPECT_TRUE(holds(out, "spent, units to check: "));
    EXPECT_TRUE(holds(out, "the number is spent: set the unit aside and check it"));
    EXPECT_FALSE(holds(out, "not reached"));
    EXPECT_TRUE(holds(line.err(), "set it aside to check: it may hold"));
    EXPECT_TRUE(programmingFrames(jig[4]).empty());
    const Bytes answers = joined(jig[4].sent());
    EXPECT_GE(std::count(answers.begin(), answers.end(), 0x56), 2) << line.err();
}

// Arguments that would put two positions on one line (through any two names of one
// device), leave the range or name a record that is not there are refused before any
// port is opened; a number refused names its option and its limits.
TEST(BatchCommand, RefusesWhatWouldMisplaceANumber) {
    Folder folder;
    const auto file = pathText(folder.save("site.prg", site(1)));
    std::filesystem::create_symlink("/dev/null", folder / "null");
    const struct {
        QStringList arguments;
        std::string message;
        int exitCode = 2;
    } cases[] = {
        {{"--port", "1,9"}, "--port takes port numbers from 1 to 8"},
        {{"--port", "1,,2"}, "--port takes port numbers from 1 to 8"},
        {{"--port", "2,2"}, "the same device is given twice: port 2"},
        {{"--port", "1", "--device", "/dev/null"}, "give either --port"},
        {{"--device", "/dev/null", "--device", "/dev/null"}, "the same device is given twice"},
        {{"--device", pathText(folder / "null"), "--device", "/dev/null"},
         "the same device is given twice: position 1 (" + (folder / "null").string() +
             ") and position 2 (/dev/null) are both /dev/null"},
        {{"--port", "1", "--count", "0"}, "--count takes a whole number from 1 to 9999, not \"0\""},
        {{"--port", "1", "--number-from", "9990", "--count", "11"},
         "--count takes a whole number from 1 to 10 (the numbers from --number-from 9990 stay "
         "within 0 to 9999), not \"11\""},
        {{"--port", "1", "--number-from", "10000"},
         "--number-from takes a whole number from 0 to 9999, not \"10000\""},
        // The last number, 9999, is the batch's; only then is a port opened.
        {{"--device", pathText(folder / "none"), "--number-from", "9990", "--count", "10"},
         "Impossibile aprire la porta",
         4},
        {{"--port", "1", "--timeout", "0.0004"}, "--timeout takes seconds from 0.001"},
        {{"--port", "1", "--resume", pathText(folder / "none.csv")}, "none.csv cannot be read"},
    };
    for (const auto& [arguments, message, exitCode] : cases) {
        QStringList words{"batch", file};
        for (const char* option : {"--number-from", "--count"})
            if (!arguments.contains(option))
                words << option << "1";
        words << arguments;
        const CliRun run = runCli(words);
        EXPECT_EQ(run.exitCode, exitCode) << words.join(' ').toStdString();
        EXPECT_TRUE(holds(run.err, message)) << words.join(' ').toStdString();
    }
}

// A record that stops taking rows (here: the file may not grow past 800 bytes, room for
// the header and about one row) stops the batch: no unit starts after the failed row.
TEST(BatchCommand, ARecordThatCannotBeWrittenStopsTheBatchBeforeTheNextUnit) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    JigOperator line(jig,
                     QStringList{"batch", pathText(file), "--number-from", "101", "--count", "6",
                                 "--log", pathText(folder / "line.csv")} +
                         jig.deviceArguments(),
                     {}, fileSizeLimit(800));
    ASSERT_EQ(line.finish(20000), 5) << line.err();
    EXPECT_TRUE(holds(line.err(), "velmora-cli: the batch stopped: "));
    EXPECT_EQ(numbersSent(jig, 101, 6), range(101, 2)) << line.out();
    EXPECT_TRUE(holds(line.out(), "not reached: 103-106\n"));
    EXPECT_TRUE(holds(line.out(), "to go on, resume from 103: "));
    EXPECT_TRUE(holds(line.out(), "missing from the record, note them by hand: 10"));
}

// How many rows the record holds after its header, and how many of them say their
// unit was interrupted after its frame was sent. The record's shape as a spreadsheet
// reads it is the production record's test.
std::pair<long, long> recordRows(const std::filesystem::path& record) {
    const QString text = QString::fromStdString(fileText(record));
    static const QRegularExpression interrupted(R"(,interrupted,("([^"]|"")*"|[^,"\r\n]*),yes,)");
    return {text.count("\r\n") - 1, text.count(interrupted)};
}

// Ctrl-C in the middle of a unit's exchange, a second batch on the same record, then the
// same batch resumed from the record: every number of the range goes out exactly once.
TEST(BatchCommand, AnInterruptedBatchResumesFromItsRecordWithoutGapOrRepeat) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    const auto record = folder / "line.csv";
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    const QStringList batch =
        QStringList{"batch", pathText(file), "--number-from", "101", "--count",
                    "8",     "--verify",     "--timeout",     "10"} +
        jig.deviceArguments();
    {
        // The second unit at position 1 never acknowledges: it is in its exchange when
        // the operator presses Ctrl-C.
        JigOperator line(jig, batch + QStringList{"--log", pathText(record)},
                         {{1, 2, "noack on", {}}});
        ASSERT_TRUE(line.serve(20000, QRegularExpression(R"(position 1 \d+: programming)"), 2))
            << line.err();
        const CliRun second = runCli(batch + QStringList{"--log", pathText(record)});
        EXPECT_EQ(second.exitCode, 5) << second.err;
        EXPECT_TRUE(holds(second.err, "line.csv is in use by another run"));

        ASSERT_TRUE(line.interrupt());
        ASSERT_EQ(line.finish(10000), 130) << line.err();
        // Position 2 may be in the middle of an exchange too.
        EXPECT_TRUE(
            holds(line.out(), " at position 1, frame sent: the unit may hold it, check it\n"));
        EXPECT_TRUE(holds(line.out(), "to go on, resume from "));
    }
    EXPECT_GE(recordRows(record).second, 1) << fileText(record);

    jig[0].control("noack off");
    JigOperator resumed(jig, batch + QStringList{"--resume", pathText(record)});
    ASSERT_EQ(resumed.finish(30000), 0) << resumed.err();
    EXPECT_TRUE(holds(resumed.out(), "skipped, already sent by an earlier batch: 101-"));
    EXPECT_EQ(numbersSent(jig, 101, 8), range(101, 8));
    // One row per number: the header came once, every attempt has its row.
    EXPECT_EQ(recordRows(record).first, 8) << fileText(record);
}

} // namespace
} // namespace velmora::cli_test
