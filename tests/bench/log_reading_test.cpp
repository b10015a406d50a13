#include "harness/program_events.h"
#include "harness/unit_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace velmora::bench {
namespace {

using Kind = LogEntry::Kind;

TEST(UnitLog, ParsesEachKindOfLine) {
    struct Row {
        const char* line;
        bool parses;
        double ms;
        Kind kind;
        std::vector<std::uint8_t> bytes;
        const char* note;
    };
    const Row rows[] = {
        {"1234.567 rx AA 00 55", true, 1234.567, Kind::Received, {0xAA, 0x00, 0x55}, ""},
        {"12.000 tx 56", true, 12.0, Kind::Sent, {0x56}, ""},
        {"2000.000 note hangup 800", true, 2000.0, Kind::Note, {}, "hangup 800"},
        {"5.5 note open /dev/pts/3", true, 5.5, Kind::Note, {}, "open /dev/pts/3"},
        {"12.000 tx", false, 0, Kind::Sent, {}, ""},
        {"12.000 tx 5", false, 0, Kind::Sent, {}, ""},
        {"12.000 tx 5G", false, 0, Kind::Sent, {}, ""},
        {"12.000 tx 5656", false, 0, Kind::Sent, {}, ""},
        {"12.000 xx 56", false, 0, Kind::Sent, {}, ""},
        {"soon tx 56", false, 0, Kind::Sent, {}, ""},
        {"", false, 0, Kind::Sent, {}, ""},
    };
    for (const Row& row : rows) {
        const auto entry = parseLogLine(row.line);
        ASSERT_EQ(entry.has_value(), row.parses) << row.line;
        if (!entry)
            continue;
        EXPECT_DOUBLE_EQ(entry->ms, row.ms) << row.line;
        EXPECT_EQ(entry->kind, row.kind) << row.line;
        EXPECT_EQ(entry->bytes, row.bytes) << row.line;
        EXPECT_EQ(entry->note, row.note) << row.line;
    }
}

TEST(UnitLog, FollowsAGrowingFileLineByLine) {
    const auto path = std::filesystem::temp_directory_path() / "velmora-unit-log-test.log";
    std::ofstream out(path, std::ios::trunc);
    UnitLogReader reader(path.string());
    EXPECT_TRUE(reader.readNew().empty());

    out << "1.000 rx 55\n2.000 tx 5" << std::flush; // the second line is still being written
    auto entries = reader.readNew();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, Kind::Received);

    out << "6\n3.000 note silent on\n" << std::flush;
    entries = reader.readNew();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].bytes, std::vector<std::uint8_t>{0x56});
    EXPECT_EQ(entries[1].note, "silent on");
    EXPECT_TRUE(reader.readNew().empty());
    std::filesystem::remove(path);
}

TEST(ProgramEvents, ParsesEventLinesOnly) {
    struct Row {
        const char* line;
        bool parses;
        double ms;
        const char* what;
        const char* detail;
    };
    const Row rows[] = {
        {"velmora-event 1000.250 programmed", true, 1000.25, "programmed", ""},
        {"velmora-event 7.000 clicked Command4", true, 7.0, "clicked", "Command4"},
        {"velmora-event 7.000 notice Errore nei Range REP", true, 7.0, "notice",
         "Errore nei Range REP"},
        {"velmora-event 7.000", false, 0, "", ""},
        {"velmora-event 7.000 ", false, 0, "", ""},
        {"velmora-event later programmed", false, 0, "", ""},
        {"QStandardPaths: XDG_RUNTIME_DIR not set", false, 0, "", ""},
    };
    for (const Row& row : rows) {
        const auto event = parseProgramEvent(row.line);
        ASSERT_EQ(event.has_value(), row.parses) << row.line;
        if (!event)
            continue;
        EXPECT_DOUBLE_EQ(event->ms, row.ms) << row.line;
        EXPECT_EQ(event->what, row.what) << row.line;
        EXPECT_EQ(event->detail, row.detail) << row.line;
    }
}

} // namespace
} // namespace velmora::bench
