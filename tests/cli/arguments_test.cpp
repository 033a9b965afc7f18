// How the front end reads its command line: help, usage errors and their exit codes.
#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace {

using cli_test::LineCount;
using cli_test::RunCommand;

TEST(CliArguments, HelpListsEveryCommandAndSucceeds) {
    const auto result = RunCommand({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* command : {"serve", "share", "name", "hosts", "ls", "info", "get", "chat"}) {
        EXPECT_NE(result.out.find(command), std::string::npos) << command;
    }
    EXPECT_NE(result.out.find("--config"), std::string::npos);
    EXPECT_NE(result.out.find("--timeout"), std::string::npos);
    // Options meant for tests stay out of the user's sight.
    EXPECT_EQ(result.out.find("--request-port"), std::string::npos);
    EXPECT_TRUE(result.err.empty());
}

TEST(CliArguments, SubcommandHelpShowsItsOwnUsage) {
    const auto get = RunCommand({"get", "--help"});
    EXPECT_EQ(get.exitCode, 0);
    EXPECT_NE(get.out.find("REMOTEPATH"), std::string::npos);
    EXPECT_NE(get.out.find("--overwrite"), std::string::npos);

    const auto shareAdd = RunCommand({"share", "add", "--help"});
    EXPECT_EQ(shareAdd.exitCode, 0);
    EXPECT_NE(shareAdd.out.find("PATH"), std::string::npos);

    const auto hosts = RunCommand({"hosts", "--help"});
    EXPECT_NE(hosts.out.find("--wait"), std::string::npos);
}

TEST(CliArguments, UsageErrorsGiveOneLineAndExitTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},                                // no command
        {"frobnicate"},                    // unknown command
        {"ls"},                            // HOST missing
        {"get", "host"},                   // REMOTEPATH missing
        {"chat", "host"},                  // TEXT missing
        {"share"},                         // share needs add, list or remove
        {"share", "add", "Music"},         // PATH missing
        {"--timeout", "0", "ls", "h"},     // timeout below one second
        {"--timeout", "soon", "ls", "h"},  // not a number
        {"hosts", "--wait", "-1"},         // negative wait
        {"ls", "h", "\\", "extra"},        // too many arguments
    };
    for (const auto& args : bad) {
        const auto result = RunCommand(args);
        std::string joined;
        for (const auto& arg : args) joined += arg + " ";
        EXPECT_EQ(result.exitCode, 2) << joined;
        EXPECT_EQ(LineCount(result.err), 1) << joined << ": " << result.err;
        EXPECT_EQ(result.err.rfind("wendaro-cli: ", 0), 0u) << result.err;
        EXPECT_TRUE(result.out.empty()) << joined;
    }
}

TEST(CliArguments, GlobalOptionsMayFollowTheCommandName) {
    cli_test::TempFolder temp;
    const std::string ini = temp.Path("w.ini");
    const auto set = RunCommand({"name", "--config", ini, "box"});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    const auto shown = RunCommand({"--config", ini, "name"});
    EXPECT_EQ(shown.out, "box\n");
}

}  // namespace
