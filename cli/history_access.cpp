#include "cli/history_access.h"

#include "link/port_map.h"
#include "store/history_image.h"
#include "store/history_retention.h"

#include <cstdint>
#include <limits>

namespace velmora::cli {

using store::ExchangeHistory;
using store::StoreResult;

Failure historyFailure(const store::StoreError& error) {
    return {error.refused ? ExitStatus::BadInput : ExitStatus::RecordFailed,
            "the history: " + error.message};
}

Step<std::unique_ptr<CommandHistory>> CommandHistory::open(const Arguments& arguments) {
    const auto given = arguments.options.find("--store");
    const auto location =
        store::storeLocationOf(given == arguments.options.end() ? std::string{} : given->second);
    if (!location)
        return historyFailure(location.error());
    return std::unique_ptr<CommandHistory>(new CommandHistory(*location));
}

StoreResult<long> CommandHistory::removeExpired(std::ostream& err) {
    // A setting that cannot be used keeps every entry; the store is opened all the same,
    // so that one that is not ours, or too new, is found before anything else is done.
    const auto cutoff = store::retentionCutoff(PortMap::filePath());
    if (!cutoff)
        err << "velmora-cli: " << cutoff.error() << "\n";
    const std::int64_t before = cutoff ? *cutoff : std::numeric_limits<std::int64_t>::min();
    return thread_.run<StoreResult<long>>(
        [before](ExchangeHistory& kept) { return kept.removeOlderThan(before); });
}

StoreResult<long> CommandHistory::keep(const std::string& action, const char* direction,
                                       const QString& device, const Image& image,
                                       const std::string& outcome) {
    store::HistoryEntry entry =
        store::entryOnThisHost(store::kCommandLineProgram, action, direction, device.toStdString());
    store::keepImage(entry, image);
    entry.outcome = outcome;
    return thread_.run<StoreResult<long>>(
        [&entry](ExchangeHistory& history) { return history.add(entry); });
}

StoreResult<void> CommandHistory::setOutcome(long id, const std::string& outcome) {
    return thread_.run<StoreResult<void>>(
        [id, &outcome](ExchangeHistory& history) { return history.setOutcome(id, outcome); });
}

} // namespace velmora::cli
