#include "production/record_reading.h"

#include "exchange/unit_outcome.h"
#include "production/production_record.h"
#include "support/number_text.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace velmora::production {
namespace {

struct CsvRow {
    long line = 0;
    std::vector<std::string> fields;
};

// What a record's result column may say besides the outcome words: the store's states,
// as record export writes a number still in flight or set aside.
constexpr std::array<std::string_view, 2> kStateWords{"sent", "to-check"};
// record export adds these to the record's columns.
constexpr std::array<std::string_view, 2> kExportColumns{"station", "job"};

struct CsvError {
    long line = 0;
    std::string why;
};

// RFC 4180, strictly: a quote opens a field or doubles inside one, nothing else; CRLF or
// LF ends a row; an empty line is skipped.
Result<std::vector<CsvRow>, CsvError> csvRows(std::string_view text) {
    std::vector<CsvRow> rows;
    CsvRow row{1, {}};
    std::string field;
    long line = 1;
    long quoteLine = 0;
    bool quoted = false;
    bool closed = false; // a quoted field has ended; only a comma or a line end may follow
    bool started = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\n')
                ++line;
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += text[++i];
            } else {
                quoted = false;
                closed = true;
            }
            continue;
        }
        const bool lineEnd = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (c == ',' || lineEnd) {
            row.fields.push_back(std::move(field));
            field.clear();
            closed = false;
            if (lineEnd) {
                if (c == '\r')
                    ++i;
                if (started || row.fields.size() > 1 || !row.fields[0].empty())
                    rows.push_back(std::move(row));
                row = {};
                started = false;
                row.line = ++line;
            }
            continue;
        }
        started = true;
        if (closed)
            return CsvError{line, "text follows a closing quote"};
        if (c == '"') {
            if (!field.empty())
                return CsvError{line, "a stray quote inside a field"};
            quoted = true;
            quoteLine = line;
        } else {
            field += c;
        }
    }
    if (quoted)
        return CsvError{quoteLine, "a quoted field is cut short by the end of the file"};
    if (started || !field.empty()) {
        row.fields.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool knownResult(std::string_view word) {
    return exchange::outcomeNamed(word) ||
           std::find(kStateWords.begin(), kStateWords.end(), word) != kStateWords.end();
}

bool imageText(std::string_view text) {
    return text.empty() || (text.size() == 192 && std::all_of(text.begin(), text.end(), [](char c) {
                                return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                            }));
}

bool recordHeader(const std::vector<std::string>& header) {
    const bool columns = header.size() >= kRecordColumns.size() &&
                         std::equal(kRecordColumns.begin(), kRecordColumns.end(), header.begin());
    return columns && (header.size() == kRecordColumns.size() ||
                       std::equal(header.begin() + kRecordColumns.size(), header.end(),
                                  kExportColumns.begin(), kExportColumns.end()));
}

// The row's entry, or why it cannot be read.
Result<RecordEntry, std::string> entryOf(const CsvRow& row, std::size_t columns) {
    const auto& f = row.fields;
    if (f.size() != columns)
        return "it has " + std::to_string(f.size()) + " fields where the header has " +
               std::to_string(columns);
    const auto number = wholeNumber(f[5], 0, 9999);
    if (!number)
        return "its number \"" + f[5] + "\" is not a whole number from 0 to 9999";
    if (!knownResult(f[8]))
        return "its result \"" + f[8] + "\" is not one the record uses";
    if (f[10] != "yes" && f[10] != "no" && !f[10].empty())
        return "its frame_sent \"" + f[10] + "\" is neither yes nor no";
    if (!imageText(f[11]))
        return std::string("its image is not 96 bytes in hexadecimal");
    return RecordEntry{row.line, f[0], f[1], f[2],          f[3], f[4],
                       *number,  f[8], f[9], f[10] != "no", f[11]};
}

} // namespace

Step<std::vector<RecordEntry>> readRecord(const QString& path) {
    const auto failure = [&](const std::string& why) {
        return Failure{ExitStatus::BadInput, path.toStdString() + ": " + why};
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure("cannot be read: " + file.errorString().toStdString());
    const std::string text = file.readAll().toStdString();
    const auto rows = csvRows(text);
    if (!rows)
        return failure("line " + std::to_string(rows.error().line) + ": " + rows.error().why);
    if (rows->empty() || !recordHeader(rows->front().fields))
        return failure("is not a record of velmora-cli: its first line is not the record's "
                       "header");
    std::vector<RecordEntry> entries;
    for (auto row = rows->begin() + 1; row != rows->end(); ++row) {
        auto entry = entryOf(*row, rows->front().fields.size());
        if (!entry)
            return failure("line " + std::to_string(row->line) + ": " + entry.error());
        entries.push_back(std::move(*entry));
    }
    return entries;
}

} // namespace velmora::production
