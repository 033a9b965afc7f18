// What each kind of job sends and what it reports.
#include <gmock/gmock.h>

#include <random>

#include "job_queue_fixture.h"

namespace client_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Answers the way a share server does, by request line; anything else is closed unanswered.
void AnswerLikeAShareServer(FakeRequestServer& server, net::Socket socket,
                            const std::string& request) {
    const std::map<std::string, std::string> replies{
        {"expand:\\docs", "a.txt\\0\\5\\sub\\1\\0\\.\\1\\0"},
        {"expand:\\empty", ""},
        {"gethostinfo", "host\n3.0 14:03:27 21.11.2005 \n"},
        {"gethostinfoex", "host\n3.0 14:03:27 21.11.2005 Linux.6.1#1_SMP \n"}};
    if (auto reply = replies.find(request); reply != replies.end()) {
        net::SendString(socket, reply->second, server.stopFlag());
    }
}

TEST_F(JobQueueTest, ExpandAndHostInfoReportWhatTheHostAnswered) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port());
    queue_->AddExpandJob(Loopback(), "\\docs", &shutdown_);
    queue_->AddExpandJob(Loopback(), "\\empty", &shutdown_);  // empty, but not a failure
    queue_->AddExpandJob(Loopback(), "\\gone", &shutdown_);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);
    queue_->AddHostModifiedJob(Loopback(), &shutdown_);
    ASSERT_TRUE(server.WaitForRequests(5));

    EXPECT_THAT(WaitUntilIdle(),
                ElementsAre("expand 0 ok a.txt:5:f,sub:0:d,", "expand 1 ok ", "expand 2 fail ",
                            "hostinfo 3 host|3.0|21.11.2005|14:03:27|"));
    auto requests = server.Requests();
    std::sort(requests.begin(), requests.end());
    EXPECT_THAT(requests, ElementsAre("expand:\\docs", "expand:\\empty", "expand:\\gone",
                                      "gethostinfo", "hostmodified"));
}

TEST_F(JobQueueTest, ExtendedHostInfoAsksForAndKeepsTheSystemText) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port(), /*extended=*/true);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);
    EXPECT_TRUE(WaitForReport("hostinfo 0 host|3.0|21.11.2005|14:03:27|Linux.6.1#1_SMP"));
    EXPECT_THAT(server.Requests(), ElementsAre("gethostinfoex"));
}

TEST_F(JobQueueTest, UnreachableHostFailsEachJobTheWayItsTypeReports) {
    StartQueue(testing_support::ClosedLoopbackPort());
    queue_->AddExpandJob(Loopback(), "\\x", &shutdown_);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);  // not reported at all
    queue_->AddHostModifiedJob(Loopback(), &shutdown_);
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("sub/f"), &shutdown_);
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("expand 0 fail ", "finished 3 fail"));
    EXPECT_THAT(FolderContents(), IsEmpty());
}

TEST_F(JobQueueTest, JobsWhoseStopFlagIsSetDoNotConnect) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port());
    StopFlag cancelled{true};
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("f"), &cancelled);
    queue_->AddExpandJob(Loopback(), "\\docs", &cancelled);
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("expand 1 fail ", "finished 0 fail"));
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(JobQueueTest, DownloadWritesTheFileByteForByteIntoNewFolders) {
    std::string content(300'000, '\0');  // several receive chunks, every byte value
    std::mt19937 random(12345);
    for (char& byte : content) byte = static_cast<char>(random() & 0xff);
    FakeRequestServer server([&](FakeRequestServer& s, net::Socket socket, const std::string& r) {
        if (r == "retrieve:\\share\\dir\\f.bin") {
            net::SendData(socket, content.data(), content.size(), "", s.stopFlag(), nullptr,
                          nullptr);
        }
    });
    StartQueue(server.port());
    queue_->AddRetrieveJob(Loopback(), "\\share\\dir\\f.bin", File("a/b/f.bin"), &shutdown_);
    ASSERT_TRUE(WaitForReport("finished 0 ok"));
    EXPECT_EQ(Reports().front(), "started 0");
    EXPECT_TRUE(ReadWholeFile(File("a/b/f.bin")) == content);
    EXPECT_THAT(FolderContents(), ElementsAre("a", "a/b", "a/b/f.bin"));
}

TEST_F(JobQueueTest, CancelledDownloadLeavesNoFileAndKeepsAnExistingOne) {
    // The header of a 1 MB file and a part of it, then silence until the client goes away.
    FakeRequestServer server([](FakeRequestServer&, net::Socket socket, const std::string&) {
        testing_support::WriteRaw(socket, "1000000:" + std::string(1000, 'p'));
        testing_support::ReadRaw(socket, 1, 5000);
    });
    StartQueue(server.port());
    std::ofstream(File("existing.bin"), std::ios::binary) << "old content";
    StopFlag cancel{false};
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("fresh.bin"), &cancel);
    queue_->AddRetrieveJob(Loopback(), "\\s\\e", File("existing.bin"), &cancel);
    ASSERT_TRUE(WaitForReport("started 0"));
    ASSERT_TRUE(WaitForReport("started 1"));
    cancel.store(true);

    EXPECT_THAT(WaitUntilIdle(),
                ElementsAre("finished 0 fail", "finished 1 fail", "started 0", "started 1"));
    EXPECT_THAT(FolderContents(), ElementsAre("existing.bin"));
    EXPECT_EQ(ReadWholeFile(File("existing.bin")), "old content");
}

}  // namespace
}  // namespace client_test
