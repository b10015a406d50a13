#pragma once

#include "exchange/failure.h"

#include <QString>

#include <string>
#include <vector>

namespace velmora::production {

using exchange::Step;

// One row of a record (see kRecordColumns), read strictly, with the line it starts on.
struct RecordEntry {
    long line = 0;
    std::string time;
    std::string host;
    std::string operatorName;
    std::string position;
    std::string device;
    long number = 0;
    std::string result;
    std::string detail;
    // Only a row that says "no" sent no frame; an older row without the word may have.
    bool frameSent = true;
    std::string image; // 192 hexadecimal digits, or empty
};

// Every row of a record written by --log or record export. A row that cannot be read
// whole (cut inside a quoted field, a stray quote, a number with blanks or a fraction,
// an unknown result, fields missing) fails the whole reading with its line: a number
// that a unit may hold must never be dropped unseen.
Step<std::vector<RecordEntry>> readRecord(const QString& path);

} // namespace velmora::production
