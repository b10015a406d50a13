#include "cli/number_dispenser.h"

namespace velmora::cli {

NumberDispenser::NumberDispenser(long first, long count, const std::set<long>& alreadySent) {
    for (long number = first; number < first + count; ++number)
        if (!alreadySent.contains(number))
            free_.insert(number);
}

std::optional<long> NumberDispenser::take() {
    if (free_.empty())
        return std::nullopt;
    const long number = *free_.begin();
    free_.erase(free_.begin());
    return number;
}

} // namespace velmora::cli
