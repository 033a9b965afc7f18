#include "util/trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

// Outside any anonymous namespace, so that its qualified name is plain.
struct CTraceProbe {
    static int Fail(int code) { return XUTIL_DIAG("failed with %d\n", code); }
    int FailConst() const { return XUTIL_DIAG("const member\n"); }
    static int FailInLambda() {
        auto inner = [] { return XUTIL_DIAG("from a lambda\n"); };
        return inner();
    }
};

namespace {

using ::testing::HasSubstr;

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("trace_test." + std::to_string(::getpid()));
        fs::create_directories(folder_);
        ::unsetenv("DEBUG");
    }
    void TearDown() override {
        xUtilTraceClose();
        ::unsetenv("DEBUG");
        fs::remove_all(folder_);
    }
    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
};

TEST_F(TraceTest, LevelEchoAndFileFromTheSwitch) {
    const std::string file = PathOf("trace.txt");
    xUtilTraceInit("prog.exe -debug:2,stdout," + file + " other");
    EXPECT_EQ(xUtilTraceLevel(), 2);
    EXPECT_TRUE(xUtilTraceEchoes());
    EXPECT_EQ(xUtilTraceOutputCount(), 1u);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(xUtilTrace("value %d\n", 42), 9);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "value 42\n");
    EXPECT_EQ(Contents(file), "value 42\n");
}

TEST_F(TraceTest, SwitchNameIgnoresCaseAndKeepsDefaultLevel) {
    xUtilTraceInit("/DEBUG:stdout");
    EXPECT_EQ(xUtilTraceLevel(), 3);
    EXPECT_TRUE(xUtilTraceEchoes());
    EXPECT_EQ(xUtilTraceOutputCount(), 0u);
}

TEST_F(TraceTest, DefaultsWithoutSettingEchoOnly) {
    for (const char* commandLine : {"prog -debug", "prog", "prog -debug:1,,never.txt"}) {
        SCOPED_TRACE(commandLine);
        xUtilTraceInit(commandLine);
        EXPECT_TRUE(xUtilTraceEchoes());
        EXPECT_EQ(xUtilTraceOutputCount(), 0u);
    }
    EXPECT_EQ(xUtilTraceLevel(), 1);
    EXPECT_FALSE(fs::exists("never.txt"));
}

TEST_F(TraceTest, UnknownLevelIsAnOutputFileName) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    xUtilTraceInit("-debug:5");
    fs::current_path(previous);
    EXPECT_EQ(xUtilTraceLevel(), 3);
    EXPECT_FALSE(xUtilTraceEchoes());
    EXPECT_TRUE(fs::exists(folder_ / "5"));
}

TEST_F(TraceTest, LevelZeroSilencesEverything) {
    const std::string file = PathOf("silent.txt");
    xUtilTraceInit("-debug:0,stdout," + file);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(xUtilTrace("nothing\n"), 0);
    EXPECT_EQ(CTraceProbe::Fail(1), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Contents(file), "");
}

TEST_F(TraceTest, EnvironmentUsedOnlyWithoutTheSwitch) {
    const std::string fromEnvironment = PathOf("env.txt");
    ::setenv("DEBUG", ("1," + fromEnvironment).c_str(), 1);
    xUtilTraceInit("prog");
    EXPECT_EQ(xUtilTraceLevel(), 1);
    EXPECT_FALSE(xUtilTraceEchoes());
    EXPECT_EQ(xUtilTraceOutputCount(), 1u);
    xUtilTraceInit("prog -debug:2,msdbg");
    EXPECT_EQ(xUtilTraceLevel(), 2);
    EXPECT_FALSE(xUtilTraceEchoes());
    EXPECT_EQ(xUtilTraceOutputCount(), 0u);
}

TEST_F(TraceTest, OutputsAreTruncatedCappedAndUnopenableOnesSkipped) {
    std::ofstream(PathOf("old.txt")) << "stale text\n";
    std::string commandLine = "-debug:" + PathOf("missing/dir/x.txt") + "," + PathOf("old.txt");
    for (int i = 0; i < 20; ++i) commandLine += "," + PathOf("out" + std::to_string(i));
    xUtilTraceInit(commandLine);
    EXPECT_EQ(xUtilTraceOutputCount(), 16u);
    EXPECT_EQ(Contents(PathOf("old.txt")), "");
    EXPECT_TRUE(fs::exists(PathOf("out14")));
    EXPECT_FALSE(fs::exists(PathOf("out15")));
}

TEST_F(TraceTest, ArgumentVectorIsJoinedWithSpaces) {
    const char* argv[] = {"wendaro", "-debug:2,stdout"};
    xUtilTraceInit(2, argv);
    EXPECT_EQ(xUtilTraceLevel(), 2);
    EXPECT_TRUE(xUtilTraceEchoes());
}

TEST_F(TraceTest, DiagnosticLineFormat) {
    const std::string file = PathOf("diag.txt");
    xUtilTraceInit("-debug:" + file);
    const int line = __LINE__ + 1;
    const int count = XUTIL_DIAG_IN("CHostThread::BroadcastThreadFunction", "received %s\n", "x");
    EXPECT_EQ(count, 11);
    CTraceProbe::Fail(7);
    CTraceProbe().FailConst();
    CTraceProbe::FailInLambda();
    xUtilTraceError(2);
    const std::string text = Contents(file);
    EXPECT_THAT(text, HasSubstr(".\\trace_test.cpp(" + std::to_string(line) +
                                ") : CHostThread::BroadcastThreadFunction(): received x\n"));
    EXPECT_THAT(text, HasSubstr(") : CTraceProbe::Fail(): failed with 7\n"));
    EXPECT_THAT(text, HasSubstr(") : CTraceProbe::FailConst(): const member\n"));
    EXPECT_THAT(text, HasSubstr(") : CTraceProbe::FailInLambda(): from a lambda\n"));
    EXPECT_THAT(text, HasSubstr("\nError number 2: No such file or directory\n"));
}

TEST_F(TraceTest, ConcurrentDiagnosticsStayWholeLines) {
    const std::string file = PathOf("threads.txt");
    xUtilTraceInit("-debug:" + file);
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                XUTIL_DIAG_IN("Worker::Run", "thread %d line %d\n", t, i);
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::istringstream lines(Contents(file));
    const std::regex whole(R"(\.\\trace_test\.cpp\(\d+\) : Worker::Run\(\): thread \d line \d+)");
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_TRUE(std::regex_match(line, whole)) << line;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

TEST(QualifiedFunctionName, CompilerSignatures) {
    EXPECT_EQ(xUtilQualifiedFunctionName("void CHostThread::BroadcastThreadFunction(void*)"),
              "CHostThread::BroadcastThreadFunction");
    EXPECT_EQ(xUtilQualifiedFunctionName("int main(int, char**)"), "main");
    EXPECT_EQ(xUtilQualifiedFunctionName("bool ns::C<int>::Get(std::pair<int, int>) const &"),
              "ns::C<int>::Get");
    EXPECT_EQ(xUtilQualifiedFunctionName("T f(T) [with T = std::map<int, int>]"), "f");
    EXPECT_EQ(xUtilQualifiedFunctionName("std::vector<int> (anonymous namespace)::Load()"),
              "(anonymous namespace)::Load");
    EXPECT_EQ(xUtilQualifiedFunctionName("CServerThread::Run(int)::<lambda()>"),
              "CServerThread::Run");
    EXPECT_EQ(xUtilQualifiedFunctionName(
                  "auto CServerThread::Run(int)::(anonymous class)::operator()() const"),
              "CServerThread::Run");
    EXPECT_EQ(xUtilQualifiedFunctionName("CServerThread::CServerThread()"),
              "CServerThread::CServerThread");
}

}  // namespace
