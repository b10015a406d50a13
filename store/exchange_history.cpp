#include "store/exchange_history.h"

#include "store/production_store.h"
#include "store/store_steps.h"

#include <QDateTime>

#include <algorithm>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace velmora::store {
namespace {

const char* const kEntryColumns =
    "SELECT id, recorded_at, host, operator, program, device, action, direction, image, "
    "number, outcome FROM exchanges";

// An empty number is none: the bytes carried no number the decoder would read.
QVariant optionalText(const std::string& value) {
    return value.empty() ? QVariant(QMetaType(QMetaType::QString)) : text(value);
}

HistoryEntry entryOf(const QSqlQuery& query) {
    HistoryEntry entry;
    std::string* const fields[] = {&entry.id,           &entry.recordedAt, &entry.host,
                                   &entry.operatorName, &entry.program,    &entry.device,
                                   &entry.action,       &entry.direction,  &entry.image,
                                   &entry.number,       &entry.outcome};
    for (int column = 0; column < static_cast<int>(std::size(fields)); ++column)
        *fields[column] = query.value(column).toString().toStdString();
    return entry;
}

} // namespace

std::optional<std::int64_t> momentOf(const std::string& recordedAt) {
    const QDateTime moment =
        QDateTime::fromString(QString::fromStdString(recordedAt), Qt::ISODateWithMs);
    if (!moment.isValid())
        return std::nullopt;
    return moment.toMSecsSinceEpoch();
}

std::string accountOperator() {
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty())
            return name.toStdString();
#ifndef _WIN32
    // A service or a root shell may set none of them; every entry still names its operator.
    if (const passwd* account = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(account->pw_name).toStdString();
#endif
    return {};
}

template <typename Work>
auto ExchangeHistory::attempt(Work work) -> decltype(work(std::declval<StoreConnection&>())) {
    return onConnection(connection_, location_, work);
}

StoreResult<long> ExchangeHistory::add(const HistoryEntry& entry) {
    return attempt([&](StoreConnection& db) {
        return inTransaction(db, [&]() -> StoreResult<long> {
            // Ids count up one at a time, every station of a line in turn.
            if (auto locked = db.run(db.sql().lockSchema); !locked)
                return locked.error();
            auto last = db.count("SELECT COALESCE(MAX(id), 0) FROM history");
            if (!last)
                return last.error();
            const long id = *last + 1;
            const std::string now = storeTimestamp();
            auto added = db.run(
                "INSERT INTO history (id, recorded_at, recorded_ms, host, operator, program, "
                "device, action, direction, image, number, outcome) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {number(id), text(now), static_cast<qlonglong>(momentOf(now).value_or(0)),
                 text(entry.host), text(entry.operatorName), text(entry.program),
                 text(entry.device), text(entry.action), text(entry.direction), text(entry.image),
                 optionalText(entry.number), text(entry.outcome)});
            if (!added)
                return added.error();
            return id;
        });
    });
}

StoreResult<void> ExchangeHistory::setOutcome(long id, const std::string& outcome) {
    return attempt([&](StoreConnection& db) -> StoreResult<void> {
        auto set = db.run("UPDATE history SET outcome = ? WHERE id = ?",
                          {text(outcome), static_cast<qlonglong>(id)});
        if (!set)
            return set.error();
        return {};
    });
}

StoreResult<std::vector<HistoryEntry>> ExchangeHistory::list(const HistoryFilter& filter) {
    return attempt([&](StoreConnection& db) -> StoreResult<std::vector<HistoryEntry>> {
        auto read = db.run(QString::fromLatin1(kEntryColumns));
        if (!read)
            return read.error();
        std::vector<std::pair<std::int64_t, HistoryEntry>> found;
        while ((*read)->next()) {
            HistoryEntry entry = entryOf(**read);
            const std::int64_t moment = momentOf(entry.recordedAt).value_or(0);
            if ((filter.device.empty() || entry.device == filter.device) &&
                (!filter.sinceMs || moment >= *filter.sinceMs))
                found.emplace_back(moment, std::move(entry));
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<HistoryEntry> entries;
        for (auto& [moment, entry] : found)
            entries.push_back(std::move(entry));
        return entries;
    });
}

StoreResult<std::optional<HistoryEntry>> ExchangeHistory::find(const std::string& id) {
    return attempt([&](StoreConnection& db) -> StoreResult<std::optional<HistoryEntry>> {
        auto read = db.run(QString::fromLatin1(kEntryColumns) + " WHERE id = ?", {text(id)});
        if (!read)
            return read.error();
        if (!(*read)->next())
            return std::optional<HistoryEntry>{};
        return std::optional<HistoryEntry>{entryOf(**read)};
    });
}

StoreResult<long> ExchangeHistory::removeOlderThan(std::int64_t cutoffMs) {
    return attempt([&](StoreConnection& db) -> StoreResult<long> {
        auto removed =
            db.run("DELETE FROM history WHERE recorded_ms < ?", {static_cast<qlonglong>(cutoffMs)});
        if (!removed)
            return removed.error();
        return static_cast<long>((*removed)->numRowsAffected());
    });
}

} // namespace velmora::store
