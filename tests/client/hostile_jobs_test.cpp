// Hosts that answer our jobs in hostile ways: trickling a reply for ever, announcing a download far
// larger than its listing showed, and more jobs than the queue should hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "client/job_queue.h"
#include "net/framing.h"
#include "support/loopback.h"
#include "support/ui_pure_sandbox.h"

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using testing_support::LoopbackAddress;

bool Eventually(const std::function<bool()>& condition, int limitMs = 5000) {
    for (int waited = 0; waited < limitMs && !condition(); waited += 5)
        std::this_thread::sleep_for(5ms);
    return condition();
}

// Serves each connection on a thread of its own: `answer` gets the request line and the socket,
// and writes whatever it likes until it returns or `stop_` is set.
class HostileHost {
public:
    using Answer =
        std::function<void(const std::string& request, net::Socket socket, const StopFlag& stop)>;

    explicit HostileHost(Answer answer)
        : answer_(std::move(answer)), thread_([this] { Accept(); }) {}
    ~HostileHost() {
        stop_ = true;
        thread_.join();
        for (auto& connection : connections_) connection.join();
    }
    std::uint16_t Port() const { return listener_.port; }

private:
    void Accept() {
        while (!stop_) {
            auto socket = std::make_shared<net::UniqueSocket>(
                net::AcceptConnection(listener_.socket.get(), &stop_, nullptr, 50));
            if (!socket->valid()) continue;
            connections_.emplace_back([this, socket] {
                std::string request;
                if (net::ReceiveString(socket->get(), request, &stop_, net::kMaxRequestLength))
                    answer_(request, socket->get(), stop_);
            });
        }
    }

    Answer answer_;
    StopFlag stop_{false};
    testing_support::LoopbackListener listener_ = testing_support::ListenOnLoopback();
    std::vector<std::thread> connections_;
    std::thread thread_;
};

// Announces a huge reply, then sends one byte every 50 ms: never idle long enough to time out.
void Trickle(net::Socket socket, const StopFlag& stop) {
    testing_support::WriteRaw(socket, "60000000:");
    while (!stop && testing_support::WriteRaw(socket, "x")) std::this_thread::sleep_for(50ms);
}

// Logs "expand <n> ok|fail", "hostinfo <n>" and "finished <n> ok|fail", <n> counted from the first
// job id.
class HostileJobsTest : public ::testing::Test, public JobListener, public DownloadListener {
protected:
    void TearDown() override {
        shutdown_ = true;
        if (queue_) queue_->Stop();
    }
    void OnExpandResult(JobId id, const std::vector<DirEntry>&, bool success) override {
        Log("expand " + Number(id) + (success ? " ok" : " fail"));
    }
    void OnHostInfoResult(JobId id, const proto::HostInfo&, bool) override {
        Log("hostinfo " + Number(id));
    }
    void OnDownloadStarted(JobId) override {}
    void OnDownloadProgress(JobId, unsigned, float) override {}
    void OnDownloadFinished(JobId id, bool success) override {
        Log("finished " + Number(id) + (success ? " ok" : " fail"));
    }

    void Start(std::uint16_t port, JobQueueOptions options) {
        options.requestPort = port;
        queue_ = std::make_unique<CJobQueue>(this, this, false, &shutdown_, options);
    }
    Lines Reports() {
        std::lock_guard guard(mutex_);
        return reports_;
    }
    bool Idle() {
        const JobQueueCounts counts = queue_->Counts();
        return counts.lightWaiting + counts.lightRunning + counts.downloadsWaiting +
                   counts.downloadsRunning ==
               0;
    }

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

// Light jobs end at their time limit or their own stop flag, whatever the host does; a download
// that takes longer than the light limit is not cut.
TEST_F(HostileJobsTest, LightJobsEndAtTheirTimeLimitOrStopFlagDownloadsDoNot) {
    HostileHost host([](const std::string& request, net::Socket socket, const StopFlag& stop) {
        if (!request.starts_with("retrieve")) return Trickle(socket, stop);
        testing_support::WriteRaw(socket, "10:");
        for (int i = 0; i < 10 && !stop; ++i) {
            std::this_thread::sleep_for(200ms);
            testing_support::WriteRaw(socket, "d");
        }
    });
    Start(host.Port(), JobQueueOptions{.lightJobTimeoutMs = 1000});
    StopFlag cancel{false};
    queue_->AddExpandJob(LoopbackAddress(), "\\slow", &shutdown_);
    queue_->AddHostInfoJob(LoopbackAddress(), &shutdown_);
    queue_->AddExpandJob(LoopbackAddress(), "\\cancelled", &cancel);
    queue_->AddRetrieveJob(LoopbackAddress(), "\\s\\f", sandbox_.Path("f"), &shutdown_);
    std::this_thread::sleep_for(200ms);
    cancel = true;
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    EXPECT_EQ(Reports(), (Lines{"expand 2 fail", "expand 0 fail", "finished 3 ok"}));
    EXPECT_EQ(sandbox_.ReadFile("f"), "dddddddddd");
}

TEST_F(HostileJobsTest, ADownloadAnnouncingMoreThanItsListedSizeFailsBeforeWriting) {
    HostileHost host([](const std::string& request, net::Socket socket, const StopFlag& stop) {
        testing_support::WriteRaw(socket, request.ends_with("small") ? "5:hello" : "");
        if (request.ends_with("huge")) Trickle(socket, stop);
    });
    Start(host.Port(), {});
    const struct {
        const char* remote;
        std::optional<std::uint64_t> expected;
        const char* report;
        bool written;
    } rows[] = {{"\\s\\small", 5, "finished 0 ok", true},
                {"\\s\\small", std::nullopt, "finished 1 ok", true},
                {"\\s\\small", 4, "finished 2 fail", false},
                {"\\s\\huge", 1'000'000, "finished 3 fail", false}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const std::string local = sandbox_.Path("d" + std::to_string(i));
        queue_->AddRetrieveJob(LoopbackAddress(), rows[i].remote, local, &shutdown_,
                               rows[i].expected);
        ASSERT_TRUE(Eventually([&] { return Idle(); }));
        EXPECT_EQ(Reports().back(), rows[i].report);
        EXPECT_EQ(std::filesystem::exists(local), rows[i].written) << local;
    }
    // No part file is left behind either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox_.Path("")),
                            std::filesystem::directory_iterator()),
              2);
}

// Whatever adds light jobs (a peer's "shares changed" notices, forged hosts) cannot grow the
// waiting list without limit: beyond it a job is refused and reports like an unreachable host.
TEST_F(HostileJobsTest, LightJobsBeyondTheWaitingBoundAreRefused) {
    StopFlag answer{false};
    HostileHost host([&](const std::string&, net::Socket socket, const StopFlag& stop) {
        while (!answer && !stop) std::this_thread::sleep_for(10ms);
        testing_support::WriteRaw(socket, "0:");
    });
    Start(host.Port(), JobQueueOptions{.maxLightRunning = 1, .maxLightWaiting = 2});
    queue_->AddExpandJob(LoopbackAddress(), "\\a", &shutdown_);
    ASSERT_TRUE(Eventually([&] { return queue_->Counts().lightRunning == 1; }));
    std::vector<JobId> ids;
    for (const char* path : {"\\b", "\\c", "\\d"})
        ids.push_back(queue_->AddExpandJob(LoopbackAddress(), path, &shutdown_));
    ids.push_back(queue_->AddHostInfoJob(LoopbackAddress(), &shutdown_));
    EXPECT_TRUE(Eventually([&] { return Reports() == Lines{"expand 3 fail"}; }));
    EXPECT_EQ(queue_->Counts().lightWaiting, 2u);
    EXPECT_TRUE(queue_->GetJobInfo(ids[1], nullptr));
    EXPECT_FALSE(queue_->GetJobInfo(ids[2], nullptr));
    EXPECT_FALSE(queue_->GetJobInfo(ids[3], nullptr));
    answer = true;
    ASSERT_TRUE(Eventually([&] { return Idle(); }));
    Lines reports = Reports();
    std::sort(reports.begin(), reports.end());
    EXPECT_EQ(reports, (Lines{"expand 0 ok", "expand 1 ok", "expand 2 ok", "expand 3 fail"}));
}

}  // namespace
