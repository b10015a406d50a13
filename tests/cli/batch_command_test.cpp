#include "jig_operator.h"
#include "tests/store/store_under_test.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <optional>
#include <set>

namespace velmora::cli_test {
namespace {

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
    EXPECT_TRUE(holds(line.out(), "job site 101-112, numbers 101-112: 12 unit(s) handled, "
                                  "12 programmed, 0 failed\nverified: 101-112\n"));
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
// other positions go on to the end of the range, each failure in the words program
// uses. A unit on a bouncing connector, which answers every other poll, never answers
// two in a row: it is never taken.
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
         {"verify-failed: Numero periferico: sent ",
          "no-answer: no complete answer to the programming frame within 1000 ms",
          "port-lost: the line was lost during the exchange"})
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
        {{"--port", "1", "--resume", pathText(folder / "none.csv")}, "unknown option --resume"},
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

// Ctrl-C in the middle of a unit's exchange, then the same batch again on the same store:
// it joins the job, the interrupted unit's number stays spent, and every other number of
// the range goes out exactly once.
TEST(BatchCommand, AnInterruptedBatchGoesOnFromTheStoreWithoutRepeat) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    const QStringList batch =
        QStringList{"batch", pathText(file), "--number-from", "101", "--count",
                    "8",     "--verify",     "--timeout",     "10"} +
        jig.deviceArguments();
    {
        // The second unit at position 1 never acknowledges: it is in its exchange when
        // the operator presses Ctrl-C.
        JigOperator line(jig, batch, {{1, 2, "noack on", {}}});
        ASSERT_TRUE(line.serve(20000, QRegularExpression(R"(position 1 \d+: programming)"), 2))
            << line.err();
        ASSERT_TRUE(line.interrupt());
        ASSERT_EQ(line.finish(10000), 130) << line.err();
        // Position 2 may be in the middle of an exchange too.
        EXPECT_TRUE(
            holds(line.out(), " at position 1, frame sent: the unit may hold it, check it\n"));
        EXPECT_TRUE(holds(line.out(), "to go on, run the batch again"));
        EXPECT_FALSE(holds(line.out(), "in doubt")) << line.out();
    }
    jig[0].control("noack off");
    JigOperator again(jig, batch);
    ASSERT_EQ(again.finish(30000), 0) << again.err();
    EXPECT_EQ(numbersSent(jig, 101, 8), range(101, 8));
}

// The production store of a line of stations: the test server's own database, or one
// SQLite file that every station opens.
class LineOnStore : public testing::TestWithParam<store_test::Engine> {
protected:
    void SetUp() override {
        SimulatedUnit::ensureApplication();
        if (GetParam() == store_test::Engine::Postgresql && !store_test::serverSocket())
            GTEST_SKIP() << "no test server: run through ctest, which starts one";
        store_.emplace(GetParam());
    }
    QStringList storeArguments() const {
        return {"--store", QString::fromStdString(store_->argument())};
    }
    // The store's rows by number: state and station.
    std::map<long, std::pair<std::string, std::string>> onRecord(const std::string& job) const {
        std::map<long, std::pair<std::string, std::string>> rows;
        auto opened = store::ProductionStore::open(store_->location());
        EXPECT_TRUE(opened.ok());
        auto all = (*opened)->rows(job);
        EXPECT_TRUE(all.ok());
        for (const store::NumberRow& row : *all)
            rows[row.number] = {row.state, row.taker.station};
        return rows;
    }
    std::optional<store_test::StoreUnderTest> store_;
};

// Three stations of four positions share one job of 60 numbers: every number reaches
// exactly one simulated unit, and every one is on record by the station that sent it.
TEST_P(LineOnStore, ThreeStationsShareOneJobWithoutANumberTwice) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    ASSERT_EQ(runCli(QStringList{"job", "create", "line", pathText(file), "--numbers", "101-160"} +
                     storeArguments())
                  .exitCode,
              0);
    std::vector<std::unique_ptr<SimulatedJig>> jigs;
    std::vector<std::unique_ptr<JigOperator>> stations;
    for (int s = 0; s < 3; ++s) {
        jigs.push_back(std::make_unique<SimulatedJig>(std::vector<QStringList>(4)));
        ASSERT_TRUE(jigs.back()->started());
        stations.push_back(std::make_unique<JigOperator>(
            *jigs.back(),
            QStringList{"batch", "--job", "line", "--station", "pc-" + QString::number(s)} +
                storeArguments() + jigs.back()->deviceArguments()));
    }
    QElapsedTimer clock;
    clock.start();
    std::vector<bool> ended(3, false);
    while (std::find(ended.begin(), ended.end(), false) != ended.end() && clock.elapsed() < 90000)
        for (std::size_t s = 0; s < 3; ++s)
            if (!ended[s])
                ended[s] = stations[s]->serve(20);
    std::multiset<long> sent;
    for (std::size_t s = 0; s < 3; ++s) {
        ASSERT_EQ(stations[s]->finish(5000), 0) << stations[s]->err();
        const std::multiset<long> here = numbersSent(*jigs[s], 101, 60);
        sent.insert(here.begin(), here.end());
        for (const long number : here)
            EXPECT_EQ(onRecord("line")[number].second, "pc-" + std::to_string(s)) << number;
    }
    EXPECT_EQ(sent, range(101, 60));
    const auto rows = onRecord("line");
    EXPECT_EQ(rows.size(), 60u);
    for (const auto& [number, row] : rows)
        EXPECT_EQ(row.first, "programmed") << number;
}

// A station killed while a unit's acknowledgement is awaited: the number is on record as
// sent before its frame left; the station started again marks it "to check", never sends
// it again, and hands out every other number once.
TEST_P(LineOnStore, AStationKilledMidExchangeLosesNoNumberAndRepeatsNone) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    const QStringList batch =
        QStringList{"batch", pathText(file), "--number-from", "101",       "--count",
                    "8",     "--station",    "pc-1",          "--timeout", "10"} +
        storeArguments() + jig.deviceArguments();
    const std::string job = "site 101-108";
    long killed = 0;
    {
        JigOperator line(jig, batch, {{1, 2, "noack on", {}}});
        static const QRegularExpression second(R"(position 1 (\d+): programming)");
        ASSERT_TRUE(line.serve(20000, second, 2)) << line.err();
        ASSERT_TRUE(line.killNow());
        line.finish(5000);
        const auto match = second.globalMatch(QString::fromStdString(line.err()));
        for (auto it = match; it.hasNext();)
            killed = it.next().captured(1).toLong();
        EXPECT_EQ(onRecord(job)[killed].first, "sent") << line.err();
    }
    jig[0].control("noack off");
    JigOperator again(jig, batch);
    ASSERT_EQ(again.finish(30000), 0) << again.err();
    EXPECT_TRUE(holds(again.out(), "left in flight by an earlier batch, now to check: job site "
                                   "101-108, number "));
    // No unit got a number twice; a number committed but killed before its frame left is
    // lost, never handed out again: "to check" with every number that may be in a unit.
    const std::multiset<long> sent = numbersSent(jig, 101, 8);
    EXPECT_EQ(sent.count(-1), 0u);
    const auto rows = onRecord(job);
    EXPECT_EQ(rows.size(), 8u);
    for (const auto& [number, row] : rows) {
        EXPECT_LE(sent.count(number), 1u) << number;
        if (sent.count(number) == 0) {
            EXPECT_EQ(row.first, "to-check") << number;
        }
    }
    EXPECT_EQ(rows.at(killed).first, "to-check");
}

// A reader of the results that goes away (`| head -n 3`, a killed `tee`) does not end
// the batch: every unit is still programmed and its outcome on record.
TEST_P(LineOnStore, AClosedOutputNeverEndsABatch) {
    Folder folder;
    const auto file = folder.save("site.prg", site(1));
    SimulatedJig jig(std::vector<QStringList>(2));
    ASSERT_TRUE(jig.started());
    JigOperator line(jig, QStringList{"batch", pathText(file), "--number-from", "101", "--count",
                                      "6", "--job", "piped"} +
                              storeArguments() + jig.deviceArguments());
    ASSERT_TRUE(line.serve(20000, QRegularExpression("position \\d \\d+: programming")));
    line.closeOutput();
    ASSERT_EQ(line.finish(30000), 0) << line.err();
    EXPECT_EQ(numbersSent(jig, 101, 6), range(101, 6));
    const auto rows = onRecord("piped");
    EXPECT_EQ(rows.size(), 6u);
    for (const auto& [number, row] : rows)
        EXPECT_EQ(row.first, "programmed") << number;
}

INSTANTIATE_TEST_SUITE_P(BothEngines, LineOnStore,
                         testing::Values(store_test::Engine::Sqlite,
                                         store_test::Engine::Postgresql),
                         store_test::engineName);

} // namespace
} // namespace velmora::cli_test
