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

// When the unit took byte `index` of everything it received, on its monotonic clock.
double momentOfByte(const SimulatedUnit& unit, std::size_t index) {
    std::size_t seen = 0;
    for (const auto& chunk : unit.timedChunks("rx")) {
        seen += chunk.bytes.size();
        if (seen > index)
            return chunk.ms;
    }
    return -1;
}

// What a unit held is in the history, committed before the first byte of the frame
// that overwrites it; a unit that does not answer that read is programmed only with
// --no-backup.
TEST(History, ProgramKeepsWhatTheUnitHeldBeforeItsFrame) {
    Folder folder;
    const auto held = folder.save("held.prg", windowAfter({"Txtnumero=7", "Combotono=5"}));
    const QString wanted = pathText(folder.save("wanted.prg", windowAfter({"Txtnumero=2024"})));
    SimulatedUnit unit({"--image", pathText(held)});
    ASSERT_TRUE(unit.started());
    const CliRun program = runCli({"program", "--port", "1", wanted}, unit.link());
    ASSERT_EQ(program.exitCode, 0) << program.err;
    EXPECT_TRUE(holds(program.err, "held is history entry 1"));
    const double wallLessMonotonic =
        static_cast<double>(QDateTime::currentMSecsSinceEpoch()) - monotonicMs();

    const auto entries = historyEntries();
    ASSERT_EQ(entries.size(), 2u);
    const store::HistoryEntry& backup = entries[0];
    EXPECT_EQ(backup.action + " " + backup.direction + " " + backup.outcome + " " + backup.number,
              "backup read decoded 7");
    const Bytes replies = joined(unit.sent()); // the image, then the acknowledgement
    ASSERT_GE(replies.size(), static_cast<std::size_t>(kImageSize));
    EXPECT_EQ(backup.image, hexText(Bytes(replies.begin(), replies.begin() + kImageSize)));
    const std::vector<Bytes> frames = framesIn(unit.received());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(entries[1].image, hexText(Bytes(frames[1].begin() + 1, frames[1].end() - 1)));
    EXPECT_EQ(entries[1].outcome, store::kAcknowledged);
    const double keptAt =
        static_cast<double>(*store::momentOf(backup.recordedAt)) - wallLessMonotonic;
    EXPECT_LT(keptAt, momentOfByte(unit, kFrameSize)) << "kept after the frame's first byte";

    ASSERT_TRUE(unit.control("silent on"));
    const CliRun unanswered =
        runCli({"program", "--port", "1", "--timeout", "0.2", wanted}, unit.link());
    EXPECT_EQ(unanswered.exitCode, 3);
    EXPECT_TRUE(holds(unanswered.err, "nothing was sent: --no-backup programs it"));
    EXPECT_EQ(framesIn(unit.received()).size(), 3u) << "a frame went to an unanswered unit";
    const CliRun forced =
        runCli({"program", "--port", "1", "--timeout", "0.2", "--no-backup", wanted}, unit.link());
    EXPECT_EQ(forced.exitCode, 3);
    EXPECT_EQ(framesIn(unit.received()).back(), frames[1]);
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
