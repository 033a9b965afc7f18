// How the front end reads its command line: help, usage errors and their exit codes.
#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace {

using cli_test::LineCount;
using cli_test::RunCommand;

// That help lists every command and option is the install test's, which checks the man page
// against it; the options for tests stay out of it.
TEST(CliArguments, HelpLeavesOutTheTestOptions) {
    const auto result = RunCommand({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("--config"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("--request-port"), std::string::npos);
}

TEST(CliArguments, UsageErrorsGiveOneLineAndExitTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},                             // no command
        {"frobnicate"},                 // unknown command
        {"share", "add", "Music"},      // PATH missing
        {"--timeout", "0", "ls", "h"},  // timeout below one second
        {"hosts", "--wait", "-1"},      // negative wait
        {"ls", "h", "\\", "extra"},     // too many arguments
    };
    for (const auto& args : bad) {
        const auto result = RunCommand(args);
        const std::string joined = ::testing::PrintToString(args);
        EXPECT_EQ(result.exitCode, 2) << joined;
        EXPECT_EQ(LineCount(result.err), 1) << joined << ": " << result.err;
        EXPECT_EQ(result.err.rfind("wendaro-cli: ", 0), 0u) << result.err;
        EXPECT_TRUE(result.out.empty()) << joined;
    }
}

}  // namespace
