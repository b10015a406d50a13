#pragma once

#include "values/result.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora::store {

// Why the store could not do what was asked, in a sentence for the operator.
// `refused`: the store answered and said no (a file that is not ours, a job that does
// not match); otherwise the store could not be reached or written, and trying again
// later may work.
struct StoreError {
    std::string message;
    bool refused = false;
};

template <typename T> using StoreResult = Result<T, StoreError>;

// What a production line makes: one configuration image and a range of numbers.
struct JobSpec {
    std::string name;
    std::string configurationFile;   // the programming file's name as given
    std::string configurationSha256; // of the file's bytes, lower-case hexadecimal
    std::string image;               // the 96 bytes of the file, 192 hexadecimal digits
    long firstNumber = 0;
    long lastNumber = 0;
};

struct Job : JobSpec {
    std::string createdAt; // ISO 8601 with the local offset
    std::string createdBy; // operator
    std::string createdOn; // station
    std::optional<std::string> closedAt;
};

// Who takes a number: the station (a PC of the line), the jig position on it, the
// operator at it, and the device of the position.
struct Taker {
    std::string station;
    std::string position;
    std::string operatorName;
    std::string device;
};

// A number taken, and how many of its job are still free after it.
struct Taken {
    long number = 0;
    long freeLeft = 0;
};

// The state of one number of a job. A number leaves Free only once; every state after
// Sent means that a unit may hold it.
inline constexpr const char* kFree = "free";
inline constexpr const char* kSent = "sent";
inline constexpr const char* kProgrammed = "programmed";
inline constexpr const char* kVerified = "verified";
inline constexpr const char* kToCheck = "to-check";

// How a unit's attempt ended, as the record keeps it.
struct Outcome {
    std::string state;  // kProgrammed, kVerified, kToCheck, or kFree when no frame left
    std::string result; // the outcome word ("verified", "no-answer", ...)
    std::string detail;
    bool frameSent = false;
    std::string image; // the image sent, hexadecimal
};

// The outcome of the unit that was given `number`.
struct NumberOutcome {
    long number = 0;
    Outcome outcome;
};

// What one transaction of outcomes and takes did: each outcome recorded or refused, in
// the order given, and each taker's number, if any was left.
struct Settled {
    std::vector<StoreResult<void>> recorded;
    std::vector<std::optional<Taken>> taken;
};

// A number that an older record shows in a unit, brought into a job as spent.
struct ImportedNumber {
    long number = 0;
    Taker taker;
    std::string sentAt;
    Outcome outcome; // its state is never kFree
};

// One number that left Free, with everything the record knows of it.
struct NumberRow {
    std::string job;
    long number = 0;
    std::string state;
    Taker taker;
    std::string sentAt;
    std::string result;
    std::string detail;
    bool frameSent = false;
    std::string image;
    std::string finishedAt;
    std::string configurationFile;
    std::string configurationSha256;
};

// How many numbers of a job are in one state on one station (empty for free numbers).
struct StateCount {
    std::string state;
    std::string station;
    long count = 0;
};

} // namespace velmora::store
