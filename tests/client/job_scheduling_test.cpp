// The order and the limits in which the queue starts its workers.
#include <gmock/gmock.h>

#include "job_queue_fixture.h"

namespace client_test {
namespace {

using ::testing::ElementsAre;

// Holds every request at the gate, then answers an empty listing or a one-byte file.
FakeRequestServer::Handler HoldThenAnswer() {
    return [](FakeRequestServer& server, net::Socket socket, const std::string& request) {
        server.Hold(request);
        net::SendString(socket, request.starts_with("retrieve") ? "x" : "", server.stopFlag());
    };
}

TEST_F(JobQueueTest, IdsCountUpFromTheFirstJobIdWhateverTheType) {
    StartQueue(testing_support::ClosedLoopbackPort());
    EXPECT_EQ(queue_->AddExpandJob(Loopback(), "\\", &shutdown_), kFirstJobId);
    EXPECT_EQ(queue_->AddHostInfoJob(Loopback(), &shutdown_), kFirstJobId + 1);
    EXPECT_EQ(queue_->AddRetrieveJob(Loopback(), "\\s\\f", folder_.File("f"), &shutdown_),
              kFirstJobId + 2);
    EXPECT_EQ(queue_->AddHostModifiedJob(Loopback(), &shutdown_), kFirstJobId + 3);
    EXPECT_EQ(kFirstJobId, 0x40000000u);
}

TEST_F(JobQueueTest, LightJobsStartNewestFirstAndNeverMoreThanTen) {
    FakeRequestServer server(HoldThenAnswer());
    StartQueue(server.port());
    for (int i = 0; i < 10; ++i) {
        queue_->AddExpandJob(Loopback(), "\\held" + std::to_string(i), &shutdown_);
    }
    ASSERT_TRUE(server.WaitForHeld(10, 0));

    for (const char* path : {"\\A", "\\B", "\\C"})
        queue_->AddExpandJob(Loopback(), path, &shutdown_);
    const JobQueueCounts counts = queue_->Counts();
    EXPECT_EQ(counts.lightRunning, 10u);
    EXPECT_EQ(counts.lightWaiting, 3u);

    // Each finished job frees one place, which goes to the most recently added waiting job.
    for (std::size_t arrived = 11; arrived <= 13; ++arrived) {
        server.Release();
        ASSERT_TRUE(server.WaitForRequests(arrived));
    }
    const auto requests = server.Requests();
    EXPECT_THAT(std::vector<std::string>(requests.begin() + 10, requests.end()),
                ElementsAre("expand:\\C", "expand:\\B", "expand:\\A"));

    server.ReleaseAll();
    ASSERT_TRUE(listeners_.WaitUntil([&] { return listeners_.expands.size() == 13; }));
    for (const auto& report : listeners_.Expands()) EXPECT_TRUE(report.success);
    EXPECT_EQ(server.MaxHeldLight(), 10u);
}

TEST_F(JobQueueTest, DownloadsStartOldestFirstAndNeverMoreThanFive) {
    FakeRequestServer server(HoldThenAnswer());
    StartQueue(server.port());
    std::vector<JobId> ids;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "d" + std::to_string(i);
        ids.push_back(
            queue_->AddRetrieveJob(Loopback(), "\\s\\" + name, folder_.File(name), &shutdown_));
        if (i == 4) {
            ASSERT_TRUE(server.WaitForHeld(0, 5));
        }
    }
    EXPECT_EQ(queue_->Counts().downloadsWaiting, 3u);

    JobInfo waiting;
    ASSERT_TRUE(queue_->GetJobInfo(ids[6], &waiting));
    EXPECT_EQ(waiting.type, JobType::Retrieve);
    EXPECT_EQ(waiting.address, Loopback());
    EXPECT_EQ(waiting.remotePath, "\\s\\d6");
    EXPECT_EQ(waiting.localPath, folder_.File("d6"));
    EXPECT_TRUE(queue_->GetJobInfo(ids[0], nullptr));

    for (std::size_t arrived = 6; arrived <= 8; ++arrived) {
        server.Release();
        ASSERT_TRUE(server.WaitForRequests(arrived));
    }
    const auto requests = server.Requests();
    EXPECT_THAT(std::vector<std::string>(requests.begin() + 5, requests.end()),
                ElementsAre("retrieve:\\s\\d5", "retrieve:\\s\\d6", "retrieve:\\s\\d7"));

    server.ReleaseAll();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(server.MaxHeldDownloads(), 5u);
    // Reaped jobs are forgotten.
    EXPECT_FALSE(queue_->GetJobInfo(ids[0], nullptr));
    EXPECT_FALSE(queue_->GetJobInfo(ids[7], nullptr));
    EXPECT_EQ(ReadWholeFile(folder_.File("d7")), "x");
}

TEST_F(JobQueueTest, DownloadStartsWhileLightJobsWaitForAPlace) {
    FakeRequestServer server(HoldThenAnswer());
    StartQueue(server.port());
    for (int i = 0; i < 11; ++i) queue_->AddExpandJob(Loopback(), "\\x", &shutdown_);
    ASSERT_TRUE(server.WaitForHeld(10, 0));

    const JobId download =
        queue_->AddRetrieveJob(Loopback(), "\\s\\f", folder_.File("f"), &shutdown_);
    ASSERT_TRUE(server.WaitForHeld(10, 1));
    EXPECT_EQ(queue_->Counts().lightWaiting, 1u);
    JobInfo info;
    ASSERT_TRUE(queue_->GetJobInfo(download, &info));
    EXPECT_EQ(info.type, JobType::Retrieve);
    server.ReleaseAll();
}

TEST_F(JobQueueTest, StopDropsWaitingJobsSilentlyAndEndsRunningOnesPromptly) {
    FakeRequestServer server(HoldThenAnswer());
    JobQueueOptions options;
    options.maxLightRunning = 2;
    options.maxDownloadsRunning = 1;
    StartQueue(server.port(), false, options);
    std::map<std::string, JobId> idOfPath;
    for (const char* path : {"\\1", "\\2", "\\3", "\\4"}) {
        idOfPath[std::string("expand:") + path] =
            queue_->AddExpandJob(Loopback(), path, &shutdown_);
    }
    const JobId running = queue_->AddRetrieveJob(Loopback(), "\\a", folder_.File("a"), &shutdown_);
    const JobId waiting = queue_->AddRetrieveJob(Loopback(), "\\b", folder_.File("b"), &shutdown_);
    ASSERT_TRUE(server.WaitForHeld(2, 1));

    const auto start = std::chrono::steady_clock::now();
    shutdown_.store(true);
    queue_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // The two expands that had started fail; the two still waiting were never reported.
    std::vector<JobId> started;
    for (const auto& request : server.Requests()) {
        if (request.starts_with("expand")) started.push_back(idOfPath.at(request));
    }
    ASSERT_EQ(started.size(), 2u);
    const auto expands = listeners_.Expands();
    ASSERT_EQ(expands.size(), 2u);
    for (const auto& report : expands) {
        EXPECT_FALSE(report.success);
        EXPECT_NE(std::find(started.begin(), started.end(), report.id), started.end());
    }
    const auto downloads = listeners_.Downloads();
    ASSERT_FALSE(downloads.empty());
    for (const auto& report : downloads) EXPECT_EQ(report.id, running);
    EXPECT_EQ(downloads.back().kind, DownloadReport::Finished);
    EXPECT_FALSE(downloads.back().success);
    EXPECT_FALSE(queue_->GetJobInfo(waiting, nullptr));
    EXPECT_TRUE(folder_.Contents().empty());
}

}  // namespace
}  // namespace client_test
