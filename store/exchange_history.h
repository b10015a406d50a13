#pragma once

#include "store/store_connection.h"
#include "store/store_location.h"
#include "store/store_types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::store {

// One configuration that went to a unit or came from one, as the history keeps it.
struct HistoryEntry {
    std::string id;         // "17"; a batch unit is its job's number: "rx300/117"
    std::string recordedAt; // ISO 8601 with the local offset
    std::string host;
    std::string operatorName;
    std::string program; // kWindowProgram or kCommandLineProgram
    std::string device;
    std::string action;    // what was done: "Programma", "Leggi", "program", "backup" ...
    std::string direction; // kSentToUnit or kReadFromUnit
    std::string image;     // the 96 bytes, 192 upper-case hexadecimal digits
    std::string number;    // the peripheral number the bytes carry; empty when they carry none
    std::string outcome;   // kAcknowledged, kDecoded, kRefused, kUnanswered; a batch unit's result
};

inline constexpr const char* kWindowProgram = "window";
inline constexpr const char* kCommandLineProgram = "command line";
inline constexpr const char* kSentToUnit = "sent";
inline constexpr const char* kReadFromUnit = "read";
inline constexpr const char* kAcknowledged = "acknowledged"; // the unit confirmed the frame
inline constexpr const char* kUnanswered = "unanswered";     // sent, no confirmation (yet)
inline constexpr const char* kDecoded = "decoded";           // read, a configuration
inline constexpr const char* kRefused = "refused";           // read, bytes the window cannot load

// Which entries a listing shows; an empty device takes every one.
struct HistoryFilter {
    std::string device;
    std::optional<std::int64_t> sinceMs; // milliseconds since the epoch
};

// The history of every configuration sent to a unit or read from one, in the production
// store. A batch unit is not written twice: the history sees it through its job's number.
// Opened on first use, from the thread that uses it; a verb that finds the database gone
// reconnects on the next call.
class ExchangeHistory {
public:
    explicit ExchangeHistory(StoreLocation location) : location_(std::move(location)) {}

    // Keeps the entry, stamped now; its id.
    StoreResult<long> add(const HistoryEntry& entry);
    StoreResult<void> setOutcome(long id, const std::string& outcome);
    // The entries, oldest first.
    StoreResult<std::vector<HistoryEntry>> list(const HistoryFilter& filter);
    StoreResult<std::optional<HistoryEntry>> find(const std::string& id);
    // Removes the entries recorded before the moment; how many. Batch units stay: they
    // are the production record.
    StoreResult<long> removeOlderThan(std::int64_t cutoffMs);

private:
    template <typename Work>
    auto attempt(Work work) -> decltype(work(std::declval<StoreConnection&>()));

    StoreLocation location_;
    std::unique_ptr<StoreConnection> connection_;
};

// The moment a recorded time stands for, in milliseconds since the epoch.
std::optional<std::int64_t> momentOf(const std::string& recordedAt);

// The operator of this session: $USER, $LOGNAME or $USERNAME, else the account's name.
std::string accountOperator();

} // namespace velmora::store
