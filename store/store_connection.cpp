#include "store/store_connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include <atomic>

namespace velmora::store {
namespace {

constexpr EngineSql kSqlite{
    "QSQLITE",
    "BEGIN IMMEDIATE",
    "SELECT 1",
    "",
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?",
};
constexpr EngineSql kPostgresql{
    "QPSQL",
    "BEGIN",
    // Two stations that meet an empty database on the same second migrate one at a time.
    "SELECT pg_advisory_xact_lock(5617302)",
    " FOR UPDATE SKIP LOCKED",
    "SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema() "
    "AND table_name = ?",
};

// An SQLite file starts with these 16 bytes; any other file is not ours to open.
constexpr char kSqliteHeader[] = "SQLite format 3";

// The migrations in order: entry i brings the schema from version i to i + 1. Identical
// text on both engines: TEXT for every string, times as ISO 8601 text, images as
// hexadecimal text.
const std::vector<std::vector<const char*>> kMigrations{
    {
        "CREATE TABLE jobs ("
        " name TEXT PRIMARY KEY,"
        " configuration_file TEXT NOT NULL,"
        " configuration_sha256 TEXT NOT NULL,"
        " image TEXT NOT NULL,"
        " first_number INTEGER NOT NULL,"
        " last_number INTEGER NOT NULL,"
        " created_at TEXT NOT NULL,"
        " created_by TEXT NOT NULL,"
        " created_on TEXT NOT NULL,"
        " closed_at TEXT,"
        " CHECK (first_number <= last_number))",
        // A number belongs to a job once: the database refuses a second row.
        "CREATE TABLE numbers ("
        " job TEXT NOT NULL REFERENCES jobs (name),"
        " number INTEGER NOT NULL,"
        " state TEXT NOT NULL"
        "  CHECK (state IN ('free', 'sent', 'programmed', 'verified', 'to-check')),"
        " station TEXT, position TEXT, operator TEXT, device TEXT, sent_at TEXT,"
        " result TEXT, detail TEXT, frame_sent INTEGER, image TEXT, finished_at TEXT,"
        " UNIQUE (job, number))",
        "CREATE INDEX numbers_by_state ON numbers (job, state, number)",
    },
};

std::atomic<int> connections{0};

} // namespace

int latestSchemaVersion() {
    return static_cast<int>(kMigrations.size());
}

StoreConnection::StoreConnection(StoreLocation location, const EngineSql& sql)
    : location_(std::move(location)), sql_(&sql),
      name_(QStringLiteral("velmora-store-%1").arg(++connections)) {}

StoreConnection::~StoreConnection() {
    prepared_.clear();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

StoreResult<std::unique_ptr<StoreConnection>> StoreConnection::open(const StoreLocation& location) {
    const bool sqlite = location.engine == StoreLocation::Engine::Sqlite;
    std::unique_ptr<StoreConnection> connection(
        new StoreConnection(location, sqlite ? kSqlite : kPostgresql));
    if (sqlite) {
        if (auto checked = connection->checkBeforeWriting(); !checked)
            return checked.error();
    } else if (auto opened = connection->openDatabase(); !opened) {
        return opened.error();
    }
    if (auto migrated = connection->migrate(); !migrated)
        return migrated.error();
    return connection;
}

StoreResult<void> StoreConnection::openDatabase() {
    db_ = QSqlDatabase::addDatabase(QString::fromLatin1(sql_->driver), name_);
    if (!db_.isValid())
        return StoreError{std::string("the Qt SQL driver ") + sql_->driver +
                              " is missing (install libqt6sql6-sqlite and libqt6sql6-psql)",
                          true};
    if (location_.engine == StoreLocation::Engine::Sqlite) {
        db_.setDatabaseName(location_.sqliteFile);
        // Another batch on this PC may hold the write lock for a moment.
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        db_.setConnectOptions(location_.connectOptions);
    }
    if (!db_.open())
        return failure(QStringLiteral("cannot open"), db_.lastError());
    return {};
}

// Reads what the file is, writing nothing, before it becomes a store.
StoreResult<void> StoreConnection::checkBeforeWriting() {
    const QString& path = location_.sqliteFile;
    const std::string shown = path.toStdString();
    QFile file(path);
    if (file.exists()) {
        if (!QFileInfo(path).isFile())
            return StoreError{shown + " is not a regular file", true};
        if (!file.open(QIODevice::ReadOnly))
            return StoreError{shown + ": " + file.errorString().toStdString(), true};
        const QByteArray head = file.read(sizeof kSqliteHeader);
        if (!head.isEmpty() && head != QByteArray(kSqliteHeader, sizeof kSqliteHeader))
            return StoreError{shown + " is not a Velmora production store (not an SQLite "
                                      "database); it was left untouched",
                              true};
    } else if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return StoreError{"cannot create the folder of " + shown, true};
    }
    if (auto opened = openDatabase(); !opened)
        return opened;
    auto ours = count(sql_->tableCount, {QStringLiteral("velmora_schema")});
    if (!ours)
        return ours.error();
    if (*ours == 0) {
        auto others = count("SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'");
        if (!others)
            return others.error();
        if (*others > 0)
            return StoreError{shown + " is an SQLite database of another program; it was left "
                                      "untouched",
                              true};
    } else if (auto version = schemaVersion(); !version) {
        return version.error();
    }
    // Durable commits: in WAL mode with synchronous=FULL a commit that returned is on disk.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"})
        if (auto set = run(pragma); !set)
            return set.error();
    return {};
}

StoreResult<long> StoreConnection::count(const char* statement,
                                         const std::vector<QVariant>& values) {
    auto read = run(QString::fromLatin1(statement), values);
    if (!read)
        return read.error();
    // A statement left open would keep SQLite from changing its journal or committing.
    const long value = (*read)->next() ? (*read)->value(0).toLongLong() : -1;
    (*read)->finish();
    return value;
}

StoreResult<int> StoreConnection::schemaVersion() {
    auto read = count("SELECT version FROM velmora_schema");
    if (!read)
        return read.error();
    if (*read < 0)
        return StoreError{location_.shown + ": the store has no schema version", true};
    const int version = static_cast<int>(*read);
    if (version > latestSchemaVersion())
        return StoreError{location_.shown + " has schema version " + std::to_string(version) +
                              ", newer than this program's " +
                              std::to_string(latestSchemaVersion()) +
                              ": update velmora; the store was left untouched",
                          true};
    return version;
}

StoreResult<void> StoreConnection::migrate() {
    if (auto began = begin(); !began)
        return began;
    const auto steps = [this]() -> StoreResult<void> {
        if (auto locked = run(sql_->lockSchema); !locked)
            return locked.error();
        auto exists = count(sql_->tableCount, {QStringLiteral("velmora_schema")});
        if (!exists)
            return exists.error();
        if (*exists == 0) {
            for (const char* statement : {"CREATE TABLE velmora_schema (version INTEGER NOT NULL)",
                                          "INSERT INTO velmora_schema (version) VALUES (0)"})
                if (auto made = run(statement); !made)
                    return made.error();
        }
        auto version = schemaVersion();
        if (!version)
            return version.error();
        for (int step = *version; step < latestSchemaVersion(); ++step) {
            for (const char* statement : kMigrations[static_cast<std::size_t>(step)])
                if (auto done = run(statement); !done)
                    return done.error();
            if (auto noted = run("UPDATE velmora_schema SET version = ?", {step + 1}); !noted)
                return noted.error();
        }
        return {};
    };
    if (auto done = steps(); !done) {
        rollback();
        return done;
    }
    return commit();
}

StoreResult<std::shared_ptr<QSqlQuery>> StoreConnection::run(const QString& statement,
                                                             const std::vector<QVariant>& values) {
    // PostgreSQL prepares no schema statements; those carry no values anyway.
    if (values.empty()) {
        auto query = std::make_shared<QSqlQuery>(db_);
        query->setForwardOnly(true);
        if (!query->exec(statement))
            return failure(QStringLiteral("cannot write to"), query->lastError());
        return query;
    }
    auto kept = prepared_.find(statement);
    if (kept == prepared_.end()) {
        auto query = std::make_shared<QSqlQuery>(db_);
        query->setForwardOnly(true);
        if (!query->prepare(statement))
            return failure(QStringLiteral("cannot prepare a statement on"), query->lastError());
        kept = prepared_.emplace(statement, std::move(query)).first;
    }
    std::shared_ptr<QSqlQuery> query = kept->second;
    for (std::size_t i = 0; i < values.size(); ++i)
        query->bindValue(static_cast<int>(i), values[i]);
    if (!query->exec()) {
        const StoreError error = failure(QStringLiteral("cannot write to"), query->lastError());
        prepared_.erase(kept);
        return error;
    }
    return query;
}

void StoreConnection::finishAll() {
    for (auto& [statement, query] : prepared_)
        query->finish();
}

StoreResult<void> StoreConnection::exec(const char* statement) {
    auto done = run(QString::fromLatin1(statement));
    if (!done)
        return done.error();
    return {};
}

void StoreConnection::rollback() {
    finishAll();
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

StoreError StoreConnection::failure(const QString& what, const QSqlError& error) const {
    QString why = error.databaseText().trimmed();
    if (why.isEmpty())
        why = error.driverText().trimmed();
    return {what.toStdString() + " the store " + location_.shown + ": " + why.toStdString()};
}

} // namespace velmora::store
