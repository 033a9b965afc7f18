// What each kind of job sends and what it reports.
#include <gmock/gmock.h>

#include <random>

#include "job_queue_fixture.h"

namespace client_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kBasicHostInfo = "host\n3.0 14:03:27 21.11.2005 \n";
const char* const kExtendedHostInfo = "host\n3.0 14:03:27 21.11.2005 Linux.6.1#1_SMP \n";

// Answers the way a share server does, by request line; anything unknown is closed unanswered.
void AnswerLikeAShareServer(FakeRequestServer& server, net::Socket socket,
                            const std::string& request) {
    const StopFlag* stop = server.stopFlag();
    if (request == "expand:\\docs")
        net::SendString(socket, "a.txt\\0\\5\\sub\\1\\0\\.\\1\\0", stop);
    if (request == "expand:\\empty") net::SendString(socket, "", stop);
    if (request == "gethostinfo") net::SendString(socket, kBasicHostInfo, stop);
    if (request == "gethostinfoex") net::SendString(socket, kExtendedHostInfo, stop);
}

TEST_F(JobQueueTest, ExpandReportsTheParsedListingOrAFailure) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port());
    const JobId docs = queue_->AddExpandJob(Loopback(), "\\docs", &shutdown_);
    const JobId empty = queue_->AddExpandJob(Loopback(), "\\empty", &shutdown_);
    const JobId unanswered = queue_->AddExpandJob(Loopback(), "\\gone", &shutdown_);
    ASSERT_TRUE(listeners_.WaitUntil([&] { return listeners_.expands.size() == 3; }));

    for (const auto& report : listeners_.Expands()) {
        if (report.id == docs) {
            EXPECT_TRUE(report.success);
            EXPECT_THAT(report.listing,
                        ElementsAre(DirEntry{"a.txt", 5, false}, DirEntry{"sub", 0, true}));
        } else if (report.id == empty) {
            // An empty reply is an empty listing, not a failure.
            EXPECT_TRUE(report.success);
            EXPECT_THAT(report.listing, IsEmpty());
        } else {
            EXPECT_EQ(report.id, unanswered);
            EXPECT_FALSE(report.success);
            EXPECT_THAT(report.listing, IsEmpty());
        }
    }
    auto requests = server.Requests();
    std::sort(requests.begin(), requests.end());
    EXPECT_THAT(requests, ElementsAre("expand:\\docs", "expand:\\empty", "expand:\\gone"));
}

TEST_F(JobQueueTest, HostInfoIsSplitIntoItsFields) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port());
    const JobId id = queue_->AddHostInfoJob(Loopback(), &shutdown_);
    ASSERT_TRUE(listeners_.WaitUntil([&] { return !listeners_.hostInfos.empty(); }));

    const auto reports = listeners_.HostInfos();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, id);
    EXPECT_TRUE(reports[0].success);
    EXPECT_EQ(reports[0].info, (proto::HostInfo{"host", "3.0", "21.11.2005", "14:03:27", ""}));
    EXPECT_THAT(server.Requests(), ElementsAre("gethostinfo"));
}

TEST_F(JobQueueTest, ExtendedHostInfoAsksForAndKeepsTheSystemText) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port(), /*extended=*/true);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);
    ASSERT_TRUE(listeners_.WaitUntil([&] { return !listeners_.hostInfos.empty(); }));

    EXPECT_EQ(listeners_.HostInfos()[0].info,
              (proto::HostInfo{"host", "3.0", "21.11.2005", "14:03:27", "Linux.6.1#1_SMP"}));
    EXPECT_THAT(server.Requests(), ElementsAre("gethostinfoex"));
}

TEST_F(JobQueueTest, HostInfoWithoutReplyAndHostModifiedReportNothing) {
    FakeRequestServer server([](FakeRequestServer&, net::Socket, const std::string&) {});
    StartQueue(server.port());
    queue_->AddHostInfoJob(Loopback(), &shutdown_);
    queue_->AddHostModifiedJob(Loopback(), &shutdown_);
    ASSERT_TRUE(server.WaitForRequests(2));
    ASSERT_TRUE(WaitUntilIdle());

    auto requests = server.Requests();
    std::sort(requests.begin(), requests.end());
    EXPECT_THAT(requests, ElementsAre("gethostinfo", "hostmodified"));
    EXPECT_THAT(listeners_.HostInfos(), IsEmpty());
    EXPECT_THAT(listeners_.Expands(), IsEmpty());
}

TEST_F(JobQueueTest, UnreachableHostFailsEveryJobTheWayItsTypeReports) {
    StartQueue(testing_support::ClosedLoopbackPort());
    const JobId expand = queue_->AddExpandJob(Loopback(), "\\x", &shutdown_);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);
    queue_->AddHostModifiedJob(Loopback(), &shutdown_);
    const JobId retrieve =
        queue_->AddRetrieveJob(Loopback(), "\\s\\f", folder_.File("sub/f"), &shutdown_);
    ASSERT_TRUE(WaitUntilIdle());

    const auto expands = listeners_.Expands();
    ASSERT_EQ(expands.size(), 1u);
    EXPECT_EQ(expands[0].id, expand);
    EXPECT_FALSE(expands[0].success);
    const auto downloads = listeners_.Downloads();
    ASSERT_EQ(downloads.size(), 1u);  // no start event
    EXPECT_EQ(downloads[0].kind, DownloadReport::Finished);
    EXPECT_EQ(downloads[0].id, retrieve);
    EXPECT_FALSE(downloads[0].success);
    EXPECT_THAT(listeners_.HostInfos(), IsEmpty());
    EXPECT_THAT(folder_.Contents(), IsEmpty());
}

TEST_F(JobQueueTest, JobsWhoseStopFlagIsSetDoNotConnect) {
    FakeRequestServer server(AnswerLikeAShareServer);
    StartQueue(server.port());
    StopFlag cancelled{true};
    const JobId retrieve =
        queue_->AddRetrieveJob(Loopback(), "\\s\\f", folder_.File("f"), &cancelled);
    const JobId expand = queue_->AddExpandJob(Loopback(), "\\docs", &cancelled);
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(server.Connections(), 0u);
    const auto downloads = listeners_.Downloads();
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].kind, DownloadReport::Finished);
    EXPECT_EQ(downloads[0].id, retrieve);
    EXPECT_FALSE(downloads[0].success);
    const auto expands = listeners_.Expands();
    ASSERT_EQ(expands.size(), 1u);
    EXPECT_EQ(expands[0].id, expand);
    EXPECT_FALSE(expands[0].success);
}

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(12345);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xff);
    return bytes;
}

TEST_F(JobQueueTest, DownloadWritesTheFileByteForByteIntoNewFolders) {
    // Several receive chunks' worth, with every byte value.
    const std::string content = RandomBytes(300'000);
    FakeRequestServer server([&](FakeRequestServer& s, net::Socket socket, const std::string& r) {
        if (r == "retrieve:\\share\\dir\\f.bin") {
            net::SendData(socket, content.data(), content.size(), "", s.stopFlag(), nullptr,
                          nullptr);
        }
    });
    StartQueue(server.port());
    const std::string target = folder_.File("a/b/c/f.bin");
    const JobId id = queue_->AddRetrieveJob(Loopback(), "\\share\\dir\\f.bin", target, &shutdown_);
    ASSERT_TRUE(listeners_.WaitUntil([&] { return listeners_.FinishedFor(id); }));

    const auto downloads = listeners_.Downloads();
    EXPECT_EQ(downloads.front().kind, DownloadReport::Started);
    EXPECT_EQ(downloads.back().kind, DownloadReport::Finished);
    EXPECT_TRUE(downloads.back().success);
    for (const auto& report : downloads) EXPECT_EQ(report.id, id);
    EXPECT_TRUE(ReadWholeFile(target) == content);
    EXPECT_THAT(folder_.Contents(), ElementsAre("a", "a/b", "a/b/c", "a/b/c/f.bin"));
}

TEST_F(JobQueueTest, EmptyFileArrivesAsAnEmptyFile) {
    FakeRequestServer server([](FakeRequestServer& s, net::Socket socket, const std::string&) {
        net::SendString(socket, "", s.stopFlag());
    });
    StartQueue(server.port());
    const JobId id = queue_->AddRetrieveJob(Loopback(), "\\s\\e", folder_.File("e"), &shutdown_);
    ASSERT_TRUE(listeners_.WaitUntil([&] { return listeners_.FinishedFor(id); }));

    EXPECT_TRUE(listeners_.Downloads().back().success);
    EXPECT_TRUE(std::filesystem::exists(folder_.File("e")));
    EXPECT_EQ(std::filesystem::file_size(folder_.File("e")), 0u);
}

// Sends the header of a 1 MB file and a part of it, then keeps the connection open until the
// client goes away.
void SendPartThenStall(FakeRequestServer&, net::Socket socket, const std::string&) {
    testing_support::WriteRaw(socket, "1000000:" + std::string(1000, 'p'));
    testing_support::ReadRaw(socket, 1, 5000);
}

TEST_F(JobQueueTest, CancelledDownloadLeavesNoFileAndKeepsAnExistingOne) {
    FakeRequestServer server(SendPartThenStall);
    StartQueue(server.port());
    const std::string fresh = folder_.File("fresh.bin");
    const std::string existing = folder_.File("existing.bin");
    std::ofstream(existing, std::ios::binary) << "old content";

    StopFlag cancelFresh{false};
    StopFlag cancelExisting{false};
    const JobId first = queue_->AddRetrieveJob(Loopback(), "\\s\\f", fresh, &cancelFresh);
    const JobId second = queue_->AddRetrieveJob(Loopback(), "\\s\\e", existing, &cancelExisting);
    ASSERT_TRUE(server.WaitForRequests(2));
    ASSERT_TRUE(listeners_.WaitUntil([&] {
        return std::count_if(listeners_.downloads.begin(), listeners_.downloads.end(),
                             [](const auto& r) { return r.kind == DownloadReport::Started; }) == 2;
    }));
    cancelFresh.store(true);
    cancelExisting.store(true);
    ASSERT_TRUE(listeners_.WaitUntil(
        [&] { return listeners_.FinishedFor(first) && listeners_.FinishedFor(second); }));

    for (const auto& report : listeners_.Downloads()) {
        if (report.kind == DownloadReport::Finished) {
            EXPECT_FALSE(report.success);
        }
    }
    EXPECT_THAT(folder_.Contents(), ElementsAre("existing.bin"));
    EXPECT_EQ(ReadWholeFile(existing), "old content");
}

TEST_F(JobQueueTest, DownloadCutShortLeavesNoFile) {
    FakeRequestServer server([](FakeRequestServer&, net::Socket socket, const std::string&) {
        testing_support::WriteRaw(socket, "100:" + std::string(50, 'h'));
    });
    StartQueue(server.port());
    const JobId id = queue_->AddRetrieveJob(Loopback(), "\\s\\h", folder_.File("h"), &shutdown_);
    ASSERT_TRUE(listeners_.WaitUntil([&] { return listeners_.FinishedFor(id); }));

    EXPECT_FALSE(listeners_.Downloads().back().success);
    EXPECT_THAT(folder_.Contents(), IsEmpty());
}

}  // namespace
}  // namespace client_test
