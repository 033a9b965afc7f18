// What each kind of job sends and reports, and the order and limits in which the queue starts
// them: a job queue pointed at a fake request server on loopback, with a sandbox for downloads. The
// fixture is the queue's listener and logs every report as a line: "expand <n> ok|fail
// <name>:<size>:<d|f>,...", "hostinfo <n> <name>|<version>|<date>|<time>|<system>", "started <n>",
// "finished <n> ok|fail", where <n> counts from the first job id. Progress depends on timing and
// is not logged.
#include "client/job_queue.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "net/framing.h"
#include "support/loopback.h"
#include "support/ui_pure_sandbox.h"

namespace client_test {
namespace {

using Lines = std::vector<std::string>;

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// Records each request line in the order the connections arrive and writes back the raw bytes
// `reply` gives for it (none: the connection is closed unanswered). While holding, connections
// wait unanswered until released, so the queue's scheduling shows in the order of later requests.
class FakeRequestServer {
public:
    using Reply = std::function<std::optional<std::string>(const std::string& request)>;

    explicit FakeRequestServer(Reply reply, bool holding = false)
        : reply_(std::move(reply)), holding_(holding), thread_([this] { Serve(); }) {}
    ~FakeRequestServer() {
        stop_ = true;
        thread_.join();
    }

    std::uint16_t Port() const { return listener_.port; }
    Lines Requests() {
        std::lock_guard guard(mutex_);
        return requests_;
    }
    bool WaitForRequests(std::size_t count) {
        return Eventually([&] { return Requests().size() >= count; });
    }
    // Answers the connection held longest, or every one and all that come later.
    void Release(bool all = false) {
        std::lock_guard guard(mutex_);
        holding_ = !all;
        for (bool first = true; (first || all) && !held_.empty(); first = false) {
            Answer(std::move(held_.front().first), held_.front().second);
            held_.pop_front();
        }
    }
    std::size_t MostHeld() {
        std::lock_guard guard(mutex_);
        return mostHeld_;
    }

private:
    void Serve() {
        while (!stop_) {
            net::UniqueSocket socket =
                net::AcceptConnection(listener_.socket.get(), &stop_, nullptr, 50);
            std::string request;
            if (!socket.valid() ||
                !net::ReceiveString(socket.get(), request, &stop_, net::kMaxRequestLength))
                continue;
            std::lock_guard guard(mutex_);
            requests_.push_back(request);
            if (!holding_) {
                Answer(std::move(socket), request);
                continue;
            }
            held_.emplace_back(std::move(socket), request);
            mostHeld_ = std::max(mostHeld_, held_.size());
        }
    }
    // Answered connections stay open until the server goes, as a slow host's would.
    void Answer(net::UniqueSocket socket, const std::string& request) {
        if (const auto bytes = reply_(request)) {
            testing_support::WriteRaw(socket.get(), *bytes);
            answered_.push_back(std::move(socket));
        }
    }

    Reply reply_;
    StopFlag stop_{false};
    std::mutex mutex_;
    bool holding_;
    Lines requests_;
    std::deque<std::pair<net::UniqueSocket, std::string>> held_;
    std::size_t mostHeld_ = 0;
    std::vector<net::UniqueSocket> answered_;
    testing_support::LoopbackListener listener_ = testing_support::ListenOnLoopback();
    std::thread thread_;
};

std::string Framed(const std::string& payload) {
    return std::to_string(payload.size()) + ":" + payload;
}

class JobQueueTest : public ::testing::Test, public JobListener, public DownloadListener {
protected:
    void TearDown() override {
        shutdown_ = true;
        if (queue_) queue_->Stop();
    }

    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success) override {
        std::string line = "expand " + Number(id) + (success ? " ok " : " fail ");
        for (const auto& entry : listing)
            line += entry.name + ":" + std::to_string(entry.size) + (entry.folder ? ":d," : ":f,");
        Log(line);
    }
    void OnHostInfoResult(JobId id, const proto::HostInfo& info, bool success) override {
        Log("hostinfo " + Number(id) + (success ? " " : " fail ") + info.hostName + "|" +
            info.version + "|" + info.date + "|" + info.time + "|" + info.system);
    }
    void OnDownloadStarted(JobId id) override { Log("started " + Number(id)); }
    void OnDownloadProgress(JobId, unsigned, float) override {}
    void OnDownloadFinished(JobId id, bool success) override {
        Log("finished " + Number(id) + (success ? " ok" : " fail"));
    }

    void StartQueue(std::uint16_t port, bool extended = false, JobQueueOptions options = {}) {
        options.requestPort = port;
        queue_ = std::make_unique<CJobQueue>(this, this, extended, &shutdown_, options);
    }
    // The report lines, sorted, once every job has been reaped (bounded wait).
    Lines WaitUntilIdle() {
        Eventually([&] {
            const JobQueueCounts c = queue_->Counts();
            return c.lightWaiting + c.downloadsWaiting + c.lightRunning + c.downloadsRunning == 0;
        });
        Lines lines = Reports();
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    bool WaitForReport(const std::string& line) {
        return Eventually([&] { return std::ranges::count(Reports(), line) > 0; });
    }
    Lines Reports() {
        std::lock_guard guard(mutex_);
        return reports_;
    }
    std::string File(const std::string& relative) const { return sandbox_.Path(relative); }
    Lines FolderContents() const {
        Lines names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(sandbox_.Path()))
            names.push_back(std::filesystem::relative(entry.path(), sandbox_.Path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static Ipv4 Loopback() { return testing_support::LoopbackAddress(); }

    testing_support::Sandbox sandbox_;
    StopFlag shutdown_{false};
    std::unique_ptr<CJobQueue> queue_;

private:
    static std::string Number(JobId id) { return std::to_string(id - kFirstJobId); }
    void Log(std::string line) {
        std::lock_guard guard(mutex_);
        reports_.push_back(std::move(line));
    }

    std::mutex mutex_;
    Lines reports_;
};

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Answers the way a share server does, by request line; anything else is closed unanswered.
std::optional<std::string> LikeAShareServer(const std::string& request) {
    const std::map<std::string, std::string> replies{
        {"expand:\\docs", "a.txt\\0\\5\\sub\\1\\0\\.\\1\\0"},
        {"expand:\\empty", ""},
        {"gethostinfo", "host\n3.0 14:03:27 21.11.2005 \n"},
        {"gethostinfoex", "host\n3.0 14:03:27 21.11.2005 Linux.6.1#1_SMP \n"}};
    const auto reply = replies.find(request);
    if (reply == replies.end()) return std::nullopt;
    return Framed(reply->second);
}

// An empty listing or a one-byte file.
std::optional<std::string> Briefly(const std::string& request) {
    return request.starts_with("retrieve") ? "1:x" : "0:";
}

TEST_F(JobQueueTest, ExpandAndHostInfoReportWhatTheHostAnswered) {
    FakeRequestServer server(LikeAShareServer);
    StartQueue(server.Port());
    queue_->AddExpandJob(Loopback(), "\\docs", &shutdown_);
    queue_->AddExpandJob(Loopback(), "\\empty", &shutdown_);  // empty, but not a failure
    queue_->AddExpandJob(Loopback(), "\\gone", &shutdown_);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);
    queue_->AddHostModifiedJob(Loopback(), &shutdown_);
    // A queue that asks for the system text too; its ids start over.
    CJobQueue extended(this, this, true, &shutdown_, {.requestPort = server.Port()});
    extended.AddHostInfoJob(Loopback(), &shutdown_);
    ASSERT_TRUE(server.WaitForRequests(6));
    EXPECT_TRUE(WaitForReport("hostinfo 0 host|3.0|21.11.2005|14:03:27|Linux.6.1#1_SMP"));
    EXPECT_THAT(WaitUntilIdle(),
                ElementsAre("expand 0 ok a.txt:5:f,sub:0:d,", "expand 1 ok ", "expand 2 fail ",
                            "hostinfo 0 host|3.0|21.11.2005|14:03:27|Linux.6.1#1_SMP",
                            "hostinfo 3 host|3.0|21.11.2005|14:03:27|"));
    Lines requests = server.Requests();
    std::sort(requests.begin(), requests.end());
    EXPECT_THAT(requests, ElementsAre("expand:\\docs", "expand:\\empty", "expand:\\gone",
                                      "gethostinfo", "gethostinfoex", "hostmodified"));
}

TEST_F(JobQueueTest, JobsThatCannotReachTheHostFailTheWayTheirTypeReports) {
    StartQueue(testing_support::ClosedLoopbackPort());
    queue_->AddExpandJob(Loopback(), "\\x", &shutdown_);
    queue_->AddHostInfoJob(Loopback(), &shutdown_);  // not reported at all
    queue_->AddHostModifiedJob(Loopback(), &shutdown_);
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("sub/f"), &shutdown_);
    StopFlag cancelled{true};  // such jobs do not even connect
    queue_->AddExpandJob(Loopback(), "\\y", &cancelled);
    EXPECT_THAT(WaitUntilIdle(),
                ElementsAre("expand 0 fail ", "expand 4 fail ", "finished 3 fail"));
    EXPECT_THAT(FolderContents(), IsEmpty());
}

TEST_F(JobQueueTest, DownloadsArriveWholeInNewFoldersOrNotAtAll) {
    std::string content(300'000, '\0');  // several receive chunks, every byte value
    std::mt19937 random(12345);
    for (char& byte : content) byte = static_cast<char>(random());
    // Else the header of a 1 MB file and a part of it, then silence.
    FakeRequestServer server([&](const std::string& request) {
        return request == "retrieve:\\s\\dir\\f.bin" ? Framed(content)
                                                     : "1000000:" + std::string(1000, 'p');
    });
    StartQueue(server.Port());
    sandbox_.MakeFile("existing.bin", "old content");
    StopFlag cancel{false};
    queue_->AddRetrieveJob(Loopback(), "\\s\\dir\\f.bin", File("a/b/f.bin"), &shutdown_);
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("fresh.bin"), &cancel);
    queue_->AddRetrieveJob(Loopback(), "\\s\\e", File("existing.bin"), &cancel);
    for (const char* report : {"finished 0 ok", "started 1", "started 2"})
        ASSERT_TRUE(WaitForReport(report)) << report;
    cancel = true;
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("finished 0 ok", "finished 1 fail", "finished 2 fail",
                                             "started 0", "started 1", "started 2"));
    EXPECT_THAT(FolderContents(), ElementsAre("a", "a/b", "a/b/f.bin", "existing.bin"));
    EXPECT_TRUE(sandbox_.ReadFile("a/b/f.bin") == content);
    EXPECT_EQ(sandbox_.ReadFile("existing.bin"), "old content");
}

TEST_F(JobQueueTest, LightJobsStartNewestFirstNeverMoreThanTenAndDownloadsDoNotWaitForThem) {
    FakeRequestServer server(Briefly, /*holding=*/true);
    StartQueue(server.Port());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(queue_->AddExpandJob(Loopback(), "\\held", &shutdown_), kFirstJobId + i);
    ASSERT_TRUE(server.WaitForRequests(10));
    for (const char* path : {"\\A", "\\B", "\\C"})
        queue_->AddExpandJob(Loopback(), path, &shutdown_);
    EXPECT_EQ(queue_->Counts().lightWaiting, 3u);
    queue_->AddRetrieveJob(Loopback(), "\\s\\f", File("f"), &shutdown_);
    ASSERT_TRUE(server.WaitForRequests(11));
    // Each finished job frees one place, which goes to the most recently added waiting job.
    for (std::size_t arrived = 12; arrived <= 14; ++arrived) {
        server.Release();
        ASSERT_TRUE(server.WaitForRequests(arrived));
    }
    const Lines requests = server.Requests();
    EXPECT_THAT(Lines(requests.begin() + 10, requests.end()),
                ElementsAre("retrieve:\\s\\f", "expand:\\C", "expand:\\B", "expand:\\A"));
    server.Release(/*all=*/true);
    EXPECT_TRUE(WaitForReport("expand 12 ok "));
    EXPECT_EQ(server.MostHeld(), 11u);
}

TEST_F(JobQueueTest, DownloadsStartOldestFirstAndNeverMoreThanFive) {
    FakeRequestServer server(Briefly, /*holding=*/true);
    StartQueue(server.Port());
    std::vector<JobId> ids;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "d" + std::to_string(i);
        ids.push_back(queue_->AddRetrieveJob(Loopback(), "\\s\\" + name, File(name), &shutdown_));
    }
    ASSERT_TRUE(server.WaitForRequests(5));
    JobInfo waiting;
    ASSERT_TRUE(queue_->GetJobInfo(ids[6], &waiting));
    EXPECT_EQ(waiting.type, JobType::Retrieve);
    EXPECT_EQ(waiting.remotePath, "\\s\\d6");
    EXPECT_EQ(waiting.localPath, File("d6"));
    for (std::size_t arrived = 6; arrived <= 8; ++arrived) {
        server.Release();
        ASSERT_TRUE(server.WaitForRequests(arrived));
    }
    const Lines requests = server.Requests();
    EXPECT_THAT(Lines(requests.begin() + 5, requests.end()),
                ElementsAre("retrieve:\\s\\d5", "retrieve:\\s\\d6", "retrieve:\\s\\d7"));
    server.Release(/*all=*/true);
    WaitUntilIdle();
    EXPECT_EQ(server.MostHeld(), 5u);
    EXPECT_FALSE(queue_->GetJobInfo(ids[0], nullptr));  // reaped
    EXPECT_EQ(sandbox_.ReadFile("d7"), "x");
}

TEST_F(JobQueueTest, StopDropsWaitingJobsSilentlyAndEndsRunningOnesPromptly) {
    FakeRequestServer server(Briefly, /*holding=*/true);
    StartQueue(server.Port(), false,
               JobQueueOptions{.maxLightRunning = 2, .maxDownloadsRunning = 1});
    for (const char* path : {"\\0", "\\1", "\\2", "\\3"})
        queue_->AddExpandJob(Loopback(), path, &shutdown_);
    queue_->AddRetrieveJob(Loopback(), "\\a", File("a"), &shutdown_);
    const JobId waiting = queue_->AddRetrieveJob(Loopback(), "\\b", File("b"), &shutdown_);
    ASSERT_TRUE(server.WaitForRequests(3));
    const auto start = std::chrono::steady_clock::now();
    shutdown_ = true;
    queue_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // The started expands fail, the running download fails without having started, and nothing is
    // heard of the jobs that were still waiting.
    Lines expected{"finished 4 fail"};
    for (const auto& request : server.Requests())
        if (request.starts_with("expand"))
            expected.push_back("expand " + request.substr(8) + " fail ");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected.size(), 3u);
    EXPECT_EQ(WaitUntilIdle(), expected);
    EXPECT_FALSE(queue_->GetJobInfo(waiting, nullptr));
    EXPECT_THAT(FolderContents(), IsEmpty());
}

}  // namespace
}  // namespace client_test
