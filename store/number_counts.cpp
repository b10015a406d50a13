#include "store/store_steps.h"

namespace velmora::store {

StoreResult<long> freeLeft(StoreConnection& db, const std::string& job, long highest) {
    // Above the highest number taken nearly all are free, below it nearly none, so both
    // counts read only a few rows however long the job's range. Each state is counted on
    // its own, so that the index on (job, state, number) reads only the rows counted.
    QString left = QStringLiteral("SELECT j.last_number - ?");
    std::vector<QVariant> values{number(highest)};
    for (const char* state : {kSent, kProgrammed, kVerified, kToCheck}) {
        left += QStringLiteral(" - (SELECT count(*) FROM numbers WHERE job = ? AND "
                               "state = ? AND number > ?)");
        values.insert(values.end(), {text(job), text(state), number(highest)});
    }
    left += QStringLiteral(" + (SELECT count(*) FROM numbers WHERE job = ? AND state = ? "
                           "AND number < ?) FROM jobs j WHERE j.name = ?");
    values.insert(values.end(), {text(job), text(kFree), number(highest), text(job)});
    auto counted = db.run(left, values);
    if (!counted)
        return counted.error();
    if (!(*counted)->next())
        return StoreError{"no job is named \"" + job + "\"", true};
    return static_cast<long>((*counted)->value(0).toLongLong());
}

StoreResult<std::vector<StateCount>> ProductionStore::counts(const std::string& job) {
    return attempt([&](StoreConnection& db) -> StoreResult<std::vector<StateCount>> {
        auto counted = db.run("SELECT state, COALESCE(station, ''), count(*) FROM numbers "
                              "WHERE job = ? GROUP BY state, station ORDER BY state, station",
                              {text(job)});
        if (!counted)
            return counted.error();
        std::vector<StateCount> all;
        while ((*counted)->next())
            all.push_back({(*counted)->value(0).toString().toStdString(),
                           (*counted)->value(1).toString().toStdString(),
                           static_cast<long>((*counted)->value(2).toLongLong())});
        return all;
    });
}

} // namespace velmora::store
