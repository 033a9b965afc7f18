// A whole folder download as the front ends run it (walk, job queue, reports handed to one thread)
// against our own server, which streams the files, and against a peer of the common protocol,
// which gets them one by one after a single question about the extension words.
#include <gtest/gtest.h>

#include <deque>

#include "client/folder_download.h"
#include "client/job_queue.h"
#include "protocol/request_protocol.h"
#include "server_test_support.h"
#include "support/common_peer.h"

namespace server_test {
namespace {

namespace fs = std::filesystem;

// Hands the queue's reports to the test's thread, as the front ends do.
class Driver : public JobListener, public DownloadListener {
public:
    explicit Driver(std::uint16_t port) {
        JobQueueOptions options;
        options.requestPort = port;
        options.connectAttempts = 2;
        queue_ = std::make_unique<CJobQueue>(this, this, false, &shutdown_, options);
    }
    ~Driver() {
        shutdown_ = true;
        queue_->Stop();
    }

    // Runs one folder download to its end (at most 20 s); false when it did not settle.
    bool Download(const std::string& rootPath, const fs::path& localDir) {
        client::DownloadJobs jobs;
        jobs.addListing = [&](const std::string& path) {
            return queue_->AddExpandJob(LoopbackAddress(), path, &download_->Cancelled());
        };
        jobs.addFile = [&](const client::WalkFile& file) {
            return queue_->AddRetrieveJob(LoopbackAddress(), file.remotePath,
                                          file.localPath.string(), &download_->Cancelled(),
                                          static_cast<std::uint64_t>(file.size));
        };
        jobs.addStream = [&](std::shared_ptr<client::StreamBatch> batch) {
            ++streams;
            return queue_->AddFolderStreamJob(LoopbackAddress(), std::move(batch),
                                              &download_->Cancelled());
        };
        download_ = std::make_unique<client::FolderDownload>(LoopbackAddress(), rootPath, localDir,
                                                             std::move(jobs));
        download_->Start();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!download_->Settled() && std::chrono::steady_clock::now() < deadline) {
            std::function<void()> event;
            {
                std::unique_lock guard(mutex_);
                if (!arrived_.wait_for(guard, std::chrono::milliseconds(50),
                                       [&] { return !events_.empty(); }))
                    continue;
                event = std::move(events_.front());
                events_.pop_front();
            }
            event();
        }
        return download_->Settled();
    }
    const client::FolderDownload& Last() const { return *download_; }
    client::ExtensionMemo& Extensions() { return queue_->Extensions(); }

    int streams = 0;

private:
    void Post(std::function<void()> event) {
        std::lock_guard guard(mutex_);
        events_.push_back(std::move(event));
        arrived_.notify_all();
    }
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                        std::size_t leftOut) override {
        Post([=, this] {
            const auto path = download_->AwaitedFolder(id);
            if (!path) return;
            if (success) {
                download_->OnListing(*path, listing, leftOut);
            } else {
                download_->OnListingFailed(id);
            }
        });
    }
    void OnHostInfoResult(JobId, const proto::HostInfo&, bool) override {}
    void OnDownloadStarted(JobId) override {}
    void OnDownloadProgress(JobId, unsigned, float) override {}
    void OnDownloadFinished(JobId id, const util::Status& outcome) override {
        Post([=, this] { download_->OnFileFinished(id, outcome); });
    }

    StopFlag shutdown_{false};
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> events_;
    std::unique_ptr<client::FolderDownload> download_;
    std::unique_ptr<CJobQueue> queue_;
};

TEST_F(ServerTest, AFolderComesFromOurServerAsOneStream) {
    Start();
    sandbox_.MakeFolder("music/many/deeper");
    for (int i = 0; i < 50; ++i)
        sandbox_.MakeFile("music/many/f" + std::to_string(i), std::string(i * 37, 'a' + i % 26));
    sandbox_.MakeFile("music/many/deeper/last", "end");
    const std::string dest = sandbox_.MakeFolder("dest");
    Driver driver(server_->Port());
    ASSERT_TRUE(driver.Download("\\music\\many", dest));
    EXPECT_EQ(driver.Last().End(), client::DownloadEnd::Finished);
    EXPECT_EQ(driver.Last().FilesDone(), 51U);
    EXPECT_EQ(sandbox_.ReadFile("dest/many/f49"), std::string(49 * 37, 'a' + 49 % 26));
    EXPECT_EQ(sandbox_.ReadFile("dest/many/deeper/last"), "end");
    // One stream per batch of files found so far: the root's, then the sub-folder's.
    EXPECT_LE(driver.streams, 2);
    EXPECT_EQ(listeners_.Logged("requested").size(), static_cast<std::size_t>(driver.streams));
}

TEST_F(ServerTest, AFileOfTheUserInAFolderThatExistedIsKeptWhileTheRestStreams) {
    Start();
    for (int i = 0; i < 5; ++i) sandbox_.MakeFile("music/many/f" + std::to_string(i), "new");
    sandbox_.MakeFile("music/many/deeper/g", "new");
    const std::string dest = sandbox_.MakeFolder("dest");
    // Three of the folder's files are the user's, and nobody allowed replacing them: whichever
    // of them the walk takes first, the others must be looked at on the disk too.
    for (int i = 1; i < 4; ++i) sandbox_.MakeFile("dest/many/f" + std::to_string(i), "mine");
    Driver driver(server_->Port());
    ASSERT_TRUE(driver.Download("\\music\\many", dest));
    EXPECT_EQ(driver.Last().End(), client::DownloadEnd::Finished);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(sandbox_.ReadFile("dest/many/f" + std::to_string(i)), "mine") << i;
    EXPECT_EQ(sandbox_.ReadFile("dest/many/f4"), "new");
    EXPECT_EQ(sandbox_.ReadFile("dest/many/deeper/g"), "new");
    EXPECT_EQ(driver.Last().FilesDone(), 3U);
}

TEST(FolderDownloadFallback, APeerOfTheCommonProtocolGetsFileRequestsAndOneQuestion) {
    testing_support::CommonPeer peer;
    peer.SetReply("expand:\\docs\\top",
                  proto::EncodeListing({{"a.txt", 5, false}, {"b.txt", 6, false}}));
    peer.SetReply("retrieve:\\docs\\top\\a.txt", "hello");
    peer.SetReply("retrieve:\\docs\\top\\b.txt", "world!");
    testing_support::TempFolder target;
    Driver driver(peer.Port());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(driver.Download("\\docs\\top", target.Root()));
        EXPECT_EQ(driver.Last().End(), client::DownloadEnd::Finished);
        EXPECT_EQ(target.ReadFile("top/b.txt"), "world!");
        fs::remove_all(target.Root() / "top");
    }
    const auto requests = peer.Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "wdx-words"), 1);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "retrieve:\\docs\\top\\a.txt"), 2);
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const std::string& r) { return r.starts_with("wdx-folder"); }),
              0);
}

}  // namespace
}  // namespace server_test
