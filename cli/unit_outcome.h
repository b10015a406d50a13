#pragma once

#include "protocol/config_image.h"

#include <QString>

#include <chrono>
#include <string>

namespace velmora::cli {

// How one attempt at one unit of a batch ended.
enum class UnitOutcome {
    Programmed,   // acknowledged; no read-back asked for
    Verified,     // acknowledged and read back byte for byte
    VerifyFailed, // acknowledged, but the unit holds something else
    NoAnswer,     // no complete answer within the time-out
    WrongAnswer,  // an image where the acknowledgement was due, or the reverse
    PortLost,     // the adapter vanished during the exchange
    Interrupted,  // the batch was stopped during the exchange
};

// The unit holds the configuration that was meant for it.
inline bool succeeded(UnitOutcome outcome) {
    return outcome == UnitOutcome::Programmed || outcome == UnitOutcome::Verified;
}

// "verified", "no-answer": the word the record and the summary use.
const char* outcomeWord(UnitOutcome outcome);

// One unit at one jig position, from the moment it was given a number.
struct UnitReport {
    int position = 0; // 1 for the first position listed
    QString device;
    long number = 0;
    long ordinal = 0; // 1 for the first unit of this batch
    bool frameSent = false;
    UnitOutcome outcome = UnitOutcome::Interrupted;
    std::string detail; // the differing values, or what went unanswered
    Image image{};      // the image sent to the unit
    std::chrono::system_clock::time_point at;
};

} // namespace velmora::cli
