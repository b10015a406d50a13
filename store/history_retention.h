#pragma once

#include "values/result.h"

#include <QString>

#include <cstdint>
#include <string>

namespace velmora::store {

inline constexpr long kDefaultKeepDays = 365;
inline constexpr long kMostKeepDays = 36500;

// How many days the history keeps an entry: `keep-days` in the group [history] of the
// program's settings file, 365 when neither is there; or why the value cannot be used.
Result<long, std::string> keepDaysIn(const QString& settingsFile);

// The moment before which entries go, in milliseconds since the epoch: now less the days
// the settings file keeps; or why the setting cannot be used (then nothing goes).
Result<std::int64_t, std::string> retentionCutoff(const QString& settingsFile);

} // namespace velmora::store
