#pragma once

#include "exchange/failure.h"
#include "exchange/unit_outcome.h"
#include "protocol/config_image.h"

#include <QFile>
#include <QLockFile>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora::production {

using exchange::ExitStatus;
using exchange::Failure;
using exchange::Step;
using exchange::UnitOutcome;

// The traceability record of the production line (--log FILE.csv): one row per unit and
// attempt, in CSV that a spreadsheet opens (RFC 4180 quoting, CRLF line ends, UTF-8), the
// header row written once when the file is new or empty. The columns, in order:
//   time                  ISO 8601 with the local offset ("2026-12-07T09:15:02.120+01:00")
//   host, operator        the machine's name and $USER
//   position              the jig position, empty for a command on one port
//   device                the device as the caller names it (its stable by-id name)
//   number                the peripheral number sent (or read)
//   configuration_file    the programming file as given, and the SHA-256 of its bytes
//   configuration_sha256
//   result                one word: see UnitOutcome
//   detail                the differing captions of a failed verify, or why it failed
//   frame_sent            "yes" when a programming frame went to the unit in the attempt
//   image                 the 96 image bytes sent (or read), 192 hexadecimal digits
inline constexpr std::array<std::string_view, 12> kRecordColumns{
    "time",   "host",   "operator",           "position",
    "device", "number", "configuration_file", "configuration_sha256",
    "result", "detail", "frame_sent",         "image"};

// One row as the caller knows it; time, host and operator are added on writing.
struct RecordRow {
    std::string position;
    QString device;
    std::string number;
    QString configurationFile;
    QString configurationSha256; // lower-case hexadecimal, see sha256OfFile()
    UnitOutcome result = UnitOutcome::Programmed;
    std::string detail;
    bool frameSent = false;
    std::optional<Image> image;
};

// An open record, held against every other writer (a lock beside it, FILE.csv.lock,
// taken without waiting) until the object goes away.
class ProductionRecord {
public:
    // Creates the file when it is missing, refuses a file that another run holds and a
    // non-empty file that does not start with the record's header (a .prg given by
    // mistake stays untouched). Failures have ExitStatus::RecordFailed.
    static Step<std::unique_ptr<ProductionRecord>> open(const QString& path);

    // Appends the row and returns only once it is flushed and synced to the disk, so a
    // caller may go on to the next unit. A failure must stop the caller before the next
    // unit: no unit goes unrecorded.
    Step<void> append(const RecordRow& row);

    const QString& path() const { return path_; }

private:
    ProductionRecord(const QString& path, std::unique_ptr<QLockFile> lock);
    Step<void> writeDurably(const std::string& text);
    Failure failure(const QString& why) const;

    QString path_;
    std::unique_ptr<QLockFile> lock_;
    QFile file_;
    bool endsMidLine_ = false;
};

// The device's name under /dev/serial/by-id, which stays the same whichever socket the
// adapter is plugged into; the device as given when it has none.
QString stableDeviceName(const QString& device);

// The SHA-256 of the file's bytes in lower-case hexadecimal; a sentence when unreadable.
Step<QString> sha256OfFile(const QString& path);

// The operator: $USER (or $LOGNAME, $USERNAME); empty when none is set.
QString operatorName();

// The 96 image bytes as 192 upper-case hexadecimal digits.
std::string hexOf(const Image& image);

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote, CR or LF
// (or starts or ends with a blank), quotes doubled.
std::string csvField(std::string_view text);

} // namespace velmora::production
