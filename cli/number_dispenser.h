#pragma once

#include <optional>
#include <set>

namespace velmora::cli {

// The peripheral numbers of a batch still free to hand out. Each number goes to one
// unit only: it is taken as the unit is programmed and comes back only when the frame
// never left, so a number a unit may hold is never handed out again.
class NumberDispenser {
public:
    // first .. first + count - 1, less the numbers a record shows as already sent.
    NumberDispenser(long first, long count, const std::set<long>& alreadySent);

    // The lowest free number, taken.
    std::optional<long> take();
    // A number whose frame was never sent goes back to the front.
    void giveBack(long number) { free_.insert(number); }
    bool empty() const { return free_.empty(); }
    long freeCount() const { return static_cast<long>(free_.size()); }
    const std::set<long>& freeNumbers() const { return free_; }

private:
    std::set<long> free_;
};

} // namespace velmora::cli
