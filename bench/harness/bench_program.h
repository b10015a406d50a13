#pragma once

#include "harness/repeated_runs.h"
#include "support/command_options.h"

#include <cstdio>
#include <set>
#include <string>

namespace velmora::bench {

// What a bench program is called, the folder name of its runs, its usage line and the
// options it takes (each with a value, no plain words).
struct BenchProgram {
    const char* name;
    const char* runName;
    const char* usage;
    std::set<std::string> options;
};

// The preamble every bench program shares: reads its options into `Options` (which has
// `runs`), refusing a bad one with the usage and status 2; measures `runs` times, each
// in a fresh folder; hands the runs' figures to `report`. Status 1 when a run could not
// be measured.
template <typename Options, typename Read, typename Measure, typename Report>
int runBench(int argc, char** argv, const BenchProgram& program, Read read, Measure measure,
             Report report) {
    const Accepted accepted{program.options, {}, {}, 0};
    const auto options = readOptions({argv + 1, argv + argc}, accepted, Options{}, read);
    if (!options)
        return refuseArguments(program.name, options.problems(), program.usage);
    const auto measured =
        measureRepeatedly(options->runs, program.runName,
                          [&](const std::string& folder) { return measure(*options, folder); });
    if (!measured) {
        std::fprintf(stderr, "%s: a run could not be measured\n", program.name);
        return 1;
    }
    report(*options, *measured);
    return 0;
}

} // namespace velmora::bench
