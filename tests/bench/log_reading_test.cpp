#include "harness/program_events.h"
#include "harness/unit_log.h"

#include "log_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace velmora::bench {
namespace {

TEST(UnitLog, FollowsAGrowingFileAndSkipsBrokenLines) {
    // Both locale runs of this test go at once: each needs its own file.
    const auto path = std::filesystem::temp_directory_path() /
                      ("velmora-unit-log-test-" + std::to_string(::getpid()) + ".log");
    std::ofstream out(path, std::ios::trunc);
    UnitLogReader reader(path.string());
    EXPECT_TRUE(reader.readNew().empty());

    // The second line is still being written.
    out << "1234.567 rx AA 00 55\n2.000 tx 5" << std::flush;
    EXPECT_EQ(reader.readNew(), Script{}.received(1234.567, {0xAA, 0x00, 0x55}).log);

    out << "6\n12.000 tx\n12.000 tx 5656\n12.000 tx 5G\n12.000 xx 56\nsoon tx 56\n\n"
        << "2000.000 note hangup 800\n"
        << std::flush;
    EXPECT_EQ(reader.readNew(), Script{}.sent(2, {0x56}).note(2000, "hangup 800").log);
    EXPECT_TRUE(reader.readNew().empty());
    std::filesystem::remove(path);
}

TEST(ProgramEvents, ParsesEventLinesOnly) {
    const auto notice = parseProgramEvent("velmora-event 1000.250 notice Errore nei Range REP");
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(std::tie(notice->ms, notice->what, notice->detail),
              std::tuple(1000.25, "notice", "Errore nei Range REP"));
    const auto programmed = parseProgramEvent("velmora-event 7.000 programmed");
    ASSERT_TRUE(programmed.has_value());
    EXPECT_EQ(std::tie(programmed->what, programmed->detail), std::tuple("programmed", ""));
    for (const char* line : {"velmora-event 7.000", "velmora-event 7.000 ",
                             "velmora-event later programmed", "QStandardPaths: XDG_RUNTIME_DIR"})
        EXPECT_FALSE(parseProgramEvent(line).has_value()) << line;
}

} // namespace
} // namespace velmora::bench
