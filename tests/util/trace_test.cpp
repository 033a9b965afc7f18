#include "util/trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <thread>
#include <tuple>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

// Outside any anonymous namespace, so that its qualified name is plain. Compilers spell the names
// of const members and of lambdas inside members in their own ways.
struct CTraceProbe {
    int FailConst(int code) const { return XUTIL_DIAG("failed with %d\n", code); }
    static int FailInLambda() {
        return [] { return XUTIL_DIAG("from a lambda\n"); }();
    }
};

namespace {

using ::testing::HasSubstr;

// Runs in a private folder, so relative output names land there.
class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::current_path(folder_.Root());
        ::unsetenv("DEBUG");
    }
    void TearDown() override {
        xUtilTraceClose();
        ::unsetenv("DEBUG");
        fs::current_path(previous_);
    }
    static std::string Contents(const char* path) {
        return testing_support::TempFolder::Read(path);
    }

    fs::path previous_ = fs::current_path();
    testing_support::TempFolder folder_;
};

TEST_F(TraceTest, SettingFromTheSwitchElseFromTheEnvironment) {
    // Command line, DEBUG variable, then the level, echo and file count they give.
    const std::tuple<const char*, const char*, int, bool, std::size_t> cases[] = {
        {"prog.exe -debug:2,stdout,trace.txt other", nullptr, 2, true, 1},
        {"prog", nullptr, 3, true, 0},
        {"prog -debug:1,,never.txt", nullptr, 1, true, 0},
        {"-debug:5", nullptr, 3, false, 1},  // not a level: a file named "5"
        {"prog", "1,env.txt", 1, false, 1},
        {"prog -debug:2,msdbg", "1,env.txt", 2, false, 0},
    };
    for (const auto& [commandLine, environment, level, echoes, outputs] : cases) {
        SCOPED_TRACE(commandLine);
        environment ? ::setenv("DEBUG", environment, 1) : ::unsetenv("DEBUG");
        xUtilTraceInit(commandLine);
        EXPECT_EQ(xUtilTraceLevel(), level);
        EXPECT_EQ(xUtilTraceEchoes(), echoes);
        EXPECT_EQ(xUtilTraceOutputCount(), outputs);
    }
    EXPECT_FALSE(fs::exists("never.txt"));
    EXPECT_TRUE(fs::exists("5"));
}

TEST_F(TraceTest, DiagnosticsReachEveryOutputInTheirLineFormat) {
    xUtilTraceInit("-debug:2,stdout,diag.txt");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(xUtilTrace("value %d\n", 42), 9);
    const int line = __LINE__ + 1;
    EXPECT_EQ(XUTIL_DIAG_IN("CHostThread::BroadcastThreadFunction", "received %s\n", "x"), 11);
    CTraceProbe().FailConst(7);
    CTraceProbe::FailInLambda();
    xUtilTraceError(2);
    const std::string text = Contents("diag.txt");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), text);
    EXPECT_THAT(text,
                ::testing::StartsWith("value 42\n.\\trace_test.cpp(" + std::to_string(line) +
                                      ") : CHostThread::BroadcastThreadFunction(): received x\n"));
    EXPECT_THAT(text, HasSubstr(") : CTraceProbe::FailConst(): failed with 7\n"));
    EXPECT_THAT(text, HasSubstr(") : CTraceProbe::FailInLambda(): from a lambda\n"));
    EXPECT_THAT(text, ::testing::EndsWith("\nError number 2: No such file or directory\n"));
}

TEST_F(TraceTest, ConcurrentDiagnosticsStayWholeLines) {
    xUtilTraceInit("-debug:threads.txt");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) XUTIL_DIAG_IN("Worker::Run", "thread %d line %d\n", t, i);
        });
    }
    for (std::thread& thread : threads) thread.join();
    const std::string text = Contents("threads.txt");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 * 200);
    const std::regex line(R"(\.\\trace_test\.cpp\(\d+\) : Worker::Run\(\): thread \d line \d+\n)");
    EXPECT_EQ(std::regex_replace(text, line, ""), "");
}

}  // namespace
