#include "store/exchange_history.h"
#include "tests/store/store_under_test.h"

#include <algorithm>
#include <set>
#include <thread>

namespace velmora::store_test {
namespace {

class ExchangeHistoryTest : public testing::TestWithParam<Engine> {};

// On both engines: two programs writing at once never share an id, and a batch unit is
// seen through its job's number (never written twice) while a number whose frame never
// left is no exchange.
TEST_P(ExchangeHistoryTest, EntriesAndBatchUnitsAreOneHistory) {
    if (GetParam() == Engine::Postgresql && !serverSocket())
        GTEST_SKIP() << "no test server: run through ctest, which starts one";
    const StoreUnderTest under(GetParam());
    auto production = under.open();
    ASSERT_TRUE(production
                    ->createJob({"rx-300", "rx300.prg", std::string(64, 'a'), std::string(192, '0'),
                                 101, 102},
                                "pc1", "anna")
                    .ok());
    for (const char* device : {"/dev/ttyUSB2", "/dev/ttyUSB3"})
        ASSERT_TRUE(production->take("rx-300", {"pc1", "1", "anna", device}).ok());
    ASSERT_TRUE(
        production->record("rx-300", 101, {store::kVerified, "verified", "", true, "CC"}).ok());
    ASSERT_TRUE(production->record("rx-300", 102, {store::kFree, "no-answer", "", false, ""}).ok());
    std::vector<long> ids[2];
    std::vector<std::thread> writers;
    for (int writer = 0; writer < 2; ++writer)
        writers.emplace_back([&under, &got = ids[writer], writer] {
            store::ExchangeHistory history(under.location());
            for (int i = 0; i < 15; ++i)
                if (const auto id = history.add({{},
                                                 {},
                                                 "host",
                                                 "anna",
                                                 store::kWindowProgram,
                                                 "/dev/ttyUSB" + std::to_string(writer),
                                                 "Leggi",
                                                 store::kReadFromUnit,
                                                 "AA",
                                                 "101",
                                                 store::kDecoded}))
                    got.push_back(*id);
        });
    for (auto& writer : writers)
        writer.join();
    std::set<long> distinct(ids[0].begin(), ids[0].end());
    distinct.insert(ids[1].begin(), ids[1].end());
    EXPECT_EQ(distinct.size(), 30u);
    const auto listed = store::ExchangeHistory(under.location()).list({});
    ASSERT_TRUE(listed.ok()) << listed.error().message;
    ASSERT_EQ(listed->size(), 31u);
    const auto unit = std::find_if(listed->begin(), listed->end(), [](const auto& entry) {
        return entry.id.find('/') != std::string::npos;
    });
    ASSERT_NE(unit, listed->end());
    EXPECT_EQ(unit->id + " " + unit->action + " " + unit->direction + " " + unit->device + " " +
                  unit->outcome + " " + unit->image + " " + unit->number + " " + unit->operatorName,
              "rx-300/101 batch sent /dev/ttyUSB2 verified CC 101 anna");
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ExchangeHistoryTest,
                         testing::Values(Engine::Sqlite, Engine::Postgresql), engineName);

} // namespace
} // namespace velmora::store_test
