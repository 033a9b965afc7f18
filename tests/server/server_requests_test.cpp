// Requests answered by a running share server over loopback, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "protocol/request_protocol.h"
#include "server/server_thread.h"
#include "server/share_paths.h"
#include "server_test_support.h"
#include "util/trace.h"

namespace {

using namespace server_test;
namespace fs = std::filesystem;
using testing_support::LoopbackAddress;

class ServerRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_.WriteFile("music/a.txt", "hello");
        sandbox_.MakeFolder("music/sub");
        sandbox_.WriteFile("music/sub/deep.txt", "deeper");
        sandbox_.WriteFile("outside/secret.txt", "secret");
        fs::create_directory_symlink(sandbox_.Path("outside"), sandbox_.Path("music/link_out"));
        fs::create_symlink(sandbox_.Path("outside/secret.txt"), sandbox_.Path("music/secret"));
        WriteSettings("[shares]\n music = " + sandbox_.Path("music") +
                      "/\nempty=" + sandbox_.Path("outside") + "/nosuch\n");
    }

    void WriteSettings(const std::string& text) { sandbox_.WriteFile("wendaro.ini", text); }

    CServerThread& Start(ServerOptions options = LoopbackOptions()) {
        server_ = std::make_unique<CServerThread>(&listeners_, &listeners_, &listeners_, "host",
                                                  "1.0 12:00:00 01.01.2024 ", &shutdown_,
                                                  sandbox_.Path("wendaro.ini"), options);
        EXPECT_NE(server_->Port(), 0);
        return *server_;
    }

    std::string Ask(const std::string& line) { return Exchange(server_->Port(), line); }

    Sandbox sandbox_;
    RecordingListeners listeners_;
    StopFlag shutdown_{false};
    std::unique_ptr<CServerThread> server_;
};

TEST_F(ServerRequestTest, RootListsTheSharesInSettingsOrder) {
    Start();
    EXPECT_EQ(Ask("expand:\\"), Framed("music\\1\\0\\empty\\1\\0"));
    WriteSettings("[global]\nhostname=x\n");
    EXPECT_EQ(Ask("expand:\\"), "0:");
}

TEST_F(ServerRequestTest, FolderListingCarriesNamesFlagsAndSizes) {
    Start();
    const std::string reply = Ask("expand:\\music");
    const std::string prefix = reply.substr(0, reply.find(':') + 1);
    std::vector<DirEntry> entries = proto::ParseListing(reply.substr(prefix.size()));
    EXPECT_EQ(prefix, std::to_string(reply.size() - prefix.size()) + ":");
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    const std::vector<DirEntry> expected = {{"a.txt", 5, false}, {"sub", 0, true}};
    EXPECT_EQ(entries, expected);

    EXPECT_EQ(Ask("expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
    EXPECT_EQ(Ask("expand:\\music\\sub\\"), Framed("deep.txt\\0\\6"));
}

TEST_F(ServerRequestTest, UnresolvablePlacesAnswerAnEmptyListing) {
    Start();
    for (const std::string line :
         {"expand:\\nosuch", "expand", "expand:", "expand:music", "expand:\\empty",
          "expand:\\music\\a.txt", "expand:\\music\\gone"}) {
        EXPECT_EQ(Ask(line), "0:") << line;
    }
}

TEST_F(ServerRequestTest, NoSpellingOfAParentFolderLeavesTheShare) {
    Start();
    const std::vector<std::string> escapes = {
        "\\music\\..\\outside", "\\music\\sub\\..\\..\\outside",
        "\\music\\..",          "\\music\\sub/../../outside",
        "\\music\\..\\",        "\\music\\link_out",
        "\\..\\outside",        std::string("\\music\\\0..", 10)};
    for (const std::string& path : escapes) {
        EXPECT_EQ(Ask("expand:" + path), "0:") << path;
    }
    const std::vector<std::string> files = {"\\music\\..\\outside\\secret.txt",
                                            "\\music\\sub\\..\\..\\outside\\secret.txt",
                                            "\\music/../outside/secret.txt",
                                            "\\music\\link_out\\secret.txt",
                                            "\\music\\secret",
                                            std::string("\\music\\a.txt\0", 13)};
    for (const std::string& path : files) {
        EXPECT_EQ(Ask("retrieve:" + path), "") << path;
    }
    EXPECT_TRUE(listeners_.Uploads().empty());
    EXPECT_TRUE(listeners_.UploadRequests().empty());
}

TEST_F(ServerRequestTest, RetrieveSendsTheFileByteForByte) {
    std::string content(300'000, '\0');
    std::mt19937 random(7);
    for (char& c : content) c = static_cast<char>(random());
    sandbox_.WriteFile("music/sub/data.bin", content);
    std::string localPath;
    Start();
    listeners_.SetUploadRequestedHook([&](std::uint32_t id, const StopFlag**) {
        ServerConnectionInfo info;
        if (server_->GetConnectionInfo(id, &info)) localPath = info.argument;
    });

    EXPECT_EQ(Ask("retrieve:\\music\\sub\\data.bin"), Framed(content));
    ASSERT_TRUE(listeners_.WaitForUploadFinished());
    EXPECT_EQ(listeners_.PermissionAsks(), std::vector<Ipv4>{LoopbackAddress()});
    std::string real;
    ASSERT_TRUE(server::RealLocation(sandbox_.Path("music/sub/data.bin"), real));
    EXPECT_EQ(localPath, real);
    const auto uploads = listeners_.Uploads();
    ASSERT_GE(uploads.size(), 2u);
    EXPECT_EQ(uploads.front().kind, 'S');
    EXPECT_EQ(uploads.back().kind, 'F');
    EXPECT_TRUE(uploads.back().success);
    EXPECT_EQ(uploads.back().id, listeners_.UploadRequests().at(0));

    sandbox_.WriteFile("music/empty.txt", "");
    EXPECT_EQ(Ask("retrieve:\\music\\empty.txt"), "0:");
}

TEST_F(ServerRequestTest, MissingFileClosesWithoutReplyAndReportsAFailedUpload) {
    Start();
    // Folders are not files to send: nothing is reported for them.
    EXPECT_EQ(Ask("retrieve:\\music\\sub"), "");
    EXPECT_EQ(Ask("retrieve:\\music"), "");
    EXPECT_TRUE(listeners_.Uploads().empty());
    EXPECT_EQ(Ask("retrieve:\\music\\gone.txt"), "");
    ASSERT_TRUE(listeners_.WaitForUploadFinished());
    const auto uploads = listeners_.Uploads();
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[0].kind, 'S');
    EXPECT_EQ(uploads[1].kind, 'F');
    EXPECT_FALSE(uploads[1].success);
}

TEST_F(ServerRequestTest, RefusedPermissionSendsNothing) {
    listeners_.AllowDownloads(false);
    Start();
    EXPECT_EQ(Ask("retrieve:\\music\\a.txt"), "");
    EXPECT_EQ(listeners_.PermissionAsks(), std::vector<Ipv4>{LoopbackAddress()});
    EXPECT_TRUE(listeners_.Uploads().empty());
    EXPECT_TRUE(listeners_.UploadRequests().empty());
}

TEST_F(ServerRequestTest, UnknownJobWordClosesWithoutReplyAndLeavesADiagnostic) {
    const std::string tracePath = sandbox_.Path("trace.txt");
    xUtilTraceInit("wendaro -debug:" + tracePath);
    Start();
    EXPECT_EQ(Ask("Expand:\\"), "");
    EXPECT_EQ(Ask("frobnicate"), "");
    server_->Stop();
    xUtilTraceClose();
    std::ifstream in(tracePath);
    const std::string trace((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(trace.find("CServerThread::GetJobType(): unknown jobtype : Expand:\\\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("unknown jobtype : frobnicate\n"), std::string::npos) << trace;
}

TEST_F(ServerRequestTest, MalformedOrOversizedRequestsAreClosedAndServingGoesOn) {
    Start();
    for (const std::string raw :
         {"99999999999999:expand", "x:", "-5:", "12345678901234567890123:"}) {
        net::UniqueSocket socket = Connect(server_->Port());
        ASSERT_TRUE(testing_support::WriteRaw(socket.get(), raw));
        EXPECT_EQ(testing_support::ReadRaw(socket.get()), "") << raw;
    }
    EXPECT_EQ(Ask("expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
}

TEST_F(ServerRequestTest, HostInformationFollowsTheHostName) {
    Start();
    const std::string version = "1.0 12:00:00 01.01.2024 ";
    EXPECT_EQ(Ask("gethostinfo"), Framed("host\n" + version + "\n"));
    server_->SetHostName("new");
    EXPECT_EQ(Ask("gethostinfo"), Framed("new\n" + version + "\n"));
    EXPECT_EQ(Ask("gethostinfoex"), Framed("new\n" + version + proto::OwnSystemText() + " \n"));
    const std::string reply = Ask("gethostinfoXYZ");
    const proto::HostInfo info = proto::ParseHostInfo(reply.substr(reply.find(':') + 1), true);
    EXPECT_EQ(info.hostName, "new");
    EXPECT_EQ(info.system, proto::OwnSystemText());
}

TEST_F(ServerRequestTest, HostModifiedReportsThePeerAndRepliesNothing) {
    Start();
    EXPECT_EQ(Ask("hostmodified"), "");
    EXPECT_EQ(listeners_.HostModified(), std::vector<Ipv4>{LoopbackAddress()});
}

TEST_F(ServerRequestTest, PingConnectionStaysOpenAcrossMessages) {
    Start();
    net::UniqueSocket socket = SendRequest(server_->Port(), "ping");
    ASSERT_TRUE(socket.valid());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(net::SendString(socket.get(), "ping", nullptr));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().running == 1; }));
    EXPECT_TRUE(StillOpen(socket.get()));
    EXPECT_EQ(server_->Counts().lightRunning, 0u);
    // A malformed keep-alive message ends the connection.
    ASSERT_TRUE(testing_support::WriteRaw(socket.get(), "x:"));
    EXPECT_TRUE(ClosedByPeer(socket.get()));
}

TEST_F(ServerRequestTest, ConnectionInfoShowsWaitingRequests) {
    listeners_.HoldPermission(true);
    Start();
    net::UniqueSocket socket = SendRequest(server_->Port(), "retrieve:\\music\\a.txt");
    ASSERT_TRUE(Eventually([&] { return listeners_.PermissionAsks().size() == 1; }));
    ServerConnectionInfo info;
    ASSERT_TRUE(server_->GetConnectionInfo(1, &info));
    EXPECT_EQ(info.jobType, proto::JobType::Retrieve);
    EXPECT_EQ(info.address, LoopbackAddress());
    EXPECT_EQ(info.argument, "\\music\\a.txt");
    EXPECT_TRUE(server_->GetConnectionInfo(1, nullptr));
    EXPECT_FALSE(server_->GetConnectionInfo(2, nullptr));
    listeners_.HoldPermission(false);
    EXPECT_EQ(testing_support::ReadRaw(socket.get()), Framed("hello"));
    ASSERT_TRUE(Eventually([&] { return !server_->GetConnectionInfo(1, nullptr); }));
}

}  // namespace
