#include "cli_process.h"
#include "production/production_record.h"

#include <gtest/gtest.h>

namespace velmora::cli_test {
namespace {

std::string hexOf(const Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()) + 1, kImageSize)
        .toHex()
        .toUpper()
        .toStdString();
}

// Opens the record as a spreadsheet script would, with Python's csv module, and checks
// every row against `expected` (result, number, frame_sent, image), the header and the
// columns that every row carries.
constexpr const char* kReadRecord = R"(
import csv, datetime, hashlib, sys
path, expected, files = sys.argv[1], sys.argv[2], sys.argv[3:]
with open(path, newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f))
columns = ['time', 'host', 'operator', 'position', 'device', 'number', 'configuration_file',
           'configuration_sha256', 'result', 'detail', 'frame_sent', 'image']
assert rows[0] == columns, rows[0]
wanted = [line.split(' ') for line in expected.split(';')]
assert len(rows) - 1 == len(wanted), (len(rows), wanted)
for row, (result, number, sent, image, file) in zip(rows[1:], wanted):
    record = dict(zip(columns, row))
    assert len(row) == len(columns), row
    assert datetime.datetime.fromisoformat(record['time'].replace('Z', '+00:00')).utcoffset() \
        is not None, record['time']
    assert record['host'] and record['device'], record
    name = files[int(file)] if file != '-' else ''
    digest = hashlib.sha256(open(name, 'rb').read()).hexdigest() if name else ''
    assert [record[k] for k in ('result', 'number', 'frame_sent', 'image', 'configuration_file',
        'configuration_sha256')] == [result, number, sent, image, name, digest], record
print('ok')
)";

TEST(ProductionRecord, ARowPerAttemptThatASpreadsheetOpensAndResumeReadsBack) {
    Folder folder;
    // A name with a comma, a quote and a line end must come back whole.
    const std::string name = "site, \"north\"\nhall.prg";
    const FormModel first =
        windowAfter([](FormModel& form) { form.setText("Txtnumero"_control, "101"); });
    const FormModel second =
        windowAfter([](FormModel& form) { form.setText("Txtnumero"_control, "102"); });
    const QString record = pathText(folder / "record.csv");
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());

    const QString named = pathText(folder.save(name, first));
    const QString plain = pathText(folder.save("second.prg", second));
    const CliRun verified =
        runCli({"program", "--port", "1", named, "--verify", "--log", record}, unit.link());
    ASSERT_EQ(verified.exitCode, 0) << verified.err;
    ASSERT_TRUE(unit.control("misstore on"));
    const CliRun failed =
        runCli({"program", "--port", "1", plain, "--verify", "--log", record}, unit.link());
    ASSERT_EQ(failed.exitCode, 1) << failed.err;
    EXPECT_EQ(failed.out, "Numero periferico: sent 102, unit holds 103\n");
    EXPECT_TRUE(holds(failed.err, "verify failed"));
    ASSERT_TRUE(unit.control("misstore off"));
    ASSERT_TRUE(unit.control("silent on"));
    const CliRun unanswered =
        runCli({"program", "--port", "1", plain, "--timeout", "0.2", "--log", record}, unit.link());
    ASSERT_EQ(unanswered.exitCode, 3) << unanswered.err;
    ASSERT_TRUE(unit.control("silent off"));
    const CliRun read = runCli({"read", "--port", "1", "--log", record}, unit.link());
    ASSERT_EQ(read.exitCode, 0) << read.err;

    // result, number, frame sent, image, which configuration file
    const std::string expected =
        "verified 101 yes " + hexOf(windowFrame(first)) + " 0;verify-failed 102 yes " +
        hexOf(windowFrame(second)) + " 1;no-answer 102 yes " + hexOf(windowFrame(second)) +
        " 1;read 102 no " + hexOf(windowFrame(second)) + " -"; // a silent unit still stores
    if (const auto checked =
            python(kReadRecord, {record, QString::fromStdString(expected), named, plain})) {
        EXPECT_EQ(*checked, "ok\n");
    }
    EXPECT_TRUE(
        holds(fileText(folder / "record.csv"), "Numero periferico: sent 102, unit holds 103"));

    EXPECT_EQ(sentNumbersIn(record), (std::set<long>{101, 102}));
}

// An older record is read strictly: each row whole, or the line that cannot be read is
// named. Good rows as a spreadsheet may have saved them (bare line ends, quoted fields),
// then rows that must stop an import.
TEST(ProductionRecord, ARecordIsReadWholeOrItsFirstBadLineIsNamed) {
    Folder folder;
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
        const auto entries = production::readRecord(pathText(folder / "record.csv"));
        if (says.empty()) {
            ASSERT_TRUE(entries) << entries.error().message;
            std::string seen;
            for (const production::RecordEntry& entry : *entries)
                seen += std::to_string(entry.line) + ":" + std::to_string(entry.number) +
                        (entry.frameSent ? "+ " : "- ");
            EXPECT_EQ(seen, "2:7+ 4:8- 5:9+ 7:11+ ");
            EXPECT_EQ((*entries)[2].detail, "the frame, sent");
        } else {
            ASSERT_FALSE(entries) << text;
            EXPECT_TRUE(holds(entries.error().message, says)) << entries.error().message;
        }
    }
    EXPECT_FALSE(production::readRecord(pathText(folder / "none.csv")));

    // A second writer is refused by the batch's test; a programming file given as the
    // record by mistake stays as it was.
    const auto file = folder.save("unit.prg", windowAfter());
    const std::string before = fileText(file);
    const auto wrong = production::ProductionRecord::open(pathText(file));
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().status, cli::ExitStatus::RecordFailed);
    EXPECT_EQ(fileText(file), before);
}

} // namespace
} // namespace velmora::cli_test
