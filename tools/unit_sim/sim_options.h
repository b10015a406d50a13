#pragma once

#include "unit_sim/fault_switches.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora::sim {

struct ScheduledHangup {
    int afterMs;
    int downMs;
};

struct SimOptions {
    std::string linkPath;  // --link PATH: a symbolic link kept pointing at the line
    std::string imagePath; // --image FILE.prg: the image the unit holds at start
    std::string logPath;   // --log FILE
    double chunkMs = 8.0;  // --chunk-ms MS: how often received bytes are handed over
    FaultSwitches faults;  // --silent --no-ack --garbage --short N --gap MS
    std::optional<ScheduledHangup> hangup; // --hangup AFTER_MS:DOWN_MS
};

struct ParsedOptions {
    std::optional<SimOptions> options;
    std::string error; // set when options is empty
};

ParsedOptions parseOptions(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "usage: velmora-unit-sim [--link PATH] [--image FILE.prg] [--log FILE] [--chunk-ms MS]\n"
    "                        [--silent] [--no-ack] [--garbage] [--misstore] [--short N]\n"
    "                        [--gap MS] [--hangup AFTER_MS:DOWN_MS]\n"
    "Prints the device of the line on its first output line. Reads control lines on\n"
    "standard input (silent on|off, noack on|off, garbage on|off, misstore on|off,\n"
    "short N, gap MS, hangup MS) and answers each with \"ok\" or \"error: ...\".\n";

} // namespace velmora::sim
