// The order and the limits in which the queue starts its workers.
#include <gmock/gmock.h>

#include <map>

#include "job_queue_fixture.h"

namespace client_test {
namespace {

using ::testing::ElementsAre;

// Holds every request at the gate, then answers an empty listing or a one-byte file.
void HoldThenAnswer(FakeRequestServer& server, net::Socket socket, const std::string& request) {
    server.Hold(request);
    net::SendString(socket, request.starts_with("retrieve") ? "x" : "", server.stopFlag());
}

// The requests that arrived after the first `skip`.
std::vector<std::string> Later(FakeRequestServer& server, std::size_t skip) {
    const auto requests = server.Requests();
    return {requests.begin() + static_cast<long>(skip), requests.end()};
}

TEST_F(JobQueueTest, LightJobsStartNewestFirstAndNeverMoreThanTen) {
    FakeRequestServer server(HoldThenAnswer);
    StartQueue(server.port());
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(queue_->AddExpandJob(Loopback(), "\\held", &shutdown_), kFirstJobId + i);
    }
    ASSERT_TRUE(server.WaitForHeld(10, 0));
    for (const char* path : {"\\A", "\\B", "\\C"})
        queue_->AddExpandJob(Loopback(), path, &shutdown_);
    EXPECT_EQ(queue_->Counts().lightWaiting, 3u);

    // Each finished job frees one place, which goes to the most recently added waiting job.
    for (std::size_t arrived = 11; arrived <= 13; ++arrived) {
        server.Release();
        ASSERT_TRUE(server.WaitForRequests(arrived));
    }
    EXPECT_THAT(Later(server, 10), ElementsAre("expand:\\C", "expand:\\B", "expand:\\A"));
    server.Release(/*all=*/true);
    ASSERT_TRUE(WaitForReport("expand 12 ok "));
    EXPECT_EQ(server.MostHeld(/*downloads=*/false), 10u);
}

TEST_F(JobQueueTest, DownloadsStartOldestFirstAndNeverMoreThanFive) {
    FakeRequestServer server(HoldThenAnswer);
    StartQueue(server.port());
    std::vector<JobId> ids;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "d" + std::to_string(i);
        ids.push_back(queue_->AddRetrieveJob(Loopback(), "\\s\\" + name, File(name), &shutdown_));
        if (i == 4) {
            ASSERT_TRUE(server.WaitForHeld(0, 5));
        }
    }
    JobInfo waiting;
    ASSERT_TRUE(queue_->GetJobInfo(ids[6], &waiting));
    EXPECT_EQ(waiting.type, JobType::Retrieve);
    EXPECT_EQ(waiting.address, Loopback());
    EXPECT_EQ(waiting.remotePath, "\\s\\d6");
    EXPECT_EQ(waiting.localPath, File("d6"));
    EXPECT_TRUE(queue_->GetJobInfo(ids[0], nullptr));  // running

    for (std::size_t arrived = 6; arrived <= 8; ++arrived) {
        server.Release();
        ASSERT_TRUE(server.WaitForRequests(arrived));
    }
    EXPECT_THAT(Later(server, 5),
                ElementsAre("retrieve:\\s\\d5", "retrieve:\\s\\d6", "retrieve:\\s\\d7"));
    server.Release(/*all=*/true);
    WaitUntilIdle();
    EXPECT_EQ(server.MostHeld(/*downloads=*/true), 5u);
    EXPECT_FALSE(queue_->GetJobInfo(ids[0], nullptr));  // reaped
    EXPECT_EQ(ReadWholeFile(File("d7")), "x");
}

TEST_F(JobQueueTest, DownloadStartsWhileLightJobsWaitForAPlace) {
    FakeRequestServer server(HoldThenAnswer);
    StartQueue(server.port());
    for (int i = 0; i < 11; ++i) queue_->AddExpandJob(Loopback(), "\\x", &shutdown_);
    ASSERT_TRUE(server.WaitForHeld(10, 0));
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("f"), &shutdown_);
    EXPECT_TRUE(server.WaitForHeld(10, 1));
    EXPECT_EQ(queue_->Counts().lightWaiting, 1u);
    server.Release(/*all=*/true);
}

TEST_F(JobQueueTest, StopDropsWaitingJobsSilentlyAndEndsRunningOnesPromptly) {
    FakeRequestServer server(HoldThenAnswer);
    StartQueue(server.port(), false,
               JobQueueOptions{.maxLightRunning = 2, .maxDownloadsRunning = 1});
    std::map<std::string, JobId> idOfRequest;
    for (const std::string path : {"\\1", "\\2", "\\3", "\\4"}) {
        idOfRequest["expand:" + path] = queue_->AddExpandJob(Loopback(), path, &shutdown_);
    }
    queue_->AddRetrieveJob(Loopback(), "\\a", File("a"), &shutdown_);
    const JobId waiting = queue_->AddRetrieveJob(Loopback(), "\\b", File("b"), &shutdown_);
    ASSERT_TRUE(server.WaitForHeld(2, 1));

    const auto start = std::chrono::steady_clock::now();
    shutdown_.store(true);
    queue_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

    // The two expands that had started fail, the running download fails without having started,
    // and nothing is heard of the jobs that were still waiting.
    std::vector<std::string> expected{"finished 4 fail"};
    for (const auto& request : server.Requests()) {
        if (request.starts_with("expand")) {
            expected.push_back("expand " + std::to_string(idOfRequest.at(request) - kFirstJobId) +
                               " fail ");
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(WaitUntilIdle(), expected);
    EXPECT_EQ(expected.size(), 3u);
    EXPECT_FALSE(queue_->GetJobInfo(waiting, nullptr));
    EXPECT_TRUE(FolderContents().empty());
}

}  // namespace
}  // namespace client_test
