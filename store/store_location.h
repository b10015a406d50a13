#pragma once

#include "store/store_types.h"

#include <QString>

#include <string>

namespace velmora::store {

// Where the production store lives: an SQLite file on this PC, or a PostgreSQL database
// that every station of a line shares.
struct StoreLocation {
    enum class Engine { Sqlite, Postgresql };
    Engine engine = Engine::Sqlite;
    QString sqliteFile;
    // libpq keyword/value pairs; a password is never among them (libpq finds it in
    // ~/.pgpass, PGPASSWORD or a service file).
    QString connectOptions;
    std::string shown; // for messages
};

// `--store` as given: empty for the default file ($XDG_DATA_HOME/velmora/
// production.sqlite), a "postgresql://" URL or libpq "keyword=value" pairs for
// PostgreSQL, anything else a path to an SQLite file. A password in the text is refused.
StoreResult<StoreLocation> storeLocationOf(const std::string& text);

} // namespace velmora::store
