// What each kind of job sends and reports, and the order, limits and time limits under which the
// queue runs them, against a fake host on loopback and a sandbox for downloads. The fixture logs
// every report as "expand <n> ok|fail <name>:<size>:<d|f>,...",
// "hostinfo <n> <name>|<system>" (the reply's parsing is pinned down by the protocol tests),
// "started <n>" or "finished <n> ok|fail",
// <n> counted from the first job id. Progress depends on timing and is not logged.
#include "client/job_queue.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "net/framing.h"
#include "support/loopback.h"
#include "support/ui_pure_sandbox.h"

namespace client_test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using testing_support::WriteRaw;

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000 && !condition(); ++i) std::this_thread::sleep_for(5ms);
    return condition();
}

// Serves each connection on a thread of its own: records its request line in arrival order, holds
// it while holding (until that request is released), then lets `answer` write what it likes
// until it returns or the host goes. The queue's scheduling shows in the order of later requests.
class FakeHost {
public:
    using Answer = std::function<void(const std::string& request, net::Socket, const StopFlag&)>;

    explicit FakeHost(Answer answer, bool holding = false)
        : answer_(std::move(answer)), holding_(holding), thread_([this] { Accept(); }) {}
    ~FakeHost() {
        stop_ = true;
        thread_.join();
        for (auto& connection : connections_) connection.join();
    }
    std::uint16_t Port() const { return listener_.port; }
    Lines Requests() {
        std::lock_guard guard(mutex_);
        return requests_;
    }
    bool WaitForRequests(std::size_t n) {
        return Eventually([&] { return Requests().size() >= n; });
    }
    // Answers the held connection with this request, or all of them and all that come later.
    void Release(const std::string& request = {}) {
        std::lock_guard guard(mutex_);
        released_.insert(request);
        holding_ = holding_ && !request.empty();
    }
    std::atomic<std::size_t> mostHeld{0};

private:
    void Accept() {
        while (!stop_) {
            auto socket = std::make_shared<net::UniqueSocket>(
                net::AcceptConnection(listener_.socket.get(), &stop_, nullptr, 50));
            if (socket->valid())
                connections_.emplace_back([this, socket] { Serve(socket->get()); });
        }
    }
    void Serve(net::Socket socket) {
        std::string request;
        if (!net::ReceiveString(socket, request, &stop_, net::kMaxRequestLength)) return;
        std::unique_lock guard(mutex_);
        requests_.push_back(request);
        mostHeld = std::max(mostHeld.load(), ++held_);
        while (holding_ && !released_.erase(request) && !stop_) {
            guard.unlock();
            std::this_thread::sleep_for(5ms);
            guard.lock();
        }
        --held_;
        guard.unlock();
        answer_(request, socket, stop_);
    }

    Answer answer_;
    StopFlag stop_{false};
    std::mutex mutex_;
    bool holding_;
    Lines requests_;
    std::multiset<std::string> released_;
    std::size_t held_ = 0;
    testing_support::LoopbackListener listener_ = testing_support::ListenOnLoopback();
    std::vector<std::thread> connections_;
    std::thread thread_;
};

// Answers by request line the way a share server does: a one-byte file, an empty listing, or a
// known reply; "expand:\gone" is closed unanswered.
void LikeAShareServer(const std::string& request, net::Socket socket, const StopFlag&) {
    const std::map<std::string, std::string> replies{
        {"expand:\\docs", "a.txt\\0\\5\\sub\\1\\0\\.\\1\\0"},
        {"gethostinfo", "host\n3.0 14:03:27 21.11.2005 \n"},
        {"gethostinfoex", "host\n3.0 14:03:27 21.11.2005 Linux.6.1#1_SMP \n"}};
    const auto reply = replies.find(request);
    const std::string payload = reply != replies.end()            ? reply->second
                                : request.starts_with("retrieve") ? "x"
                                                                  : "";
    if (request != "expand:\\gone")
        WriteRaw(socket, std::to_string(payload.size()) + ":" + payload);
}

// Announces a huge reply, then one byte every 50 ms: never idle long enough to time out.
void Trickle(net::Socket socket, const StopFlag& stop) {
    WriteRaw(socket, "60000000:");
    while (!stop && WriteRaw(socket, "x")) std::this_thread::sleep_for(50ms);
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
            info.system);
    }
    void OnDownloadStarted(JobId id) override { Log("started " + Number(id)); }
    void OnDownloadProgress(JobId, unsigned, float) override {}
    void OnDownloadFinished(JobId id, bool ok) override {
        Log("finished " + Number(id) + (ok ? " ok" : " fail"));
    }

    void StartQueue(std::uint16_t port, JobQueueOptions options = {}) {
        options.requestPort = port;
        queue_ = std::make_unique<CJobQueue>(this, this, false, &shutdown_, options);
    }
    JobId Expand(const std::string& path, const StopFlag* stop = nullptr) {
        return queue_->AddExpandJob(kHost, path, stop ? stop : &shutdown_);
    }
    JobId Retrieve(const std::string& remote, const std::string& local,
                   const StopFlag* stop = nullptr, std::optional<std::uint64_t> size = {}) {
        return queue_->AddRetrieveJob(kHost, remote, sandbox_.Path(local), stop ? stop : &shutdown_,
                                      size);
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

    const Ipv4 kHost = testing_support::LoopbackAddress();
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

TEST_F(JobQueueTest, JobsReportWhatTheHostAnsweredOrFailTheWayTheirTypeReports) {
    FakeHost host(LikeAShareServer);
    StartQueue(host.Port());
    for (const char* path : {"\\docs", "\\empty", "\\gone"}) Expand(path);  // empty is no failure
    queue_->AddHostInfoJob(kHost, &shutdown_);
    queue_->AddHostModifiedJob(kHost, &shutdown_);
    // A queue that asks for the system text too; its ids start over.
    CJobQueue extended(this, this, true, &shutdown_, {.requestPort = host.Port()});
    extended.AddHostInfoJob(kHost, &shutdown_);
    ASSERT_TRUE(host.WaitForRequests(6));
    EXPECT_TRUE(WaitForReport("hostinfo 0 host|Linux.6.1#1_SMP"));
    EXPECT_THAT(WaitUntilIdle(),
                ElementsAre("expand 0 ok a.txt:5:f,sub:0:d,", "expand 1 ok ", "expand 2 fail ",
                            "hostinfo 0 host|Linux.6.1#1_SMP", "hostinfo 3 host|"));
    // Nobody listening: host info is not reported at all, and stopped jobs do not even connect.
    StartQueue(testing_support::ClosedLoopbackPort());
    Expand("\\x");
    queue_->AddHostInfoJob(kHost, &shutdown_);
    queue_->AddHostModifiedJob(kHost, &shutdown_);
    Retrieve("\\s\\f", "sub/f");
    StopFlag cancelled{true};
    Expand("\\docs", &cancelled);
    ASSERT_EQ(WaitUntilIdle().size(), 5u + 3u);
    const Lines reports = Reports();
    EXPECT_THAT(Lines(reports.begin() + 5, reports.end()),
                UnorderedElementsAre("expand 0 fail ", "expand 4 fail ", "finished 3 fail"));
    EXPECT_THAT(sandbox_.Names(), IsEmpty());
}

// Downloads arrive whole in new folders or not at all, and are not cut by the light jobs' time
// limit; light jobs end at that limit or at their own stop flag, whatever the host does.
TEST_F(JobQueueTest, DownloadsArriveWholeOrNotAtAllLightJobsEndAtTheirTimeLimitOrStopFlag) {
    std::string content(300'000, '\0');  // several receive chunks, every byte value
    std::mt19937 random(12345);
    for (char& byte : content) byte = static_cast<char>(random());
    // Else five bytes, or the header of something huge and a trickle of it.
    FakeHost host([&](const std::string& request, net::Socket socket, const StopFlag& stop) {
        if (request.ends_with("small")) return (void)WriteRaw(socket, "5:hello");
        if (!request.ends_with("f.bin")) return Trickle(socket, stop);
        WriteRaw(socket, std::to_string(content.size()) + ":");
        for (std::size_t part = 0; part < 3 && !stop; ++part) {  // 1.5 s in all
            std::this_thread::sleep_for(500ms);
            WriteRaw(socket, content.substr(part * 100'000, 100'000));
        }
    });
    StartQueue(host.Port(), {.lightJobTimeoutMs = 1000});
    sandbox_.MakeFile("existing.bin", "old content");
    StopFlag cancel{false};
    Retrieve("\\s\\dir\\f.bin", "a/b/f.bin");
    Retrieve("\\s\\huge", "fresh.bin", &cancel);
    Retrieve("\\s\\huge", "existing.bin", &cancel);
    // A size announced beyond the listed one is refused before anything is written.
    Retrieve("\\s\\small", "listed5", nullptr, 5);
    Retrieve("\\s\\small", "listed4", nullptr, 4);
    Retrieve("\\s\\huge", "listed1M", nullptr, 1'000'000);
    Expand("\\slow");
    queue_->AddHostInfoJob(kHost, &shutdown_);  // fails unreported
    Expand("\\cancelled", &cancel);
    for (const char* report : {"started 1", "started 2", "finished 5 fail"})
        ASSERT_TRUE(WaitForReport(report)) << report;
    cancel = true;
    EXPECT_THAT(WaitUntilIdle(),
                ElementsAre("expand 6 fail ", "expand 8 fail ", "finished 0 ok", "finished 1 fail",
                            "finished 2 fail", "finished 3 ok", "finished 4 fail",
                            "finished 5 fail", "started 0", "started 1", "started 2", "started 3"));
    const Lines reports = Reports();
    EXPECT_LT(std::ranges::find(reports, "expand 8 fail "),
              std::ranges::find(reports, "expand 6 fail "));
    EXPECT_THAT(sandbox_.Names(), UnorderedElementsAre("a", "existing.bin", "listed5"));
    EXPECT_TRUE(sandbox_.ReadFile("a/b/f.bin") == content);
    EXPECT_EQ(sandbox_.ReadFile("existing.bin"), "old content");
}

// Light jobs start newest first, at most ten; downloads oldest first, at most five, and neither
// waits for the other. Each finished job frees one place.
TEST_F(JobQueueTest, LightJobsStartNewestFirstDownloadsOldestFirstEachWithinItsLimit) {
    FakeHost host(LikeAShareServer, /*holding=*/true);
    StartQueue(host.Port());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Expand("\\h" + std::to_string(i)), kFirstJobId + i);
    for (int i = 0; i < 5; ++i) Retrieve("\\d" + std::to_string(i), "d" + std::to_string(i));
    ASSERT_TRUE(host.WaitForRequests(15));
    for (const char* path : {"\\A", "\\B", "\\C"}) Expand(path);
    const JobId waiting = Retrieve("\\d5", "d5");
    Retrieve("\\d6", "d6");
    JobInfo info;
    ASSERT_TRUE(queue_->GetJobInfo(waiting, &info));
    EXPECT_EQ(info.localPath, sandbox_.Path("d5"));
    const std::pair<const char*, const char*> steps[] = {{"expand:\\h0", "expand:\\C"},
                                                         {"retrieve:\\d0", "retrieve:\\d5"},
                                                         {"expand:\\h1", "expand:\\B"},
                                                         {"retrieve:\\d1", "retrieve:\\d6"},
                                                         {"expand:\\h2", "expand:\\A"}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(steps[i].first);
        host.Release(steps[i].first);
        ASSERT_TRUE(host.WaitForRequests(16 + i));
        EXPECT_EQ(host.Requests().back(), steps[i].second);
    }
    host.Release();
    WaitUntilIdle();
    EXPECT_EQ(host.mostHeld, 15u);
    EXPECT_FALSE(queue_->GetJobInfo(waiting, nullptr));  // reaped
    EXPECT_EQ(sandbox_.ReadFile("d6"), "x");
}

// Whatever adds light jobs (a peer's "shares changed" notices, forged hosts) cannot grow the
// waiting list without limit: beyond it a job is refused and reports like an unreachable host.
TEST_F(JobQueueTest, LightJobsBeyondTheWaitingBoundAreRefusedAndStopDropsTheWaitingOnes) {
    FakeHost host(LikeAShareServer, /*holding=*/true);
    StartQueue(host.Port(), {.maxLightRunning = 1, .maxLightWaiting = 2});
    Expand("\\a");
    ASSERT_TRUE(host.WaitForRequests(1));
    const JobId kept = Expand("\\b");
    Expand("\\c");
    const JobId refused[] = {Expand("\\d"), queue_->AddHostInfoJob(kHost, &shutdown_)};
    EXPECT_TRUE(Eventually([&] { return Reports() == Lines{"expand 3 fail "}; }));
    EXPECT_EQ(queue_->Counts().lightWaiting, 2u);
    EXPECT_TRUE(queue_->GetJobInfo(kept, nullptr));
    for (const JobId id : refused) EXPECT_FALSE(queue_->GetJobInfo(id, nullptr));
    // Stopping drops the waiting jobs silently and ends the running one promptly.
    const auto start = std::chrono::steady_clock::now();
    shutdown_ = true;
    queue_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("expand 0 fail ", "expand 3 fail "));
    EXPECT_FALSE(queue_->GetJobInfo(kept, nullptr));
}

}  // namespace
}  // namespace client_test
