// ls, get and chat against hostile fake hosts on loopback, and commands that cannot be done.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "support/fake_host.h"

namespace {

namespace fs = std::filesystem;
using cli_test::LineCount;
using cli_test::RunCommand;

class FakeHostTest : public ::testing::Test {
protected:
    cli_test::CliResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--config", temp_.Path("client.ini"), "--request-port",
                                   std::to_string(host_.Port())});
        return RunCommand(args);
    }

    testing_support::TempFolder temp_;
    testing_support::FakeHost host_;
};

TEST_F(FakeHostTest, WhatCannotBeFetchedFailsWithOneLineAndWritesNothing) {
    host_.SetReply("expand:\\data", "big.bin\\0\\5");
    host_.SetReply("retrieve:\\data\\big.bin", "hello");
    const std::string dest = temp_.MakeFolder("dest");
    struct Case {
        bool reachable;  // else the ports are 9 on loopback: nobody listens, connects are refused
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {true, {"get", "127.0.0.1", "/", dest}},
        {true, {"get", "127.0.0.1", "/data/big.bin", temp_.Path("nowhere")}},
        {false, {"ls", "127.0.0.1"}},
        {false, {"chat", "127.0.0.1", "hi"}},
        // Refused before any connection: longer than a chat pane takes.
        {false, {"chat", "127.0.0.1", std::string(1024, 'x')}},
    };
    for (const auto& [reachable, args] : cases) {
        std::vector<std::string> unreachable = {"--config", temp_.Path("c.ini"), "--request-port",
                                                "9",        "--chat-port",       "9"};
        unreachable.insert(unreachable.end(), args.begin(), args.end());
        const auto result = reachable ? Run(args) : RunCommand(unreachable);
        EXPECT_EQ(result.exitCode, 1) << ::testing::PrintToString(args);
        EXPECT_EQ(LineCount(result.err), 1) << ::testing::PrintToString(args) << result.err;
    }
    EXPECT_TRUE(fs::is_empty(dest));
    EXPECT_FALSE(fs::exists(temp_.Path("nowhere")));
}

TEST_F(FakeHostTest, HostileListingNamesAreRefusedAndNothingLandsOutside) {
    host_.SetReply("expand:\\", "evil\\1\\0");
    host_.SetReply("expand:\\evil",
                   "..\\1\\0\\.\\1\\0\\..\\0\\4\\a/b\\0\\4\\sub\\1\\0\\ok.txt\\0\\4");
    host_.SetReply("expand:\\evil\\sub", std::string("x\0y", 3) + "\\0\\4\\fine.txt\\0\\4");
    for (const char* file : {"\\evil\\ok.txt", "\\evil\\sub\\fine.txt", "\\evil\\..", "\\evil\\a/b",
                             "\\evil\\sub\\x"}) {
        host_.SetReply(std::string("retrieve:") + file, "data");
    }
    const auto result = Run({"get", "127.0.0.1", "/evil", temp_.MakeFolder("inner/dest")});
    EXPECT_EQ(result.exitCode, 1);
    // "." and ".." never get past the listing parser; the others are refused one line each.
    EXPECT_EQ(LineCount(result.err), 2) << result.err;
    EXPECT_NE(result.err.find("Refused \\evil\\sub\\x?y"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Refused \\evil\\a/b"), std::string::npos) << result.err;
    // Nothing else anywhere in the temporary folder.
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(temp_.Root())) {
        if (entry.is_regular_file())
            written.push_back(entry.path().lexically_relative(temp_.Root()).string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written,
              (std::vector<std::string>{"inner/dest/evil/ok.txt", "inner/dest/evil/sub/fine.txt"}));
    EXPECT_EQ(temp_.ReadFile("inner/dest/evil/ok.txt"), "data");
    for (const auto& request : host_.Requests()) {
        EXPECT_EQ(request.find("retrieve:\\evil\\.."), std::string::npos) << request;
        EXPECT_EQ(request.find("expand:\\evil\\.\\"), std::string::npos) << request;
    }
}

}  // namespace
