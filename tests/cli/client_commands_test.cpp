// ls, info, get and chat against real share servers and hostile fake hosts on loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "chat/chat_thread.h"
#include "cli_test_support.h"
#include "core/parseini.h"
#include "fake_host.h"
#include "server/server_thread.h"

namespace {

namespace fs = std::filesystem;
using cli_test::LineCount;
using cli_test::RunCommand;

class AllowEverything final : public UploadListener,
                              public ServerListener,
                              public PermissionListener {
public:
    void OnUploadStarted(std::uint32_t) override {}
    void OnUploadProgress(std::uint32_t, unsigned, float) override {}
    void OnUploadFinished(std::uint32_t, bool) override {}
    void OnUploadRequested(std::uint32_t, const StopFlag**) override {}
    void OnHostModified(Ipv4) override {}
    bool MayDownload(Ipv4) override { return true; }
};

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

// A real share server on a loopback port of its own, sharing one folder tree as "data".
class SharingHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        share_ = temp_.Folder("share");
        temp_.File("share/big.bin", RandomBytes(3'000'000, 1));
        temp_.File("share/zero.bin", "");
        temp_.File("share/sub/with space.txt", "spaced out\n");
        temp_.File("share/sub/deeper/x.bin", RandomBytes(70'000, 2));
        temp_.Folder("share/empty");
        dest_ = temp_.Folder("dest");
        utilcpp::CParseini settings(temp_.Path("server.ini"));
        settings.SetString("shares", "data", share_);
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
        args.insert(args.begin(), {"--config", temp_.Path("client.ini"), "--request-port",
                                   std::to_string(server_->Port())});
        return RunCommand(args);
    }

    cli_test::TempFolder temp_;
    std::string share_;
    std::string dest_;
    AllowEverything listeners_;
    StopFlag shutdown_{false};
    std::unique_ptr<CServerThread> server_;
};

TEST_F(SharingHostTest, LsShowsSharesAndFoldersReadably) {
    const auto root = Run({"ls", "127.0.0.1"});
    EXPECT_EQ(root.exitCode, 0) << root.err;
    EXPECT_EQ(root.out, "     <DIR>  data\n1 folder, 0 files, 0 B\n");

    const auto data = Run({"ls", "127.0.0.1", "/data"});
    EXPECT_EQ(data.exitCode, 0) << data.err;
    EXPECT_EQ(data.out,
              "     <DIR>  empty\n"
              "     <DIR>  sub\n"
              "   2.9 MiB  big.bin\n"
              "       0 B  zero.bin\n"
              "2 folders, 2 files, 2.9 MiB\n");
    EXPECT_EQ(Run({"ls", "127.0.0.1", "\\data\\sub"}).out,
              "     <DIR>  deeper\n      11 B  with space.txt\n1 folder, 1 file, 11 B\n");
}

TEST_F(SharingHostTest, InfoShowsTheHostsFields) {
    const auto info = Run({"info", "127.0.0.1"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Name:     srv\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Version:  1.0\n"), std::string::npos);
    EXPECT_NE(info.out.find("Date:     01.02.2025\n"), std::string::npos);
    EXPECT_NE(info.out.find("Time:     12:00:00\n"), std::string::npos);
    EXPECT_NE(info.out.find("System:   Linux."), std::string::npos);
}

TEST_F(SharingHostTest, GetFileAndWholeFolderArriveByteForByte) {
    const auto file = Run({"get", "127.0.0.1", "/data/big.bin", dest_});
    ASSERT_EQ(file.exitCode, 0) << file.err;
    EXPECT_EQ(temp_.Read("dest/big.bin"), temp_.Read("share/big.bin"));
    EXPECT_EQ(LineCount(file.out), 1) << "one line per finished file";

    const auto folder = Run({"get", "127.0.0.1", "\\data\\sub", dest_});
    ASSERT_EQ(folder.exitCode, 0) << folder.err;
    // The folder keeps its own name below the target.
    EXPECT_EQ(temp_.Read("dest/sub/with space.txt"), "spaced out\n");
    EXPECT_EQ(temp_.Read("dest/sub/deeper/x.bin"), temp_.Read("share/sub/deeper/x.bin"));
    EXPECT_EQ(LineCount(folder.out), 2);

    const auto share = Run({"get", "127.0.0.1", "data", temp_.Folder("whole")});
    ASSERT_EQ(share.exitCode, 0) << share.err;
    EXPECT_EQ(temp_.Read("whole/data/big.bin"), temp_.Read("share/big.bin"));
    EXPECT_TRUE(fs::is_regular_file(temp_.Path("whole/data/zero.bin")));
    EXPECT_EQ(fs::file_size(temp_.Path("whole/data/zero.bin")), 0u);
    EXPECT_TRUE(fs::is_directory(temp_.Path("whole/data/empty")));
}

TEST_F(SharingHostTest, ExistingFileIsKeptWithoutOverwriteAndReplacedWithIt) {
    temp_.File("dest/big.bin", "precious");
    const auto refused = Run({"get", "127.0.0.1", "/data/big.bin", dest_});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(LineCount(refused.err), 1);
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;
    EXPECT_EQ(temp_.Read("dest/big.bin"), "precious");

    // Inside a folder download, the existing file is kept and reported; the others arrive.
    temp_.File("dest/sub/with space.txt", "mine");
    const auto folder = Run({"get", "127.0.0.1", "/data/sub", dest_});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(temp_.Read("dest/sub/with space.txt"), "mine");
    EXPECT_EQ(temp_.Read("dest/sub/deeper/x.bin"), temp_.Read("share/sub/deeper/x.bin"));

    const auto replaced = Run({"get", "--overwrite", "127.0.0.1", "/data/big.bin", dest_});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(temp_.Read("dest/big.bin"), temp_.Read("share/big.bin"));
}

TEST_F(SharingHostTest, GetReportsWhatCannotBeDownloaded) {
    const auto missing = Run({"get", "127.0.0.1", "/data/nosuch.bin", dest_});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "wendaro-cli: There is no file or folder \\data\\nosuch.bin on 127.0.0.1.\n");

    const auto root = Run({"get", "127.0.0.1", "/", dest_});
    EXPECT_EQ(root.exitCode, 1);
    EXPECT_EQ(LineCount(root.err), 1);

    const auto noTarget = Run({"get", "127.0.0.1", "/data/big.bin", temp_.Path("nowhere")});
    EXPECT_EQ(noTarget.exitCode, 1);
    EXPECT_EQ(LineCount(noTarget.err), 1);
    EXPECT_TRUE(fs::is_empty(dest_));
}

TEST(UnreachableHost, ClientCommandsFailWithOneLine) {
    cli_test::TempFolder temp;
    // Port 9 on loopback: nobody listens, connects are refused at once.
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"ls", "127.0.0.1"},
          {"info", "127.0.0.1"},
          {"get", "127.0.0.1", "/a/b", temp.Root().string()},
          {"chat", "127.0.0.1", "hi"}}) {
        std::vector<std::string> args = {"--config", temp.Path("c.ini"), "--request-port",
                                         "9",        "--chat-port",      "9"};
        args.insert(args.end(), command.begin(), command.end());
        const auto result = RunCommand(args);
        EXPECT_EQ(result.exitCode, 1) << command[0];
        EXPECT_EQ(LineCount(result.err), 1) << command[0] << ": " << result.err;
    }
}

class FakeHostTest : public ::testing::Test {
protected:
    cli_test::CliResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--config", temp_.Path("client.ini"), "--request-port",
                                   std::to_string(host_.Port())});
        return RunCommand(args);
    }

    cli_test::TempFolder temp_;
    cli_test::FakeHost host_;
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
    const std::string dest = temp_.Folder("inner/dest");
    const auto result = Run({"get", "127.0.0.1", "/evil", dest});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(temp_.Read("inner/dest/evil/ok.txt"), "data");
    EXPECT_EQ(temp_.Read("inner/dest/evil/sub/fine.txt"), "data");
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
    for (const auto& request : host_.Requests()) {
        EXPECT_EQ(request.find("retrieve:\\evil\\.."), std::string::npos) << request;
        EXPECT_EQ(request.find("expand:\\evil\\.\\"), std::string::npos) << request;
    }
}

TEST_F(FakeHostTest, HostThatAcceptsAndNeverAnswersIsGivenUpOn) {
    host_.Set("expand:\\", {{}, true, false, {}});
    const auto started = std::chrono::steady_clock::now();
    const auto result = Run({"--timeout", "1", "ls", "127.0.0.1"});
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "wendaro-cli: No answer from 127.0.0.1 for 1 s while listing \\; giving up.\n");
    EXPECT_LT(took, std::chrono::seconds(20)) << "bounded by the idle limit, not hanging";
}

TEST_F(FakeHostTest, FileCutOffMidwayLeavesNoPartialAndKeepsTheOlderCopy) {
    host_.SetReply("expand:\\s", "f.bin\\0\\100");
    host_.Set("retrieve:\\s\\f.bin", {{}, false, false, "100:only part of it"});
    const std::string dest = temp_.Folder("dest");
    temp_.File("dest/f.bin", "older copy");
    const auto result = Run({"get", "--overwrite", "127.0.0.1", "/s/f.bin", dest});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(LineCount(result.err), 1) << result.err;
    EXPECT_EQ(temp_.Read("dest/f.bin"), "older copy");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dest)) ++files;
    EXPECT_EQ(files, 1u) << "no temporary file may stay behind";
}

TEST_F(FakeHostTest, HundredThousandEntryFolderIsListed) {
    std::string listing;
    for (int i = 0; i < 100'000; ++i) {
        if (i != 0) listing += '\\';
        listing += "file" + std::to_string(i) + ".dat\\0\\" + std::to_string(i);
    }
    host_.SetReply("expand:\\big", listing);
    const auto result = Run({"ls", "127.0.0.1", "/big"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(LineCount(result.out), 100'001);
    EXPECT_NE(result.out.find("0 folders, 100000 files, 4.7 GiB\n"), std::string::npos);
}

class ChatCollector final : public ChatListener {
public:
    void OnChatMessage(Ipv4 address, const std::string& text) override {
        std::lock_guard guard(lock);
        received.emplace_back(address, text);
    }
    std::mutex lock;
    std::vector<std::pair<Ipv4, std::string>> received;
};

TEST(ChatCommand, SendsOneTextAndRefusesOverlongOnes) {
    cli_test::TempFolder temp;
    ChatCollector collector;
    StopFlag stop{false};
    ChatOptions options;
    options.bindAddress = htonl(INADDR_LOOPBACK);
    options.port = 0;
    CChatThread chat(&collector, &stop, options);
    ASSERT_NE(chat.Port(), 0);
    const std::vector<std::string> base = {"--config",    temp.Path("c.ini"),
                                           "--chat-port", std::to_string(chat.Port()),
                                           "chat",        "127.0.0.1"};
    auto args = base;
    args.push_back("hello there");
    EXPECT_EQ(RunCommand(args).exitCode, 0);
    args = base;
    args.push_back(std::string(1024, 'x'));
    const auto tooLong = RunCommand(args);
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_EQ(LineCount(tooLong.err), 1);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard guard(collector.lock);
            if (!collector.received.empty()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop = true;
    chat.Wait();
    ASSERT_EQ(collector.received.size(), 1u);
    EXPECT_EQ(collector.received[0].second, "hello there");
    EXPECT_EQ(collector.received[0].first, htonl(INADDR_LOOPBACK));
}

}  // namespace
