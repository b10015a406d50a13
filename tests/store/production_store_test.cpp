#include "store/store_thread.h"
#include "tests/store/store_under_test.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

namespace velmora::store_test {
namespace {

using store::Outcome;
using store::Taker;

const store::JobSpec kJob{"rx-300", "rx300.prg", std::string(64, 'a'), std::string(192, '0'),
                          101,      160};

class ProductionStoreTest : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Postgresql && !serverSocket())
            GTEST_SKIP() << "no test server: run through ctest, which starts one";
        under_.emplace(GetParam());
    }
    std::optional<StoreUnderTest> under_;
};

std::map<long, store::NumberRow> rowsOf(store::ProductionStore& store, const std::string& job) {
    std::map<long, store::NumberRow> byNumber;
    auto rows = store.rows(job);
    EXPECT_TRUE(rows.ok());
    for (const auto& row : rows ? *rows : std::vector<store::NumberRow>{})
        byNumber[row.number] = row;
    return byNumber;
}

// Stations taking numbers of one job at once, each on its own connection, never get one
// number twice, and together use up the whole range.
TEST_P(ProductionStoreTest, NumbersOfAJobGoOnceWhateverTakesThemAtOnce) {
    auto first = under_->open();
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->createJob(kJob, "pc-0", "anna").ok());
    constexpr int kStations = 4;
    std::vector<std::vector<long>> taken(kStations);
    std::vector<std::thread> stations;
    for (int s = 0; s < kStations; ++s)
        stations.emplace_back([&, s] {
            auto mine = store::ProductionStore::open(under_->location());
            ASSERT_TRUE(mine.ok());
            const Taker taker{"pc-" + std::to_string(s), "port 1", "op", "/dev/ttyUSB0"};
            for (;;) {
                auto number = (*mine)->take(kJob.name, taker);
                ASSERT_TRUE(number.ok()) << number.error().message;
                if (!*number)
                    return;
                taken[static_cast<std::size_t>(s)].push_back((*number)->number);
            }
        });
    for (std::thread& station : stations)
        station.join();
    std::multiset<long> all;
    for (const auto& numbers : taken)
        all.insert(numbers.begin(), numbers.end());
    std::set<long> distinct(all.begin(), all.end());
    EXPECT_EQ(all.size(), 60u);
    EXPECT_EQ(distinct.size(), 60u);
    EXPECT_EQ(*distinct.begin(), 101);
    EXPECT_EQ(*distinct.rbegin(), 160);
    // The database itself refuses a second row of a number.
    EXPECT_FALSE(under_->runAside("INSERT INTO numbers (job, number, state) VALUES "
                                  "('rx-300', 101, 'free')"));
}

// A number from taking to its outcome, as a second connection (another station) sees it.
TEST_P(ProductionStoreTest, ANumberIsOnRecordAsSentBeforeTakeReturns) {
    auto station = under_->open();
    auto other = under_->open();
    ASSERT_TRUE(station && other);
    ASSERT_TRUE(station->createJob(kJob, "pc-1", "anna").ok());
    const Taker taker{"pc-1", "port 2", "anna", "/dev/serial/by-id/usb-jig-2"};
    const auto first = station->take(kJob.name, taker);
    ASSERT_TRUE(first.ok() && *first);
    EXPECT_EQ((*first)->number, 101);
    EXPECT_EQ((*first)->freeLeft, 59);
    auto seen = rowsOf(*other, kJob.name);
    ASSERT_TRUE(seen.contains(101));
    EXPECT_EQ(seen[101].state, "sent");
    EXPECT_EQ(seen[101].taker.station, "pc-1");
    EXPECT_EQ(seen[101].taker.position, "port 2");
    EXPECT_EQ(seen[101].taker.operatorName, "anna");
    EXPECT_EQ(seen[101].taker.device, "/dev/serial/by-id/usb-jig-2");

    struct Case {
        Outcome outcome;
        const char* state; // afterwards; nullptr: the number is free again
    };
    const Case cases[] = {
        {{store::kVerified, "verified", "", true, std::string(192, 'f')}, "verified"},
        {{store::kToCheck, "no-answer", "no complete answer", true, ""}, "to-check"},
        {{store::kFree, "port-lost", "", false, ""}, nullptr},
    };
    long expected = 101;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome.result);
        if (expected != 101) {
            const auto next = station->take(kJob.name, taker);
            ASSERT_TRUE(next.ok() && *next);
            EXPECT_EQ((*next)->number, expected);
        }
        ASSERT_TRUE(station->record(kJob.name, expected, c.outcome).ok());
        seen = rowsOf(*other, kJob.name);
        EXPECT_EQ(seen.contains(expected), c.state != nullptr);
        if (c.state) {
            EXPECT_EQ(seen[expected].state, c.state);
            EXPECT_EQ(seen[expected].detail, c.outcome.detail);
            EXPECT_EQ(seen[expected].image, c.outcome.image);
            ++expected;
        }
    }
    // The number whose frame never left is the next one handed out.
    const auto again = station->take(kJob.name, taker);
    ASSERT_TRUE(again.ok() && *again);
    EXPECT_EQ((*again)->number, 103);
    // An outcome for a number not in flight is refused, and changes nothing.
    const auto late = station->record(kJob.name, 101, {store::kFree, "interrupted", "", false, ""});
    ASSERT_FALSE(late.ok());
    EXPECT_TRUE(late.error().refused);
    EXPECT_EQ(rowsOf(*other, kJob.name)[101].state, "verified");
    // A closed job hands out nothing.
    ASSERT_TRUE(other->closeJob(kJob.name).ok());
    const auto closed = station->take(kJob.name, taker);
    ASSERT_TRUE(closed.ok());
    EXPECT_FALSE(*closed);
}

// A station that starts again marks its own numbers left in flight on the devices it
// now holds "to check", never another station's nor those on a device it does not hold;
// the counts per state and station show it.
TEST_P(ProductionStoreTest, AStationStartingAgainMarksOnlyItsOwnNumbersToCheck) {
    auto store = under_->open();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->createJob(kJob, "pc-1", "anna").ok());
    const std::pair<const char*, const char*> takers[] = {{"pc-1", "/dev/ttyS0"},
                                                          {"pc-2", "/dev/ttyS0"},
                                                          {"pc-1", "/dev/ttyS1"},
                                                          {"pc-1", "/dev/ttyS2"}};
    for (const auto& [station, device] : takers)
        ASSERT_TRUE(store->take(kJob.name, {station, "port 1", "anna", device}).ok());
    const auto marked = store->markInFlightToCheck("pc-1", {"/dev/ttyS0", "/dev/ttyS1"});
    ASSERT_TRUE(marked.ok());
    using Marked = std::vector<std::pair<std::string, long>>;
    EXPECT_EQ(*marked, (Marked{{"rx-300", 101}, {"rx-300", 103}}));
    const auto counts = store->counts(kJob.name);
    ASSERT_TRUE(counts.ok());
    std::map<std::pair<std::string, std::string>, long> byState;
    for (const auto& count : *counts)
        byState[{count.state, count.station}] = count.count;
    EXPECT_EQ(byState,
              (std::map<std::pair<std::string, std::string>, long>{{{"free", ""}, 56},
                                                                   {{"sent", "pc-1"}, 1},
                                                                   {{"sent", "pc-2"}, 1},
                                                                   {{"to-check", "pc-1"}, 2}}));
}

// Names carrying SQL are kept as written, and the tables stay.
TEST_P(ProductionStoreTest, NamesCarryingSqlAreStoredVerbatim) {
    const std::string evil = "x'); DROP TABLE jobs; --";
    auto store = under_->open();
    ASSERT_TRUE(store);
    store::JobSpec spec = kJob;
    spec.name = evil;
    spec.configurationFile = evil + ".prg";
    ASSERT_TRUE(store->createJob(spec, evil, evil).ok());
    ASSERT_TRUE(store->take(evil, {evil, evil, evil, evil}).ok());
    const auto job = store->findJob(evil);
    ASSERT_TRUE(job.ok() && *job);
    EXPECT_EQ((*job)->createdBy, evil);
    EXPECT_EQ((*job)->configurationFile, evil + ".prg");
    const auto rows = rowsOf(*store, evil);
    ASSERT_TRUE(rows.contains(101));
    EXPECT_EQ(rows.at(101).taker.operatorName, evil);
    EXPECT_EQ(rows.at(101).job, evil);
}

// A job that is most of the numbers table leaves PostgreSQL's statistics knowing it:
// planned without them, every take counted what is left by reading the job's whole range
// (11 ms a take in a fresh job of 10000 instead of 1.5). The statement divides by zero,
// and so fails, while the planner still knows fewer rows than the job holds.
TEST_P(ProductionStoreTest, ALargeNewJobIsKnownToThePlanner) {
    if (GetParam() != Engine::Postgresql)
        GTEST_SKIP() << "SQLite plans without table statistics";
    auto store = under_->open();
    ASSERT_TRUE(store);
    store::JobSpec spec = kJob;
    spec.firstNumber = 1;
    spec.lastNumber = 9999;
    ASSERT_TRUE(store->createJob(spec, "line-a", "anna").ok());
    EXPECT_TRUE(under_->runAside("SELECT 1 / CASE WHEN reltuples >= 9999 THEN 1 ELSE 0 END "
                                 "FROM pg_class WHERE relname = 'numbers'"));
}

// A store of a newer schema, or a file that is not this program's database, is refused
// and left exactly as it was.
TEST_P(ProductionStoreTest, WhatIsNotOurStoreIsRefusedAndLeftUntouched) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* said;
    };
    const auto writeFile = [this](const QByteArray& bytes) {
        QFile out(under_->location().sqliteFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    };
    std::vector<Case> cases{
        {"newer schema",
         [this] {
             ASSERT_TRUE(under_->open());
             ASSERT_TRUE(under_->runAside("UPDATE velmora_schema SET version = version + 1"));
         },
         "newer than this program's"},
    };
    if (GetParam() == Engine::Sqlite) {
        cases.push_back({"a programming file", [&] { writeFile("001,0,0,24,0\r\n"); },
                         "not an SQLite database"});
        cases.push_back({"another program's database",
                         [this] { ASSERT_TRUE(under_->runAside("CREATE TABLE t (a INTEGER)")); },
                         "another program"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        under_.emplace(GetParam());
        c.prepare();
        QByteArray before;
        if (GetParam() == Engine::Sqlite) {
            QFile in(under_->location().sqliteFile);
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            before = in.readAll();
        }
        const auto opened = store::ProductionStore::open(under_->location());
        ASSERT_FALSE(opened.ok());
        EXPECT_TRUE(opened.error().refused);
        EXPECT_NE(opened.error().message.find(c.said), std::string::npos) << opened.error().message;
        if (GetParam() == Engine::Sqlite) {
            QFile in(under_->location().sqliteFile);
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            EXPECT_EQ(in.readAll(), before);
            EXPECT_FALSE(QFile::exists(under_->location().sqliteFile + "-wal"));
        }
    }
}

// The store's work runs on its own thread; its answer comes back on the asking thread.
TEST_P(ProductionStoreTest, TheStoreWorksOnItsOwnThreadAndTakesWaitingNumbersTogether) {
    auto worker = store::StoreThread::start(under_->location());
    ASSERT_TRUE(worker.ok()) << worker.error().message;
    QObject receiver;
    std::optional<bool> elsewhere;
    std::optional<bool> answeredHere;
    (*worker)->ask<store::StoreResult<store::Job>>(
        [&elsewhere](store::ProductionStore& store) {
            elsewhere = QThread::currentThread() != QCoreApplication::instance()->thread();
            return store.createJob(kJob, "pc-1", "anna");
        },
        &receiver,
        [&answeredHere](store::StoreResult<store::Job> job) {
            EXPECT_TRUE(job.ok());
            answeredHere = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    QTRY_VERIFY(answeredHere.has_value());
    EXPECT_TRUE(elsewhere.value_or(false));
    EXPECT_TRUE(*answeredHere);

    // Outcomes and takes posted at once: the outcomes first, a refused one leaving the
    // others be (two numbers go back to the job below one still in flight); then the takes
    // in the order asked, lowest number first, each counting what is left after it, each
    // on record as sent when its answer arrives, the last ones with none.
    auto other = under_->open();
    ASSERT_TRUE(other);
    const Taker taker{"pc-2", "port 1", "bea", "/dev/ttyS0"};
    for (long number = 101; number <= 103; ++number)
        ASSERT_TRUE(other->take(kJob.name, taker).ok());
    std::vector<std::string> outcomeAnswers;
    for (long number : {101L, 999L, 102L})
        (*worker)->askOutcome(kJob.name, {number, {store::kFree, "no-answer", "", false, ""}},
                              &receiver, [&outcomeAnswers](store::StoreResult<void> answer) {
                                  outcomeAnswers.push_back(answer ? "recorded"
                                                                  : answer.error().message);
                              });
    std::vector<std::optional<store::Taken>> answers;
    std::vector<std::string> statesWhenAnswered;
    for (int asked = 0; asked < 60; ++asked)
        (*worker)->askNumber(
            kJob.name, {"pc-1", "port " + std::to_string(asked % 8 + 1), "anna", "/dev/ttyS1"},
            &receiver, [&](store::StoreResult<std::optional<store::Taken>> answer) {
                ASSERT_TRUE(answer.ok()) << answer.error().message;
                answers.push_back(*answer);
                if (*answer)
                    statesWhenAnswered.push_back(
                        rowsOf(*other, kJob.name)[(*answer)->number].state);
            });
    QTRY_COMPARE(answers.size(), 60u);
    EXPECT_EQ(outcomeAnswers,
              (std::vector<std::string>{"recorded", "number 999 of job \"rx-300\" is not in flight",
                                        "recorded"}));
    std::vector<long> expected{101, 102};
    for (long number = 104; number <= 160; ++number)
        expected.push_back(number);
    for (std::size_t k = 0; k < answers.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(answers[k].has_value(), k < expected.size());
        if (answers[k]) {
            EXPECT_EQ(answers[k]->number, expected[k]);
            EXPECT_EQ(answers[k]->freeLeft, static_cast<long>(expected.size() - k - 1));
        }
    }
    EXPECT_EQ(statesWhenAnswered, std::vector<std::string>(expected.size(), "sent"));
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ProductionStoreTest,
                         testing::Values(Engine::Sqlite, Engine::Postgresql), engineName);

} // namespace
} // namespace velmora::store_test

int main(int argc, char** argv) {
    // Qt SQL loads its drivers through the application.
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
