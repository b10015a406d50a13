#include "unit_sim/presence_script.h"
#include "unit_sim/reply_pacer.h"

#include "tests/common/text_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
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
            EXPECT_TRUE(holds(error, test.error)) << test.text;
            EXPECT_STREQ(test.steps, "") << test.text;
            continue;
        }
        EXPECT_EQ(spelled(*parsed), test.steps) << test.text;
    }
}

// One 96-byte acknowledgement, the pacer woken exactly when it asks: the bytes handed
// over and the longest time between two chunks.
std::pair<std::size_t, double> pacedAcknowledgement(double chunkMs, int gapMs) {
    ReplyPacer pacer(chunkMs);
    FaultSwitches faults;
    faults.gapMs = gapMs;
    pacer.queue({ReplyKind::Acknowledgement, Bytes(96, 0x55)}, faults, 1000);
    std::size_t bytes = 0;
    double widest = 0;
    std::optional<double> last;
    while (const auto wake = pacer.nextWakeMs()) {
        const Bytes chunk = pacer.takeDue(*wake);
        if (chunk.empty())
            continue;
        bytes += chunk.size();
        widest = std::max(widest, last ? *wake - *last : 0.0);
        last = wake;
    }
    return {bytes, widest};
}

// The silence a receiver sees is the longest time between two chunks: never shorter
// than the gap asked, whatever the chunk interval, and at most one chunk interval and a
// byte longer. Without a gap the chunks follow each other at the chunk interval.
TEST(ReplyPacer, GapIsASilenceOfAtLeastTheTimeAsked) {
    struct Row {
        double chunkMs;
        int gapMs;
    };
    const Row rows[] = {{8, 52}, {8, 30}, {8, 80}, {16, 52}, {1, 52}, {8, 0}, {3, 7}};
    for (const Row& row : rows) {
        const auto [bytes, widest] = pacedAcknowledgement(row.chunkMs, row.gapMs);
        const double low = row.gapMs > 0 ? row.gapMs : row.chunkMs;
        EXPECT_EQ(bytes, 96u) << row.chunkMs << "/" << row.gapMs;
        EXPECT_GE(widest, low) << row.chunkMs << "/" << row.gapMs;
        EXPECT_LE(widest, low + row.chunkMs + ReplyPacer::kByteMs)
            << row.chunkMs << "/" << row.gapMs;
    }
}

} // namespace
} // namespace velmora::sim
