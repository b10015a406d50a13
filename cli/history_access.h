#pragma once

#include "cli/exit_status.h"
#include "protocol/wire_format.h"
#include "store/history_thread.h"
#include "support/command_options.h"

#include <QString>

#include <memory>
#include <ostream>
#include <string>

namespace velmora::cli {

// The history that a command of velmora-cli keeps, in the store named by --store or the
// local file, on the history's own thread. The command waits for each entry while no
// line is driven.
class CommandHistory {
public:
    static Step<std::unique_ptr<CommandHistory>> open(const Arguments& arguments);

    // Removes the entries older than the settings file allows; how many, or why the store
    // cannot be used. A setting that cannot be used is said on `err` and removes nothing.
    store::StoreResult<long> removeExpired(std::ostream& err);

    // Keeps what the command did with the unit on `device`; the entry's id, or why not.
    store::StoreResult<long> keep(const std::string& action, const char* direction,
                                  const QString& device, const Image& image,
                                  const std::string& outcome);
    store::StoreResult<void> setOutcome(long id, const std::string& outcome);

    store::HistoryThread& thread() { return thread_; }

private:
    explicit CommandHistory(const store::StoreLocation& location) : thread_(location) {}

    store::HistoryThread thread_;
};

// A store that cannot be used: refused (a newer schema, not ours) is bad input, otherwise
// the store could not be written.
Failure historyFailure(const store::StoreError& error);

} // namespace velmora::cli
