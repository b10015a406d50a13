#pragma once

#include <optional>
#include <sys/types.h>

namespace velmora::bench {

// Processor time used so far by all threads of a process, in milliseconds, at
// nanosecond resolution.
std::optional<double> processorMs(pid_t pid);
// Resident memory now and at its peak, in kilobytes.
std::optional<long> residentKb(pid_t pid);
std::optional<long> peakResidentKb(pid_t pid);

} // namespace velmora::bench
