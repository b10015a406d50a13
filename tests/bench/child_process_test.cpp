#include "harness/child_process.h"
#include "harness/line_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace velmora::bench {
namespace {

bool endsWithin(ChildProcess& child, int ms) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (!child.running())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(ChildProcess, TalksThroughItsPipes) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(
        child.start({"/bin/sh", "-c", "echo \"$GREETING\"; read line; echo \"got $line\" >&2"},
                    {"GREETING=ciao"}, error))
        << error;
    LineReader output(child.outputFd());
    LineReader errors(child.errorFd());
    EXPECT_EQ(output.next(5000), "ciao");
    EXPECT_TRUE(child.writeLine("click Command1"));
    EXPECT_EQ(errors.next(5000), "got click Command1");
    EXPECT_TRUE(endsWithin(child, 5000));
    EXPECT_EQ(child.exitDescription(), "exited with status 0");
    EXPECT_FALSE(errors.next(100).has_value());
    EXPECT_TRUE(errors.ended());
}

TEST(ChildProcess, TellsACrashFromAnExit) {
    struct Row {
        const char* script;
        const char* ending;
    };
    const Row rows[] = {
        {"exit 3", "exited with status 3"},
        {"kill -SEGV $$", "killed by signal SIGSEGV"},
        {"kill -ABRT $$", "killed by signal SIGABRT"},
    };
    for (const Row& row : rows) {
        ChildProcess child;
        std::string error;
        ASSERT_TRUE(child.start({"/bin/sh", "-c", row.script}, {}, error)) << error;
        ASSERT_TRUE(endsWithin(child, 5000)) << row.script;
        EXPECT_EQ(child.exitDescription(), row.ending) << row.script;
    }
}

TEST(ChildProcess, StopEndsAProgramThatIgnoresTheRequest) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.start(
        {"/bin/sh", "-c", "trap '' TERM; echo ready; while :; do sleep 0.05; done"}, {}, error));
    ASSERT_EQ(LineReader(child.outputFd()).next(5000), "ready");
    const auto before = std::chrono::steady_clock::now();
    child.stop(200);
    EXPECT_FALSE(child.running());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    EXPECT_EQ(child.exitDescription(), "killed by signal SIGKILL");
}

TEST(ChildProcess, ReportsAProgramThatCannotStart) {
    ChildProcess child;
    std::string error;
    EXPECT_FALSE(child.start({"/nonexistent/velmora"}, {}, error));
    EXPECT_NE(error.find("/nonexistent/velmora"), std::string::npos);
}

} // namespace
} // namespace velmora::bench
