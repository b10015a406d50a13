#include "store/exchange_history.h"
#include "tests/store/store_under_test.h"

#include <QDateTime>

#include <set>
#include <thread>

namespace velmora::store_test {
namespace {

using store::ExchangeHistory;
using store::HistoryEntry;

class ExchangeHistoryTest : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::Postgresql && !serverSocket())
            GTEST_SKIP() << "no test server: run through ctest, which starts one";
        under_.emplace(GetParam());
    }
    std::optional<StoreUnderTest> under_;
};

HistoryEntry entry(const char* action, const char* direction, const char* device, char fill) {
    return {{},
            {},
            "host",
            "anna",
            store::kWindowProgram,
            device,
            action,
            direction,
            std::string(192, fill),
            "101",
            store::kUnanswered};
}

// The window's and the command line's entries, and a batch unit seen through its job's
// number (never written twice), listed in time order on both engines; the expired go,
// the production record stays.
TEST_P(ExchangeHistoryTest, EntriesAndBatchUnitsAreOneHistory) {
    ExchangeHistory history(under_->location());
    const auto sent = history.add(entry("Programma", store::kSentToUnit, "/dev/ttyUSB0", 'A'));
    ASSERT_TRUE(sent.ok()) << sent.error().message;
    ASSERT_TRUE(history.setOutcome(*sent, store::kAcknowledged).ok());
    ASSERT_TRUE(history.add(entry("Leggi", store::kReadFromUnit, "/dev/ttyUSB1", 'B')).ok());
    {
        auto production = under_->open();
        const store::JobSpec job{"rx-300", "rx300.prg", std::string(64, 'a'), std::string(192, '0'),
                                 101,      102};
        ASSERT_TRUE(production->createJob(job, "pc1", "anna").ok());
        ASSERT_TRUE(production->take("rx-300", {"pc1", "1", "anna", "/dev/ttyUSB2"}).ok());
        ASSERT_TRUE(production
                        ->record("rx-300", 101,
                                 {store::kVerified, "verified", "", true, std::string(192, 'C')})
                        .ok());
        // A number taken but never sent is no exchange.
        ASSERT_TRUE(production->take("rx-300", {"pc1", "2", "anna", "/dev/ttyUSB3"}).ok());
        ASSERT_TRUE(
            production->record("rx-300", 102, {store::kFree, "no-answer", "", false, ""}).ok());
    }
    const auto listed = history.list({});
    ASSERT_TRUE(listed.ok()) << listed.error().message;
    std::vector<std::string> seen;
    for (const HistoryEntry& kept : *listed)
        seen.push_back(kept.id + " " + kept.action + " " + kept.device + " " + kept.outcome + " " +
                       kept.image.substr(0, 2) + " " + kept.number);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "1 Programma /dev/ttyUSB0 acknowledged AA 101",
                        "2 Leggi /dev/ttyUSB1 unanswered BB 101",
                        "rx-300/101 batch /dev/ttyUSB2 verified CC 101",
                    }));
    const auto batchUnit = history.find("rx-300/101");
    ASSERT_TRUE(batchUnit.ok() && *batchUnit);
    EXPECT_EQ((*batchUnit)->operatorName, "anna");
    EXPECT_EQ((*batchUnit)->direction, store::kSentToUnit);
    const auto absent = history.find("3");
    ASSERT_TRUE(absent.ok());
    EXPECT_FALSE(*absent);
    const auto onDevice = history.list({"/dev/ttyUSB1", {}, {}});
    ASSERT_TRUE(onDevice.ok() && onDevice->size() == 1u);
    const auto removed = history.removeOlderThan(QDateTime::currentMSecsSinceEpoch() + 1000);
    ASSERT_TRUE(removed.ok());
    EXPECT_EQ(*removed, 2);
    const auto left = history.list({});
    ASSERT_TRUE(left.ok() && left->size() == 1u);
    EXPECT_EQ(left->front().id, "rx-300/101");
}

// Two programs writing at once (two windows, a window and a command) never share an id.
TEST_P(ExchangeHistoryTest, WritersAtOnceGetIdsOfTheirOwn) {
    ASSERT_TRUE(ExchangeHistory(under_->location()).list({}).ok()); // made once, beforehand
    std::vector<long> ids[2];
    std::vector<std::thread> writers;
    for (auto& got : ids)
        writers.emplace_back([this, &got] {
            ExchangeHistory history(under_->location());
            for (int i = 0; i < 15; ++i)
                if (const auto id = history.add(entry("read", store::kReadFromUnit, "d", '0')))
                    got.push_back(*id);
        });
    for (auto& writer : writers)
        writer.join();
    std::set<long> distinct(ids[0].begin(), ids[0].end());
    distinct.insert(ids[1].begin(), ids[1].end());
    EXPECT_EQ(ids[0].size() + ids[1].size(), 30u);
    EXPECT_EQ(distinct.size(), 30u);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ExchangeHistoryTest,
                         testing::Values(Engine::Sqlite, Engine::Postgresql), engineName);

} // namespace
} // namespace velmora::store_test
