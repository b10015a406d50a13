#include "cli_process.h"
#include "store/exchange_history.h"
#include "store/history_image.h"
#include "support/monotonic_clock.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace velmora::cli_test {
namespace {

// The history the programs started by a test keep (its folder's production store).
std::vector<store::HistoryEntry> historyEntries() {
    store::ExchangeHistory history(*store::storeLocationOf({}));
    const auto entries = history.list({});
    EXPECT_TRUE(entries.ok()) << (entries ? "" : entries.error().message);
    return entries ? *entries : std::vector<store::HistoryEntry>{};
}

std::string hexText(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper()
        .toStdString();
}

// When the unit took the first byte of its second frame (the first after the backup's
// read request; polls are single bytes), on its monotonic clock.
double secondFrameMoment(const SimulatedUnit& unit) {
    int frames = 0;
    for (const auto& chunk : unit.timedChunks("rx"))
        for (std::size_t at = 0; at < chunk.bytes.size();
             at += chunk.bytes[at] == kFrameStart ? kFrameSize : 1)
            if (chunk.bytes[at] == kFrameStart && ++frames == 2)
                return chunk.ms;
    return -1;
}

// What a unit held is in the history, committed before the first byte of the frame that
// overwrites it, for program and for each unit of a batch with --backup; a unit that
// does not answer that read is programmed only with --no-backup.
TEST(History, WhatTheUnitHeldIsKeptBeforeItsFrame) {
    Folder folder;
    const auto held = folder.save("held.prg", windowAfter({"Txtnumero=7", "Combotono=5"}));
    const QString wanted = pathText(folder.save("wanted.prg", windowAfter({"Txtnumero=2024"})));
    const QStringList commands[] = {
        {"program", "--port", "1", wanted},
        {"batch", wanted, "--port", "1", "--number-from", "101", "--count", "1", "--backup"},
    };
    for (const QStringList& command : commands) {
        std::filesystem::remove_all(folder / "velmora");
        SimulatedUnit unit({"--image", pathText(held)});
        ASSERT_TRUE(unit.started());
        const CliRun run = runCli(command, unit.link(), 15000);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const double wallLessMonotonic =
            static_cast<double>(QDateTime::currentMSecsSinceEpoch()) - monotonicMs();
        // A batch unit's time is when its number was taken, before the backup read.
        auto entries = historyEntries();
        ASSERT_EQ(entries.size(), 2u) << command[0].toStdString();
        if (entries[0].action != "backup")
            std::swap(entries[0], entries[1]);
        const store::HistoryEntry& backup = entries[0];
        EXPECT_EQ(backup.action + " " + backup.outcome + " " + backup.number, "backup decoded 7");
        const Bytes replies = joined(unit.sent()); // "V"s, the image, the acknowledgement
        EXPECT_NE(hexText(replies).find(backup.image), std::string::npos);
        const std::vector<Bytes> frames = framesIn(unit.received());
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(entries[1].image, hexText(Bytes(frames[1].begin() + 1, frames[1].end() - 1)));
        const double keptAt =
            static_cast<double>(*store::momentOf(backup.recordedAt)) - wallLessMonotonic;
        EXPECT_LT(keptAt, secondFrameMoment(unit)) << command[0].toStdString();
    }
    SimulatedUnit silent({"--silent"});
    ASSERT_TRUE(silent.started());
    const CliRun unanswered =
        runCli({"program", "--port", "1", "--timeout", "0.2", wanted}, silent.link());
    EXPECT_EQ(unanswered.exitCode, 3);
    EXPECT_TRUE(holds(unanswered.err, "nothing was sent: --no-backup programs it"));
    EXPECT_EQ(framesIn(silent.received()).size(), 1u) << "a frame went to an unanswered unit";
    const CliRun forced = runCli(
        {"program", "--port", "1", "--timeout", "0.2", "--no-backup", wanted}, silent.link());
    EXPECT_EQ(forced.exitCode, 3);
    EXPECT_EQ(framesIn(silent.received()).size(), 2u);
    EXPECT_EQ(historyEntries().back().outcome, store::kUnanswered);
}

// An entry that does not exist, bytes the window cannot load or would not send, a store
// of a newer schema: each named, a non-zero status, nothing sent.
TEST(History, RestoreRefusesWhatItCannotSendAndSendsNothing) {
    Folder folder;
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const auto add = [](const std::array<std::uint8_t, 4>& numberDigits) {
        Image image = imageOfFrame(windowFrame(windowAfter()));
        for (int n = 1; n <= 4; ++n)
            imageByte(image, n) = numberDigits[static_cast<std::size_t>(n - 1)];
        store::HistoryEntry entry = store::entryOnThisHost(store::kCommandLineProgram, "read",
                                                           store::kReadFromUnit, "/dev/ttyUSB0");
        store::keepImage(entry, image);
        entry.outcome = store::kDecoded;
        return store::ExchangeHistory(*store::storeLocationOf({})).add(entry).ok();
    };
    ASSERT_TRUE(add({17, 5, 8, 2})); // 17582: read from a unit, never sent by the window
    ASSERT_TRUE(add({70, 0, 0, 0})); // 70000: beyond what a unit holds
    const struct {
        QStringList words;
        int status;
        const char* message;
        const char* schemaVersion = nullptr; // the store made newer first
    } cases[] = {
        {{"restore", "9"}, 2, "the history has no entry 9"},
        {{"restore", "1"}, 2, "history entry 1 cannot be programmed: "},
        {{"restore", "2"}, 2, "history entry 2 holds bytes the window cannot load"},
        {{"show", "2"}, 3, "history entry 2 holds bytes the window cannot load"},
        {{"diff", "1", "2"}, 3, "history entry 2 holds bytes the window cannot load"},
        {{"save", "1"}, 2, "history save ID needs -o FILE.prg"},
        {{"restore"}, 2, "usage: velmora-cli history"},
        {{"list", "--since", "yesterday"}, 2, "--since takes a date"},
        {{"restore", "1"}, 2, "newer than this program's", "99"},
    };
    for (const auto& test : cases) {
        if (test.schemaVersion) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "aside");
            db.setDatabaseName(store::storeLocationOf({})->sqliteFile);
            ASSERT_TRUE(
                db.open() &&
                QSqlQuery(db).exec(
                    QString("UPDATE velmora_schema SET version = %1").arg(test.schemaVersion)));
        }
        const CliRun run =
            runCli(QStringList{"history"} + test.words + QStringList{"--port", "1"}, unit.link());
        EXPECT_EQ(run.exitCode, test.status) << run.err;
        EXPECT_TRUE(holds(run.err, test.message));
    }
    QSqlDatabase::removeDatabase("aside");
    EXPECT_TRUE(unit.received().empty());
}

// Entries older than keep-days go when a command starts; a setting that cannot be read
// removes nothing and is named. Listing filters by device, number and time.
TEST(History, ExpiredEntriesGoAndTheListingFilters) {
    Folder folder;
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    std::filesystem::create_directories(folder / "config/velmora");
    store::ExchangeHistory history(*store::storeLocationOf({}));
    for (const char* device : {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB1"}) {
        store::HistoryEntry entry =
            store::entryOnThisHost(store::kWindowProgram, "Leggi", store::kReadFromUnit, device);
        store::keepImage(entry, imageOfFrame(windowFrame(windowAfter({"Txtnumero=42"}))));
        entry.outcome = store::kDecoded;
        ASSERT_TRUE(history.add(entry).ok());
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "aside");
        db.setDatabaseName(store::storeLocationOf({})->sqliteFile);
        ASSERT_TRUE(db.open() && QSqlQuery(db).exec(
                                     "UPDATE history SET recorded_ms = recorded_ms - "
                                     "40 * 86400000, recorded_at = '2026-01-01T08:00:00.000+00:00' "
                                     "WHERE id = 1"));
    }
    QSqlDatabase::removeDatabase("aside");
    const struct {
        const char* setting; // velmora.conf's [history] line; empty: none
        QStringList words;
        std::vector<std::string> ids;
        const char* warning = "";
    } steps[] = {
        {"keep-days=x", {}, {"1", "2", "3"}, "keep-days=x in "},
        {"keep-days=60", {"--device", "/dev/ttyUSB0"}, {"1"}},
        {"keep-days=60", {"--since", "2026-02-01", "--number", "42"}, {"2", "3"}},
        {"keep-days=60", {"--number", "41"}, {}},
        {"keep-days=30", {}, {"2", "3"}},
    };
    for (const auto& step : steps) {
        writeText(folder / "config/velmora/velmora.conf",
                  std::string("[history]\n") + step.setting + "\n");
        const CliRun run = runCli(QStringList{"history", "--json"} + step.words);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(holds(run.err, step.warning));
        std::vector<std::string> ids;
        for (std::size_t at = run.out.find("\"id\": \""); at != std::string::npos;
             at = run.out.find("\"id\": \"", at + 1))
            ids.push_back(run.out.substr(at + 7, run.out.find('"', at + 7) - at - 7));
        EXPECT_EQ(ids, step.ids) << step.setting << " " << step.words.join(' ').toStdString();
    }
    ::unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace velmora::cli_test
