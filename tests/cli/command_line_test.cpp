#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

TEST(CommandLine, SortsPlainWordsOptionsAndSwitches) {
    const auto parsed = parseArguments({"in.prg", "-o", "out.prg", "Text2(3)=300", "--verify"},
                                       {{"-o"}, {"--verify"}});
    ASSERT_TRUE(std::holds_alternative<Arguments>(parsed));
    const Arguments& arguments = std::get<Arguments>(parsed);
    EXPECT_EQ(arguments.plain, (std::vector<std::string>{"in.prg", "Text2(3)=300"}));
    EXPECT_EQ(arguments.options.at("-o"), "out.prg");
    EXPECT_TRUE(arguments.has("--verify"));
}

TEST(CommandLine, RefusesWhatTheCommandDoesNotTake) {
    const Accepted accepted{{"--port"}, {"--json"}};
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--verify"}, "unknown option --verify"},
        {{"--port"}, "--port needs a value"},
        {{"--port", "1", "--port", "2"}, "--port given twice"},
    };
    for (const auto& [words, message] : cases) {
        const auto parsed = parseArguments(words, accepted);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << message;
        EXPECT_EQ(std::get<std::string>(parsed), message);
    }
}

TEST(CommandLine, NumbersAreReadWithoutTheLocale) {
    EXPECT_EQ(wholeNumber("8", 1, 8), 8);
    for (const char* bad : {"0", "9", "", "-1", "+3", " 3", "3a", "2.0"})
        EXPECT_FALSE(wholeNumber(bad, 1, 8)) << bad;

    EXPECT_EQ(seconds("2"), std::chrono::milliseconds(2000));
    EXPECT_EQ(seconds("0.25"), std::chrono::milliseconds(250));
    for (const char* bad : {"0", "-1", "0,5", "", "abc", "1e3", "3601"})
        EXPECT_FALSE(seconds(bad)) << bad;
}

} // namespace
} // namespace velmora::cli
