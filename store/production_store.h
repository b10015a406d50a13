#pragma once

#include "store/store_connection.h"
#include "store/store_location.h"
#include "store/store_types.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::store {

// The number authority of the production line and its record, on either engine. Every
// verb commits before it returns. Used from one thread only (the store's worker in a
// batch); a verb that finds the database gone reconnects on the next call.
class ProductionStore {
public:
    static StoreResult<std::unique_ptr<ProductionStore>> open(const StoreLocation& location);

    // A new job with every number of its range free; a job of that name is refused.
    StoreResult<Job> createJob(const JobSpec& spec, const std::string& station,
                               const std::string& operatorName);
    // The open job with this image and range (`byName`: the job named `spec.name`, which
    // must have this image and range), or a new one named `spec.name`.
    StoreResult<Job> joinOrCreateJob(const JobSpec& spec, bool byName, const std::string& station,
                                     const std::string& operatorName);
    StoreResult<std::optional<Job>> findJob(const std::string& name);
    StoreResult<std::vector<Job>> jobs();
    StoreResult<void> closeJob(const std::string& name);

    // The lowest free number of the job, committed as sent by the taker before it is
    // returned (write-ahead); none when the job is used up or closed.
    StoreResult<std::optional<Taken>> take(const std::string& job, const Taker& taker);
    // What became of a number this store handed out; refused when it is not in flight.
    StoreResult<void> record(const std::string& job, long number, const Outcome& outcome);
    // The outcomes, then a number for each taker in turn, all committed together (one
    // commit for the group). An outcome refused leaves the others be; the takers after
    // the job ran out get none.
    StoreResult<Settled> settle(const std::string& job, const std::vector<NumberOutcome>& outcomes,
                                const std::vector<Taker>& takers);
    // Marks the numbers spent, all or none (one transaction). A number that is no longer
    // free keeps what the store has of it and is returned: the store's own record,
    // written ahead of the frame, is the better witness. A number outside the job's range
    // refuses the whole import.
    StoreResult<std::vector<long>> importSpent(const std::string& job,
                                               const std::vector<ImportedNumber>& numbers);
    // A station starting again on these devices: its numbers still "sent" on them may be
    // in a unit; they become "to check". Only the devices the caller holds are swept (a
    // device is held by one process at a time), so a batch of the same station still
    // running on other devices keeps its numbers; another station's are never touched.
    StoreResult<std::vector<std::pair<std::string, long>>>
    markInFlightToCheck(const std::string& station, const std::vector<std::string>& devices);

    StoreResult<std::vector<StateCount>> counts(const std::string& job);
    // Every number that left Free, by job and number; all jobs when `job` is empty.
    StoreResult<std::vector<NumberRow>> rows(const std::string& job);

    const StoreLocation& location() const { return location_; }

private:
    explicit ProductionStore(StoreLocation location) : location_(std::move(location)) {}
    template <typename Work>
    auto attempt(Work work) -> decltype(work(std::declval<StoreConnection&>()));
    StoreResult<Job> addJob(StoreConnection& db, const JobSpec& spec, const std::string& station,
                            const std::string& operatorName);

    StoreLocation location_;
    std::unique_ptr<StoreConnection> connection_;
};

// Now, ISO 8601 with milliseconds and the local offset.
std::string storeTimestamp();

} // namespace velmora::store
