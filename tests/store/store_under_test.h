#pragma once

#include "store/production_store.h"
#include "store/store_location.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace velmora::store_test {

// The engines every store test runs on.
enum class Engine { Sqlite, Postgresql };

inline std::string engineName(const testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgresql";
}

// The private server the test run started (see pg-server): its socket folder.
inline const char* serverSocket() {
    return std::getenv("VELMORA_TEST_PG_SOCKET");
}

// Runs one statement on the test server's maintenance database.
inline void onServer(const QString& statement) {
    const QString name = QStringLiteral("velmora-test-admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setConnectOptions(QStringLiteral("host=%1 user=velmora dbname=postgres")
                                    .arg(QString::fromLocal8Bit(serverSocket())));
        ASSERT_TRUE(admin.open()) << admin.lastError().text().toStdString();
        QSqlQuery query(admin);
        ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

// A fresh, empty store of the engine for one test: a file in a folder of its own, or a
// database of its own on the test server; removed afterwards.
class StoreUnderTest {
public:
    explicit StoreUnderTest(Engine engine) : engine_(engine) {
        static std::atomic<int> count{0};
        const std::string tag = std::to_string(::getpid()) + "_" + std::to_string(++count);
        if (engine == Engine::Sqlite) {
            folder_ = std::filesystem::temp_directory_path() / ("velmora-store-" + tag);
            std::filesystem::remove_all(folder_);
            std::filesystem::create_directories(folder_);
            location_.sqliteFile = QString::fromStdString((folder_ / "production.sqlite").string());
            location_.shown = location_.sqliteFile.toStdString();
            return;
        }
        database_ = "velmora_test_" + tag;
        onServer(QStringLiteral("CREATE DATABASE ") + QString::fromStdString(database_));
        location_.engine = store::StoreLocation::Engine::Postgresql;
        location_.connectOptions =
            QStringLiteral("host=%1 user=velmora dbname=%2")
                .arg(QString::fromLocal8Bit(serverSocket()), QString::fromStdString(database_));
        location_.shown = location_.connectOptions.toStdString();
    }
    ~StoreUnderTest() {
        if (engine_ == Engine::Sqlite)
            std::filesystem::remove_all(folder_);
        else
            onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)")
                         .arg(QString::fromStdString(database_)));
    }

    const store::StoreLocation& location() const { return location_; }
    // What `--store` says for this store.
    std::string argument() const {
        return engine_ == Engine::Sqlite ? location_.sqliteFile.toStdString()
                                         : location_.connectOptions.toStdString();
    }
    std::unique_ptr<store::ProductionStore> open() const {
        auto opened = store::ProductionStore::open(location_);
        EXPECT_TRUE(opened.ok()) << (opened ? "" : opened.error().message);
        return opened ? std::move(*opened) : nullptr;
    }
    // One statement past the store, as another program (or a newer velmora) would run it.
    bool runAside(const QString& statement) const {
        const QString name = QStringLiteral("velmora-test-aside");
        bool done = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(
                engine_ == Engine::Sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                name);
            if (engine_ == Engine::Sqlite)
                db.setDatabaseName(location_.sqliteFile);
            else
                db.setConnectOptions(location_.connectOptions);
            done = db.open() && QSqlQuery(db).exec(statement);
        }
        QSqlDatabase::removeDatabase(name);
        return done;
    }

private:
    Engine engine_;
    std::filesystem::path folder_;
    std::string database_;
    store::StoreLocation location_;
};

} // namespace velmora::store_test
