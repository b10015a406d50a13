#pragma once

#include "exchange/unit_outcome.h"
#include "protocol/config_image.h"

#include <QString>

#include <chrono>
#include <string>

namespace velmora::production {

using exchange::UnitOutcome;

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

} // namespace velmora::production
