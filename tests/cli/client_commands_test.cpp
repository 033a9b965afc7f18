// ls, info, get and chat against a real share server and hostile fake hosts on loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <random>

#include "cli_test_support.h"
#include "core/parseini.h"
#include "server/server_test_support.h"
#include "support/fake_host.h"

namespace {

namespace fs = std::filesystem;
using cli_test::LineCount;
using cli_test::RunCommand;

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

// Runs a command of a client with its own settings against the host at this loopback port.
cli_test::CliResult RunAgainst(const cli_test::TempFolder& temp, std::uint16_t port,
                               std::vector<std::string> args) {
    args.insert(args.begin(),
                {"--config", temp.Path("client.ini"), "--request-port", std::to_string(port)});
    return RunCommand(args);
}

// A real share server on a loopback port of its own, sharing one folder tree as "data".
class SharingHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp_.File("share/big.bin", RandomBytes(3'000'000, 1));
        temp_.File("share/sub/with space.txt", "spaced out\n");
        temp_.File("share/sub/deeper/x.bin", RandomBytes(70'000, 2));
        utilcpp::CParseini(temp_.Path("server.ini"))
            .SetString("shares", "data", temp_.Path("share"));
        server_ = std::make_unique<CServerThread>(
            &listeners_, &listeners_, &listeners_, "srv", "1.0 12:00:00 01.02.2025 ", &shutdown_,
            temp_.Path("server.ini"), ServerOptions{htonl(INADDR_LOOPBACK), 0});
        ASSERT_NE(server_->Port(), 0);
    }
    void TearDown() override {
        shutdown_ = true;
        server_->Stop();
    }
    cli_test::CliResult Run(std::vector<std::string> args) {
        return RunAgainst(temp_, server_->Port(), std::move(args));
    }

    cli_test::TempFolder temp_;
    std::string dest_ = temp_.Folder("dest");
    server_test::RecordingListeners listeners_;
    StopFlag shutdown_{false};
    std::unique_ptr<CServerThread> server_;
};

// Listing texts, single files and --overwrite are the end-to-end transfer test's; here a folder
// arrives under its own name, one line per file, and inside a folder download an existing file
// is kept and reported while the others arrive.
TEST_F(SharingHostTest, GetWritesAFolderUnderItsOwnNameAndKeepsExistingFilesInIt) {
    const auto folder = Run({"get", "127.0.0.1", "\\data\\sub", dest_});
    ASSERT_EQ(folder.exitCode, 0) << folder.err;
    EXPECT_EQ(temp_.Read("dest/sub/with space.txt"), "spaced out\n");
    EXPECT_EQ(temp_.Read("dest/sub/deeper/x.bin"), temp_.Read("share/sub/deeper/x.bin"));
    EXPECT_EQ(LineCount(folder.out), 2);
    temp_.File("mine/sub/with space.txt", "mine");
    const auto kept = Run({"get", "127.0.0.1", "/data/sub", temp_.Path("mine")});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_NE(kept.err.find("--overwrite"), std::string::npos) << kept.err;
    EXPECT_EQ(temp_.Read("mine/sub/with space.txt"), "mine");
    EXPECT_EQ(temp_.Read("mine/sub/deeper/x.bin"), temp_.Read("share/sub/deeper/x.bin"));
}

TEST_F(SharingHostTest, WhatCannotBeFetchedFailsWithOneLineAndWritesNothing) {
    EXPECT_EQ(Run({"get", "127.0.0.1", "/data/nosuch.bin", dest_}).err,
              "wendaro-cli: There is no file or folder \\data\\nosuch.bin on 127.0.0.1.\n");
    struct Case {
        bool reachable;  // else the ports are 9 on loopback: nobody listens, connects are refused
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {true, {"get", "127.0.0.1", "/", dest_}},
        {true, {"get", "127.0.0.1", "/data/big.bin", temp_.Path("nowhere")}},
        {false, {"ls", "127.0.0.1"}},
        {false, {"info", "127.0.0.1"}},
        {false, {"get", "127.0.0.1", "/a/b", dest_}},
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
    EXPECT_TRUE(fs::is_empty(dest_));
}

class FakeHostTest : public ::testing::Test {
protected:
    cli_test::CliResult Run(std::vector<std::string> args) {
        return RunAgainst(temp_, host_.Port(), std::move(args));
    }

    cli_test::TempFolder temp_;
    testing_support::FakeHost host_;
};

TEST_F(FakeHostTest, HostileListingNamesAreRefusedAndNothingLandsOutside) {
    host_.SetReply("expand:\\", "evil\\1\\0");
    host_.SetReply("expand:\\evil",
                   "..\\1\\0\\.\\1\\0\\..\\0\\4\\a/b\\0\\4\\sub\\1\\0\\ok.txt\\0\\4");
    host_.SetReply("expand:\\evil\\sub", std::string("x\0y", 3) + "\\0\\4\\fine.txt\\0\\4");
    for (const char* file : {"\\evil\\ok.txt", "\\evil\\sub\\fine.txt", "\\evil\\..", "\\evil\\a/b",
                             "\\evil\\sub\\x"}) {
        host_.SetReply(std::string("retrieve:") + file, "data");
    }
    const auto result = Run({"get", "127.0.0.1", "/evil", temp_.Folder("inner/dest")});
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
    EXPECT_EQ(temp_.Read("inner/dest/evil/ok.txt"), "data");
    for (const auto& request : host_.Requests()) {
        EXPECT_EQ(request.find("retrieve:\\evil\\.."), std::string::npos) << request;
        EXPECT_EQ(request.find("expand:\\evil\\.\\"), std::string::npos) << request;
    }
}

// More sub-folders than the job queue lets light jobs wait: the walk asks for a few at a time.
TEST_F(FakeHostTest, FolderWithThousandsOfSubFoldersArrivesWhole) {
    constexpr int kFolders = 1200;
    std::string top;
    for (int i = 0; i < kFolders; ++i) {
        const std::string name = "d" + std::to_string(i);
        top += name + "\\1\\0\\";
        host_.SetReply("expand:\\many\\" + name, i == kFolders - 1 ? "f\\0\\1" : "");
    }
    host_.SetReply("retrieve:\\many\\d1199\\f", "x");
    host_.SetReply("expand:\\", "many\\1\\0");
    host_.SetReply("expand:\\many", top.substr(0, top.size() - 1));
    const auto result = Run({"get", "127.0.0.1", "/many", temp_.Folder("dest")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(temp_.Read("dest/many/d1199/f"), "x");
}

// A host lists at most 10 000 shares; a cut listing says so, as its summary alone would pass for
// the whole. A folder listing of the same length arrives whole.
TEST_F(FakeHostTest, LsOfACutShareListSaysItWasCut) {
    std::string shares;
    for (int i = 0; i < 10'003; ++i) shares += "s" + std::to_string(i) + "\\1\\0\\";
    shares.pop_back();
    host_.SetReply("expand:\\", shares);
    host_.SetReply("expand:\\s0", shares);
    const auto result = Run({"ls", "127.0.0.1"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.ends_with("\n10000 folders, 0 files, 0 B\n"));
    EXPECT_EQ(result.err, "wendaro-cli: This listing was cut: 3 more entries were left out.\n");
    const auto folder = Run({"ls", "127.0.0.1", "/s0"});
    EXPECT_TRUE(folder.out.ends_with("\n10003 folders, 0 files, 0 B\n"));
    EXPECT_EQ(folder.err, "");
}

TEST_F(FakeHostTest, HostThatAcceptsAndNeverAnswersIsGivenUpOn) {
    host_.SetSilent("expand:\\");
    const auto result = Run({"--timeout", "1", "ls", "127.0.0.1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "wendaro-cli: No answer from 127.0.0.1 for 1 s while listing \\; giving up.\n");
}

TEST_F(FakeHostTest, BrokenOrOversizedFileLeavesNoPartialAndKeepsTheOlderCopy) {
    host_.SetReply("expand:\\s", "f.bin\\0\\100");
    // Cut off midway, and a reply announcing more than the listed 100 bytes.
    for (const std::string& reply :
         {std::string("100:only part of it"), "200:" + std::string(200, 'x')}) {
        SCOPED_TRACE(reply.substr(0, 8));
        host_.SetRaw("retrieve:\\s\\f.bin", reply);
        temp_.File("dest/f.bin", "older copy");
        const auto result =
            Run({"get", "--overwrite", "127.0.0.1", "/s/f.bin", temp_.Path("dest")});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(LineCount(result.err), 1) << result.err;
        EXPECT_EQ(temp_.Read("dest/f.bin"), "older copy");
        EXPECT_EQ(
            std::distance(fs::directory_iterator(temp_.Path("dest")), fs::directory_iterator()), 1)
            << "no temporary file may stay behind";
    }
}

}  // namespace
