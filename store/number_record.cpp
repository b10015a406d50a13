#include "store/store_steps.h"

#include <algorithm>

namespace velmora::store {

StoreResult<std::vector<long>>
ProductionStore::importSpent(const std::string& job, const std::vector<ImportedNumber>& numbers) {
    return attempt([&](StoreConnection& db) {
        return inTransaction(db, [&]() -> StoreResult<std::vector<long>> {
            std::vector<long> kept;
            for (const ImportedNumber& imported : numbers) {
                const Outcome& outcome = imported.outcome;
                const Taker& taker = imported.taker;
                auto spent = db.run(
                    "UPDATE numbers SET state = ?, station = ?, position = ?, operator = ?, "
                    "device = ?, sent_at = ?, result = ?, detail = ?, frame_sent = ?, image = ?, "
                    "finished_at = ? WHERE job = ? AND number = ? AND state = 'free'",
                    {text(outcome.state), text(taker.station), text(taker.position),
                     text(taker.operatorName), text(taker.device), text(imported.sentAt),
                     text(outcome.result), text(outcome.detail), number(outcome.frameSent ? 1 : 0),
                     text(outcome.image), text(imported.sentAt), text(job),
                     number(imported.number)});
                if (!spent)
                    return spent.error();
                if ((*spent)->numRowsAffected() == 1)
                    continue;
                auto known = db.count("SELECT count(*) FROM numbers WHERE job = ? AND number = ?",
                                      {text(job), number(imported.number)});
                if (!known)
                    return known.error();
                if (*known == 0)
                    return StoreError{"number " + std::to_string(imported.number) +
                                          " is not in the range of job \"" + job + "\"",
                                      true};
                kept.push_back(imported.number);
            }
            return kept;
        });
    });
}

StoreResult<std::vector<std::pair<std::string, long>>>
ProductionStore::markInFlightToCheck(const std::string& station,
                                     const std::vector<std::string>& devices) {
    using Marked = std::vector<std::pair<std::string, long>>;
    if (devices.empty())
        return Marked();
    // One statement for every device: it commits by itself, in one round trip.
    QString sweep =
        QStringLiteral("UPDATE numbers SET state = 'to-check', result = 'interrupted', "
                       "detail = 'in flight when its station stopped; the unit may hold it', "
                       "finished_at = ? WHERE state = 'sent' AND station = ? AND device IN (?");
    sweep += QStringLiteral(", ?").repeated(static_cast<int>(devices.size()) - 1);
    sweep += QStringLiteral(") RETURNING job, number");
    std::vector<QVariant> values{text(storeTimestamp()), text(station)};
    for (const std::string& device : devices)
        values.push_back(text(device));
    return attempt([&](StoreConnection& db) -> StoreResult<Marked> {
        auto swept = db.run(sweep, values);
        if (!swept)
            return swept.error();
        Marked marked;
        while ((*swept)->next())
            marked.emplace_back((*swept)->value(0).toString().toStdString(),
                                (*swept)->value(1).toLongLong());
        std::sort(marked.begin(), marked.end());
        return marked;
    });
}

StoreResult<std::vector<NumberRow>> ProductionStore::rows(const std::string& job) {
    return attempt([&](StoreConnection& db) -> StoreResult<std::vector<NumberRow>> {
        QString query = QStringLiteral(
            "SELECT n.job, n.number, n.state, n.station, n.position, n.operator, n.device, "
            "n.sent_at, n.result, n.detail, n.frame_sent, n.image, n.finished_at, "
            "j.configuration_file, j.configuration_sha256 FROM numbers n JOIN jobs j ON "
            "j.name = n.job WHERE n.state <> 'free'");
        std::vector<QVariant> values;
        if (!job.empty()) {
            query += QStringLiteral(" AND n.job = ?");
            values.push_back(text(job));
        }
        auto found = db.run(query + QStringLiteral(" ORDER BY n.job, n.number"), values);
        if (!found)
            return found.error();
        std::vector<NumberRow> all;
        const auto textAt = [&found](int column) {
            return (*found)->value(column).toString().toStdString();
        };
        while ((*found)->next()) {
            NumberRow row;
            row.job = textAt(0);
            row.number = static_cast<long>((*found)->value(1).toLongLong());
            row.state = textAt(2);
            row.taker = {textAt(3), textAt(4), textAt(5), textAt(6)};
            row.sentAt = textAt(7);
            row.result = textAt(8);
            row.detail = textAt(9);
            row.frameSent = (*found)->value(10).toLongLong() != 0;
            row.image = textAt(11);
            row.finishedAt = textAt(12);
            row.configurationFile = textAt(13);
            row.configurationSha256 = textAt(14);
            all.push_back(std::move(row));
        }
        return all;
    });
}

} // namespace velmora::store
