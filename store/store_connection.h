#pragma once

#include "store/store_location.h"
#include "store/store_types.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <map>
#include <memory>
#include <vector>

namespace velmora::store {

// The few words of SQL that differ between the two engines; everything else, the
// schema included, is the same text on both.
struct EngineSql {
    const char* driver;
    const char* beginWrite; // a transaction that will write
    const char* lockSchema; // taken by the first statement of a migration
    const char* skipTaken;  // appended to the query that picks a free number
    const char* tableCount; // how many tables of this database carry the name bound
};

// One open database of the store, on the thread that opened it (Qt SQL connections
// belong to one thread). Opening checks what the database is before writing anything:
// a file that is not an SQLite database of this program, or one of a newer schema, is
// refused and left as it was; an older schema is brought up to date.
class StoreConnection {
public:
    static StoreResult<std::unique_ptr<StoreConnection>> open(const StoreLocation& location);
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    const EngineSql& sql() const { return *sql_; }
    const StoreLocation& location() const { return location_; }

    // One statement with its values bound in order to its '?'. A statement with values is
    // prepared once per connection and kept: PostgreSQL then takes one round trip for it.
    StoreResult<std::shared_ptr<QSqlQuery>> run(const QString& statement, const std::vector<QVariant>& values = {});
    // Lets go of every result still open, so that no read holds an old snapshot; after
    // each verb and before each commit.
    void finishAll();
    // The first column of the first row of a query; -1 when it gives no row.
    StoreResult<long> count(const char* statement, const std::vector<QVariant>& values = {});
    StoreResult<void> begin() { return exec(sql_->beginWrite); }
    StoreResult<void> commit() {
        finishAll();
        return exec("COMMIT");
    }
    void rollback();

private:
    StoreConnection(StoreLocation location, const EngineSql& sql);
    StoreResult<void> exec(const char* statement);
    StoreResult<void> openDatabase();
    StoreResult<int> schemaVersion();
    StoreResult<void> checkBeforeWriting();
    StoreResult<void> migrate();
    StoreError failure(const QString& what, const QSqlError& error) const;

    StoreLocation location_;
    const EngineSql* sql_;
    QString name_;
    QSqlDatabase db_;
    std::map<QString, std::shared_ptr<QSqlQuery>> prepared_;
};

// The schema version this program writes; a database of a later one is refused.
int latestSchemaVersion();

} // namespace velmora::store
