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

// One statement on the test's store, as another program (or a newer velmora) would run it.
bool aside(const QString& statement) {
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "aside");
        db.setDatabaseName(store::storeLocationOf({})->sqliteFile);
        done = db.open() && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase("aside");
    return done;
}

// Each step in turn on one history: an entry that does not exist, bytes the window
// cannot load or would not send and a store of a newer schema are named, with a non-zero
// status and nothing sent; listings filter by device, number and time; entries older
// than keep-days go when a command starts, and a setting that cannot be read removes
// nothing and is named.
TEST(History, TheVerbRefusesBadInputFiltersAndForgets) {
    Folder folder;
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    std::filesystem::create_directories(folder / "config/velmora");
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const std::pair<const char*, std::array<std::uint8_t, 4>> kept[] = {
        {"/dev/ttyUSB0", {17, 5, 8, 2}}, // 17582: read from a unit, never sent by the window
        {"/dev/ttyUSB0", {70, 0, 0, 0}}, // 70000: beyond what a unit holds
        {"/dev/ttyUSB1", {0, 0, 4, 2}},
        {"/dev/ttyUSB1", {0, 0, 4, 2}},
    };
    for (const auto& [device, digits] : kept) {
        Image image = imageOfFrame(windowFrame(windowAfter()));
        std::copy(digits.begin(), digits.end(), image.begin()); // bytes 1 to 4
        store::HistoryEntry entry = store::entryOnThisHost(store::kCommandLineProgram, "read",
                                                           store::kReadFromUnit, device);
        store::keepImage(entry, image);
        ASSERT_TRUE(store::ExchangeHistory(*store::storeLocationOf({})).add(entry).ok());
    }
    ASSERT_TRUE(aside("UPDATE history SET recorded_ms = recorded_ms - 40 * 86400000, "
                      "recorded_at = '2026-01-01T08:00:00.000+00:00' WHERE id = 1"));
    const struct {
        QStringList words;
        const char* setting; // velmora.conf's [history] line
        int status;
        const char* message; // in standard error; for a listing, the ids it shows
        const char* warning = "";
    } steps[] = {
        {{"restore", "9"}, "", 2, "the history has no entry 9"},
        {{"restore", "1"}, "", 2, "history entry 1 cannot be programmed: "},
        {{"restore", "2"}, "", 2, "history entry 2 holds bytes the window cannot load"},
        {{"diff", "1", "2"}, "", 3, "history entry 2 holds bytes the window cannot load"},
        {{"save", "1"}, "", 2, "history save ID needs -o FILE.prg"},
        {{"restore"}, "", 2, "usage: velmora-cli history"},
        {{"--since", "yesterday"}, "", 2, "--since takes a date"},
        {{"--json"}, "keep-days=x", 0, "1 2 3 4 ", "keep-days=x in "},
        {{"--json", "--device", "/dev/ttyUSB0"}, "keep-days=60", 0, "1 2 "},
        {{"--json", "--since", "2026-02-01", "--number", "42"}, "", 0, "3 4 "},
        {{"--json"}, "keep-days=30", 0, "2 3 4 "},
        {{"restore", "3"}, "schema 99", 2, "newer than this program's"},
    };
    for (const auto& step : steps) {
        if (std::string(step.setting) == "schema 99")
            ASSERT_TRUE(aside("UPDATE velmora_schema SET version = 99"));
        else
            writeText(folder / "config/velmora/velmora.conf",
                      std::string("[history]\n") + step.setting + "\n");
        const CliRun run =
            runCli(QStringList{"history"} + step.words + QStringList{"--port", "1"}, unit.link());
        EXPECT_EQ(run.exitCode, step.status) << run.err;
        std::string ids;
        for (std::size_t at = run.out.find("\"id\": \""); at != std::string::npos;
             at = run.out.find("\"id\": \"", at + 1))
            ids += run.out.substr(at + 7, run.out.find('"', at + 7) - at - 7) + " ";
        if (step.status == 0)
            EXPECT_EQ(ids, step.message) << step.words.join(' ').toStdString();
        else
            EXPECT_TRUE(holds(run.err, step.message));
        EXPECT_TRUE(holds(run.err, step.warning));
    }
    EXPECT_TRUE(unit.received().empty());
    ::unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace velmora::cli_test
