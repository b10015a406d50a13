#include "store/store_steps.h"

#include <QDateTime>

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
    // PostgreSQL plans from statistics that know nothing of a job just made: until its
    // next automatic analysis, a take would count what is left by reading the job's whole
    // range. A job that is a large share of the table has them brought up to date now (in
    // this transaction, which sees its own rows; a role that may not is skipped with a
    // warning).
    if (db.location().engine == StoreLocation::Engine::Postgresql) {
        auto rows = db.count("SELECT CAST(reltuples AS BIGINT) FROM pg_class "
                             "WHERE oid = CAST('numbers' AS regclass)");
        if (!rows)
            return rows.error();
        if ((spec.lastNumber - spec.firstNumber + 1) * 10 > *rows)
            if (auto analysed = db.run("ANALYZE numbers"); !analysed)
                return analysed.error();
    }
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

} // namespace velmora::store
