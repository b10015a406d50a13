#include "unit_sim/presence_script.h"
#include "unit_sim/sim_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::sim {
namespace {

std::string spelled(const std::vector<PresenceStep>& steps) {
    std::string text;
    for (const PresenceStep& step : steps)
        text += std::string(text.empty() ? "" : ",") + (step.present ? "P" : "A") +
                (step.ms ? std::to_string(*step.ms) : "");
    return text;
}

TEST(PresenceScript, StepsInlineOrOneALineAndEveryWrongStepNamed) {
    struct Case {
        const char* text;
        const char* steps; // P/A with the length; empty when refused
        const char* error;
    };
    const std::vector<Case> cases{
        {"absent 300, present 2000, absent 300, present", "A300,P2000,A300,P", ""},
        {"present 0,absent 5", "P0,A5", ""},
        {"# a jig of one cradle\nabsent 300\n\npresent 1500 # first unit\r\nabsent 10\n",
         "A300,P1500,A10", ""},
        {"present, absent 300", "", "only the last step"},
        {"away 300", "", "\"away 300\": a step is present or absent"},
        {"absent -1", "", "whole milliseconds"},
        {"absent 3.5", "", "whole milliseconds"},
        {"absent 86400001", "", "whole milliseconds"},
        {"present 10 20", "", "whole milliseconds"},
        {" , \n# nothing", "", "no steps"},
    };
    for (const Case& test : cases) {
        const auto parsed = parsePresence(test.text);
        if (!parsed) {
            const std::string error = velmora::describe(parsed.problems());
            EXPECT_NE(error.find(test.error), std::string::npos) << test.text << ": " << error;
            EXPECT_STREQ(test.steps, "") << test.text;
            continue;
        }
        EXPECT_EQ(spelled(*parsed), test.steps) << test.text;
    }
    const ParsedOptions options = parseOptions({"--presence", "absent 5, present"});
    ASSERT_TRUE(options.options) << options.error;
    EXPECT_EQ(spelled(options.options->presence), "A5,P");
    EXPECT_NE(parseOptions({"--presence-file", "/nonexistent/steps"}).error.find("cannot read"),
              std::string::npos);
}

} // namespace
} // namespace velmora::sim
