#include "store/store_steps.h"

#include <algorithm>

namespace velmora::store {
namespace {

// Puts down what became of a number in flight; false when it is not in flight.
StoreResult<bool> recordOne(StoreConnection& db, const std::string& job, long taken,
                            const Outcome& outcome) {
    // A number whose frame never left goes back, with no trace of who held it.
    auto done =
        outcome.state == kFree
            ? db.run("UPDATE numbers SET state = 'free', station = NULL, position = NULL, "
                     "operator = NULL, device = NULL, sent_at = NULL "
                     "WHERE job = ? AND number = ? AND state = 'sent'",
                     {text(job), number(taken)})
            : db.run("UPDATE numbers SET state = ?, result = ?, detail = ?, frame_sent = ?, "
                     "image = ?, finished_at = ? WHERE job = ? AND number = ? AND "
                     "state = 'sent'",
                     {text(outcome.state), text(outcome.result), text(outcome.detail),
                      number(outcome.frameSent ? 1 : 0), text(outcome.image),
                      text(storeTimestamp()), text(job), number(taken)});
    if (!done)
        return done.error();
    return (*done)->numRowsAffected() == 1;
}

// The lowest free number of the open job for each taker in turn, marked sent; none for
// the takers after the job ran out.
StoreResult<std::vector<std::optional<Taken>>> takeEach(StoreConnection& db, const std::string& job,
                                                        const std::vector<Taker>& takers) {
    // One statement picks the lowest free number of the open job and marks it sent: one
    // round trip per number on PostgreSQL.
    const QString pick =
        QStringLiteral("UPDATE numbers SET state = 'sent', station = ?, position = ?, "
                       "operator = ?, device = ?, sent_at = ? "
                       "WHERE job = ? AND state = 'free' AND number = "
                       "(SELECT number FROM numbers WHERE job = ? AND state = 'free' "
                       "ORDER BY number LIMIT 1") +
        QString::fromLatin1(db.sql().skipTaken) +
        QStringLiteral(") AND EXISTS (SELECT 1 FROM jobs WHERE name = ? AND "
                       "closed_at IS NULL) RETURNING number");
    std::vector<std::optional<Taken>> numbers;
    for (const Taker& taker : takers) {
        auto sent = db.run(pick, {text(taker.station), text(taker.position),
                                  text(taker.operatorName), text(taker.device),
                                  text(storeTimestamp()), text(job), text(job), text(job)});
        if (!sent)
            return sent.error();
        if (!(*sent)->next())
            break;
        numbers.push_back(Taken{static_cast<long>((*sent)->value(0).toLongLong()), 0});
        (*sent)->finish();
    }
    if (numbers.empty()) {
        auto known = db.count("SELECT count(*) FROM jobs WHERE name = ?", {text(job)});
        if (!known)
            return known.error();
        if (*known == 0)
            return StoreError{"no job is named \"" + job + "\"", true};
        numbers.resize(takers.size());
        return numbers;
    }
    long highest = numbers.front()->number;
    for (const auto& taken : numbers)
        highest = std::max(highest, taken->number);
    auto left = freeLeft(db, job, highest);
    if (!left)
        return left.error();
    long after = *left + static_cast<long>(numbers.size());
    for (auto& taken : numbers)
        taken->freeLeft = --after;
    numbers.resize(takers.size());
    return numbers;
}

StoreError notInFlight(const std::string& job, long taken) {
    return {"number " + std::to_string(taken) + " of job \"" + job + "\" is not in flight", true};
}

} // namespace

StoreResult<Settled> ProductionStore::settle(const std::string& job,
                                             const std::vector<NumberOutcome>& outcomes,
                                             const std::vector<Taker>& takers) {
    const auto steps = [&](StoreConnection& db) -> StoreResult<Settled> {
        Settled settled;
        for (const NumberOutcome& finished : outcomes) {
            auto recorded = recordOne(db, job, finished.number, finished.outcome);
            if (!recorded)
                return recorded.error();
            settled.recorded.push_back(*recorded
                                           ? StoreResult<void>()
                                           : StoreResult<void>(notInFlight(job, finished.number)));
        }
        if (takers.empty())
            return settled;
        auto taken = takeEach(db, job, takers);
        if (!taken)
            return taken.error();
        settled.taken = std::move(*taken);
        return settled;
    };
    // A lone outcome is one statement, which commits by itself.
    const bool oneStatement = takers.empty() && outcomes.size() == 1;
    return attempt([&](StoreConnection& db) {
        return oneStatement ? steps(db) : inTransaction(db, [&]() { return steps(db); });
    });
}

StoreResult<std::optional<Taken>> ProductionStore::take(const std::string& job,
                                                        const Taker& taker) {
    auto settled = settle(job, {}, {taker});
    if (!settled)
        return settled.error();
    return settled->taken.front();
}

StoreResult<void> ProductionStore::record(const std::string& job, long taken,
                                          const Outcome& outcome) {
    auto settled = settle(job, {{taken, outcome}}, {});
    if (!settled)
        return settled.error();
    return settled->recorded.front();
}

} // namespace velmora::store
