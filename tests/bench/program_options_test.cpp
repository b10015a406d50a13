#include "harness/child_process.h"
#include "harness/line_reader.h"

#include "tests/common/text_checks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace velmora::bench {
namespace {

// Every program refuses a bad value of an option before it starts anything: the
// message names the option and its limits, and the program exits 2 (velmora-cli's
// refusals are its own tests').
TEST(ProgramOptions, ABadValueIsRefusedWithItsLimits) {
    const struct {
        std::vector<std::string> words;
        const char* says;
    } rows[] = {
        {{VELMORA_UNIT_SIM, "--chunk-ms", "0"},
         "velmora-unit-sim: --chunk-ms takes a whole number from 1 to 60000, not \"0\""},
        {{VELMORA_UNIT_SIM, "--presence-file", "/nonexistent/steps"}, "cannot read"},
        {{VELMORA_BENCH, "--runs", "2x"}, "--runs takes a whole number from 1 to 100, not \"2x\""},
        {{VELMORA_BATCH_BENCH, "--units", "-3"}, "--units takes a whole number from 2 to 10000"},
        {{VELMORA_SOAK, "--minutes", "1,5"}, "--minutes takes a number from 0.01 to 10080"},
        {{VELMORA_LINK_TIMING, "100", "3.5"}, "PROGRAMMINGS takes a whole number from 0 to 10000"},
    };
    for (const auto& row : rows) {
        ChildProcess program;
        const Started started = program.start(row.words);
        ASSERT_TRUE(started) << started.error();
        std::string said;
        LineReader errors(program.errorFd());
        while (const auto line = errors.next(5000))
            said += *line + "\n";
        for (int waited = 0; program.running() && waited < 5000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(program.exitDescription(), "exited with status 2") << row.words[0];
        EXPECT_TRUE(holds(said, row.says)) << row.words[0];
    }
}

} // namespace
} // namespace velmora::bench
