#pragma once

#include "production/unit_report.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::production {

// What became of every number this batch handled, told to the operator when it ends:
// the units handled, counted honestly, and each number as verified, programmed or spent
// (a unit may hold it although its attempt failed: never handed out again, the unit to
// check).
class BatchSummary {
public:
    // The job's name and range.
    BatchSummary(std::string job, long first, long last);

    void add(const UnitReport& unit) { units_.push_back(unit); }
    const std::vector<UnitReport>& units() const { return units_; }
    long failed() const;

    // The closing lines; `freeLeft` is how many numbers of the job the store last said
    // were free, `exhausted` whether the job has none left.
    std::vector<std::string> lines(std::optional<long> freeLeft, bool exhausted) const;

private:
    std::string job_;
    long first_;
    long last_;
    std::vector<UnitReport> units_;
};

// "101-104, 106, 108-109"
std::string numberList(const std::set<long>& numbers);

} // namespace velmora::production
