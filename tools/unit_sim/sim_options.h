#pragma once

#include "unit_sim/fault_switches.h"
#include "unit_sim/presence_script.h"
#include "values/result.h"

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
    std::vector<PresenceStep> presence;    // --presence STEPS, --presence-file FILE
};

// The options, or what is wrong with them.
Result<SimOptions> parseOptions(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "usage: velmora-unit-sim [--link PATH] [--image FILE.prg] [--log FILE] [--chunk-ms MS]\n"
    "                        [--silent] [--no-ack] [--garbage] [--misstore] [--bounce]\n"
    "                        [--short N] [--gap MS] [--hangup AFTER_MS:DOWN_MS]\n"
    "                        [--presence STEPS | --presence-file FILE]\n"
    "Prints the device of the line on its first output line. Reads control lines on\n"
    "standard input (silent on|off, noack on|off, garbage on|off, misstore on|off,\n"
    "bounce on|off, short N, gap MS, hangup MS, absent, present) and answers each with\n"
    "\"ok\" or \"error: ...\".\n"
    "--presence \"absent 300, present 2000, absent 300, present\" plays a jig's cradle:\n"
    "the unit answers while present, is silent while absent, and each unit that comes\n"
    "is a new one holding the start image; only the last step may go without its\n"
    "milliseconds. A file of steps takes one step a line. The control lines absent and\n"
    "present do the same at once.\n";

} // namespace velmora::sim
