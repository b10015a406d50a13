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

} // namespace
} // namespace velmora::cli_test
