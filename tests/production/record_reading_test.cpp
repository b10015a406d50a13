#include "production/production_record.h"
#include "production/record_reading.h"
#include "tests/common/text_checks.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmora::production {
namespace {

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string fileText(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// An older record is read strictly: each row whole, or the line that cannot be read is
// named. Good rows as a spreadsheet may have saved them (bare line ends, quoted fields),
// then rows that must stop an import.
TEST(ProductionRecord, ARecordIsReadWholeOrItsFirstBadLineIsNamed) {
    const QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    const std::string header = "time,host,operator,position,device,number,configuration_file,"
                               "configuration_sha256,result,detail,frame_sent,image\n";
    const std::string row = "t,h,o,1,/dev/ttyUSB0,";
    const std::string image(192, 'A');
    const std::string good =
        header + row + "7,\"a,\"\"b\"\"\nc.prg\",x,verified,,yes," + image + "\n" + // quoted name
        row + "8,f,x,no-answer,,no,\n" +                                            // never sent
        row + "\"9\",f,x,interrupted,\"the frame, sent\",yes,\r\n" + "\n" +         // blank line
        row + "11,f,x,spent,,,"; // no word for frame_sent, no line end: sent
    const struct {
        std::string text;
        std::string says; // empty: read whole
    } cases[] = {
        {good, ""},
        {header + row + "12,f,x,verify-failed,\"differs,\nstill", "line 2: a quoted field is cut"},
        {good + "\n" + row + " 103,f,x,verified,,yes,\n", "line 8: its number \" 103\""},
        {header + row + "105.0,f,x,verified,,yes,\n", "line 2: its number \"105.0\""},
        {header + row + "7,f,x,Verified,,yes,\n", "its result \"Verified\" is not"},
        {header + row + "7,f\"g,x,verified,,yes,\n", "line 2: a stray quote"},
        {header + row + "7,\"f\"g,x,verified,,yes,\n", "line 2: text follows a closing quote"},
        {header + row + "7,f,x,verified,,maybe,\n", "frame_sent \"maybe\""},
        {header + row + "7,f,x,verified,,yes,AA\n", "its image is not 96 bytes"},
        {header + row + "7,f,x,verified,,yes\n",
         "line 2: it has 11 fields where the header has 12"},
        {"a,b\n1,2\n", "is not a record of velmora-cli"},
    };
    for (const auto& [text, says] : cases) {
        writeText(folder / "record.csv", text);
        const auto entries = readRecord(pathText(folder / "record.csv"));
        if (says.empty()) {
            ASSERT_TRUE(entries) << entries.error().message;
            std::string seen;
            for (const RecordEntry& entry : *entries)
                seen += std::to_string(entry.line) + ":" + std::to_string(entry.number) +
                        (entry.frameSent ? "+ " : "- ");
            EXPECT_EQ(seen, "2:7+ 4:8- 5:9+ 7:11+ ");
            EXPECT_EQ((*entries)[2].detail, "the frame, sent");
        } else {
            ASSERT_FALSE(entries) << text;
            EXPECT_TRUE(holds(entries.error().message, says)) << entries.error().message;
        }
    }
    EXPECT_FALSE(readRecord(pathText(folder / "none.csv")));

    // A second writer is refused by the batch's test; a programming file given as the
    // record by mistake stays as it was.
    const std::string programmingFile = "\xAA" + std::string(96, '\x01') + "\x55";
    writeText(folder / "unit.prg", programmingFile);
    const auto wrong = ProductionRecord::open(pathText(folder / "unit.prg"));
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().status, exchange::ExitStatus::RecordFailed);
    EXPECT_EQ(fileText(folder / "unit.prg"), programmingFile);
}

} // namespace
} // namespace velmora::production
