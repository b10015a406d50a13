#include "store/production_store.h"

#include <QDateTime>

#include <algorithm>
#include <cstdlib>

namespace velmora::store {
namespace {

const char* const kJobColumns =
    "SELECT name, configuration_file, configuration_sha256, image, first_number, last_number, "
    "created_at, created_by, created_on, closed_at FROM jobs";

Job jobOf(const QSqlQuery& query) {
    Job job;
    job.name = query.value(0).toString().toStdString();
    job.configurationFile = query.value(1).toString().toStdString();
    job.configurationSha256 = query.value(2).toString().toStdString();
    job.image = query.value(3).toString().toStdString();
    job.firstNumber = query.value(4).toLongLong();
    job.lastNumber = query.value(5).toLongLong();
    job.createdAt = query.value(6).toString().toStdString();
    job.createdBy = query.value(7).toString().toStdString();
    job.createdOn = query.value(8).toString().toStdString();
    if (!query.value(9).isNull())
        job.closedAt = query.value(9).toString().toStdString();
    return job;
}

QVariant text(const std::string& value) {
    return QString::fromStdString(value);
}

QVariant number(long value) {
    return static_cast<qlonglong>(value);
}

// Runs `steps` in one write transaction: committed when they succeed, rolled back when not.
template <typename Steps>
auto inTransaction(StoreConnection& db, Steps steps) -> decltype(steps()) {
    if (auto began = db.begin(); !began)
        return began.error();
    auto done = steps();
    if (!done) {
        db.rollback();
        return done;
    }
    if (auto committed = db.commit(); !committed) {
        db.rollback();
        return committed.error();
    }
    return done;
}

} // namespace

std::string storeTimestamp() {
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc() / 60;
    // The offset always spelt out, "+00:00" included, where Qt would write "Z".
    return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toStdString() +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? '-' : '+')
               .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
               .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'))
               .toStdString();
}

StoreResult<std::unique_ptr<ProductionStore>> ProductionStore::open(const StoreLocation& location) {
    std::unique_ptr<ProductionStore> store(new ProductionStore(location));
    auto connection = StoreConnection::open(location);
    if (!connection)
        return connection.error();
    store->connection_ = std::move(*connection);
    return store;
}

// A connection that failed is dropped and opened again by the next verb, so that a
// server that restarted or a disk with room again is used as soon as it is back.
template <typename Work>
auto ProductionStore::attempt(Work work) -> decltype(work(std::declval<StoreConnection&>())) {
    if (!connection_) {
        auto connection = StoreConnection::open(location_);
        if (!connection)
            return connection.error();
        connection_ = std::move(*connection);
    }
    auto done = work(*connection_);
    connection_->finishAll();
    if (!done && !done.error().refused)
        connection_.reset();
    return done;
}

StoreResult<Job> ProductionStore::addJob(StoreConnection& db, const JobSpec& spec,
                                         const std::string& station,
                                         const std::string& operatorName) {
    Job job;
    static_cast<JobSpec&>(job) = spec;
    job.createdAt = storeTimestamp();
    job.createdBy = operatorName;
    job.createdOn = station;
    auto added =
        db.run("INSERT INTO jobs (name, configuration_file, configuration_sha256, "
               "image, first_number, last_number, created_at, created_by, created_on) "
               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
               {text(spec.name), text(spec.configurationFile), text(spec.configurationSha256),
                text(spec.image), number(spec.firstNumber), number(spec.lastNumber),
                text(job.createdAt), text(operatorName), text(station)});
    if (!added)
        return added.error();
    auto numbered = db.run("WITH RECURSIVE n (x) AS (SELECT CAST(? AS INTEGER) UNION ALL "
                           "SELECT x + 1 FROM n WHERE x < CAST(? AS INTEGER)) "
                           "INSERT INTO numbers (job, number, state) SELECT ?, x, 'free' FROM n",
                           {number(spec.firstNumber), number(spec.lastNumber), text(spec.name)});
    if (!numbered)
        return numbered.error();
    return job;
}

StoreResult<Job> ProductionStore::createJob(const JobSpec& spec, const std::string& station,
                                            const std::string& operatorName) {
    return attempt([&](StoreConnection& db) {
        return inTransaction(db, [&]() -> StoreResult<Job> {
            if (auto locked = db.run(db.sql().lockSchema); !locked)
                return locked.error();
            auto existing =
                db.run(QString::fromLatin1(kJobColumns) + " WHERE name = ?", {text(spec.name)});
            if (!existing)
                return existing.error();
            if ((*existing)->next())
                return StoreError{"a job named \"" + spec.name + "\" exists already", true};
            return addJob(db, spec, station, operatorName);
        });
    });
}

StoreResult<Job> ProductionStore::joinOrCreateJob(const JobSpec& spec, bool byName,
                                                  const std::string& station,
                                                  const std::string& operatorName) {
    return attempt([&](StoreConnection& db) {
        return inTransaction(db, [&]() -> StoreResult<Job> {
            if (auto locked = db.run(db.sql().lockSchema); !locked)
                return locked.error();
            auto found =
                byName
                    ? db.run(QString::fromLatin1(kJobColumns) + " WHERE name = ?",
                             {text(spec.name)})
                    : db.run(QString::fromLatin1(kJobColumns) +
                                 " WHERE image = ? AND first_number = ? AND last_number = ?"
                                 " AND closed_at IS NULL ORDER BY created_at",
                             {text(spec.image), number(spec.firstNumber), number(spec.lastNumber)});
            if (!found)
                return found.error();
            if ((*found)->next()) {
                Job job = jobOf(**found);
                if (job.image != spec.image || job.firstNumber != spec.firstNumber ||
                    job.lastNumber != spec.lastNumber)
                    return StoreError{
                        "the job \"" + spec.name + "\" has another configuration or range", true};
                return job;
            }
            if (!byName) {
                auto named =
                    db.count("SELECT count(*) FROM jobs WHERE name = ?", {text(spec.name)});
                if (!named)
                    return named.error();
                if (*named > 0)
                    return StoreError{
                        "the job \"" + spec.name + "\" has another configuration or range", true};
            }
            return addJob(db, spec, station, operatorName);
        });
    });
}

StoreResult<std::optional<Job>> ProductionStore::findJob(const std::string& name) {
    return attempt([&](StoreConnection& db) -> StoreResult<std::optional<Job>> {
        auto found = db.run(QString::fromLatin1(kJobColumns) + " WHERE name = ?", {text(name)});
        if (!found)
            return found.error();
        if (!(*found)->next())
            return std::optional<Job>();
        return std::optional<Job>(jobOf(**found));
    });
}

StoreResult<std::vector<Job>> ProductionStore::jobs() {
    return attempt([&](StoreConnection& db) -> StoreResult<std::vector<Job>> {
        auto found = db.run(QString::fromLatin1(kJobColumns) + " ORDER BY created_at, name");
        if (!found)
            return found.error();
        std::vector<Job> all;
        while ((*found)->next())
            all.push_back(jobOf(**found));
        return all;
    });
}

StoreResult<void> ProductionStore::closeJob(const std::string& name) {
    return attempt([&](StoreConnection& db) -> StoreResult<void> {
        auto closed = db.run("UPDATE jobs SET closed_at = ? WHERE name = ? AND closed_at IS NULL",
                             {text(storeTimestamp()), text(name)});
        if (!closed)
            return closed.error();
        if ((*closed)->numRowsAffected() != 1)
            return StoreError{"no open job is named \"" + name + "\"", true};
        return {};
    });
}

StoreResult<std::optional<Taken>> ProductionStore::take(const std::string& job,
                                                        const Taker& taker) {
    auto taken = takeSeveral(job, {taker});
    if (!taken)
        return taken.error();
    return taken->front();
}

StoreResult<std::vector<std::optional<Taken>>>
ProductionStore::takeSeveral(const std::string& job, const std::vector<Taker>& takers) {
    using Numbers = std::vector<std::optional<Taken>>;
    return attempt([&](StoreConnection& db) {
        return inTransaction(db, [&]() -> StoreResult<Numbers> {
            // One statement picks the lowest free number of the open job and marks it
            // sent: one round trip per number on PostgreSQL.
            const QString pick =
                QStringLiteral("UPDATE numbers SET state = 'sent', station = ?, position = ?, "
                               "operator = ?, device = ?, sent_at = ? "
                               "WHERE job = ? AND state = 'free' AND number = "
                               "(SELECT number FROM numbers WHERE job = ? AND state = 'free' "
                               "ORDER BY number LIMIT 1") +
                QString::fromLatin1(db.sql().skipTaken) +
                QStringLiteral(") AND EXISTS (SELECT 1 FROM jobs WHERE name = ? AND "
                               "closed_at IS NULL) RETURNING number");
            Numbers numbers;
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
            // How many are free, counted from the highest number taken: above it nearly
            // all are, below it nearly none, so both counts read only a few rows however
            // long the job's range.
            long highest = numbers.front()->number;
            for (const auto& taken : numbers)
                highest = std::max(highest, taken->number);
            // Each state counted on its own, so that the index on (job, state, number)
            // reads only the rows counted.
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
            long after = static_cast<long>((*counted)->value(0).toLongLong()) +
                         static_cast<long>(numbers.size());
            for (auto& taken : numbers)
                taken->freeLeft = --after;
            numbers.resize(takers.size());
            return numbers;
        });
    });
}

StoreResult<void> ProductionStore::record(const std::string& job, long taken,
                                          const Outcome& outcome) {
    return attempt([&](StoreConnection& db) -> StoreResult<void> {
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
        if ((*done)->numRowsAffected() != 1)
            return StoreError{"number " + std::to_string(taken) + " of job \"" + job +
                                  "\" is not in flight",
                              true};
        return {};
    });
}

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
    return attempt([&](StoreConnection& db) {
        return inTransaction(db, [&]() -> StoreResult<Marked> {
            Marked marked;
            for (const std::string& device : devices) {
                auto found = db.run("SELECT job, number FROM numbers WHERE state = 'sent' AND "
                                    "station = ? AND device = ? ORDER BY job, number",
                                    {text(station), text(device)});
                if (!found)
                    return found.error();
                while ((*found)->next())
                    marked.emplace_back((*found)->value(0).toString().toStdString(),
                                        (*found)->value(1).toLongLong());
                auto changed =
                    db.run("UPDATE numbers SET state = 'to-check', result = 'interrupted', "
                           "detail = 'in flight when its station stopped; the unit may hold it', "
                           "finished_at = ? WHERE state = 'sent' AND station = ? AND device = ?",
                           {text(storeTimestamp()), text(station), text(device)});
                if (!changed)
                    return changed.error();
            }
            std::sort(marked.begin(), marked.end());
            return marked;
        });
    });
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
