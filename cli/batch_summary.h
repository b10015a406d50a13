#pragma once

#include "cli/unit_outcome.h"

#include <set>
#include <string>
#include <vector>

namespace velmora::cli {

// What became of every number of a batch, told to the operator when it ends: the units
// handled, counted honestly, and each number as verified, programmed, spent (a unit may
// hold it although its attempt failed: never handed out again, the unit to check), not
// reached, or skipped because a record showed it as sent before.
class BatchSummary {
public:
    // `record` is the record the batch writes, named in the advice on how to go on.
    BatchSummary(long first, long count, std::set<long> alreadySent, std::string record = {});

    void add(const UnitReport& unit) { units_.push_back(unit); }
    const std::vector<UnitReport>& units() const { return units_; }
    long failed() const;

    // The closing lines; `notReached` are the numbers still free.
    std::vector<std::string> lines(const std::set<long>& notReached) const;

private:
    long first_;
    long count_;
    std::set<long> alreadySent_;
    std::string record_;
    std::vector<UnitReport> units_;
};

// "101-104, 106, 108-109"
std::string numberList(const std::set<long>& numbers);

} // namespace velmora::cli
