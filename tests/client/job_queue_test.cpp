// What each kind of job reports, and the limits and time limits under which the queue runs them,
// against a fake host on loopback. Reports are logged as "expand <n> ok|fail <name>:<size>:<d|f>,",
// "hostinfo <n>", "started <n>" or "finished <n> ok|<reason>", <n> counted from the first job id.
#include "client/job_queue.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "net/framing.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"

namespace client_test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using testing_support::WriteRaw;

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000 && !condition(); ++i) std::this_thread::sleep_for(5ms);
    return condition();
}

using testing_support::FakeHost;

// Answers by request line the way a share server does: a one-byte file, an empty listing, or a
// known reply; "\gone" is closed unanswered.
void LikeAShareServer(const std::string& request, net::Socket socket, const StopFlag&) {
    if (request.ends_with(":\\gone")) return;
    if (request.starts_with("retrieve")) return (void)WriteRaw(socket, "1:x");
    WriteRaw(socket, request == "expand:\\docs" ? "23:a.txt\\0\\5\\sub\\1\\0\\.\\1\\0" : "0:");
}

class JobQueueTest : public ::testing::Test, public JobListener, public DownloadListener {
protected:
    void TearDown() override {
        shutdown_ = true;
        if (queue_) queue_->Stop();
    }
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                        std::size_t) override {
        std::string line = "expand " + Number(id) + (success ? " ok " : " fail ");
        for (const auto& entry : listing)
            line += entry.name + ":" + std::to_string(entry.size) + (entry.folder ? ":d," : ":f,");
        Log(line);
        if (afterExpandReport_) afterExpandReport_(id);
    }
    void OnHostInfoResult(JobId id, const proto::HostInfo&, bool) override {
        Log("hostinfo " + Number(id));
    }
    void OnDownloadStarted(JobId id) override { Log("started " + Number(id)); }
    void OnDownloadProgress(JobId, unsigned, float) override {}
    void OnDownloadFinished(JobId id, const util::Status& outcome) override {
        using util::ErrorKind;
        const std::map<ErrorKind, std::string> names = {{ErrorKind::Stopped, "stopped"},
                                                        {ErrorKind::RefusedByHost, "refused"},
                                                        {ErrorKind::SizeLiedAbout, "size"}};
        const auto name = outcome ? names.end() : names.find(outcome.kind());
        Log("finished " + Number(id) + " " +
            (outcome               ? "ok"
             : name == names.end() ? "fail"
                                   : name->second));
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
    Lines Reports() {
        std::lock_guard guard(mutex_);
        return reports_;
    }

    const Ipv4 kHost = testing_support::LoopbackAddress();
    testing_support::TempFolder sandbox_;
    StopFlag shutdown_{false};
    std::unique_ptr<CJobQueue> queue_;
    // Runs on the worker thread at the end of each expand report.
    std::function<void(JobId)> afterExpandReport_;

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
    queue_->AddHostModifiedJob(kHost, &shutdown_);
    Retrieve("\\gone", "gone");
    ASSERT_TRUE(host.WaitForRequests(5));
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("expand 0 ok a.txt:5:f,sub:0:d,", "expand 1 ok ",
                                             "expand 2 fail ", "finished 4 refused"));
}

// An owner frees a job's stop flag once the job has reported (a finished folder download frees
// its record) while the job still counts as running; under AddressSanitizer a late read shows.
TEST_F(JobQueueTest, StopFlagMayBeFreedAsSoonAsItsJobHasReported) {
    FakeHost host(LikeAShareServer);
    StartQueue(host.Port());
    std::mutex flagsLock;
    std::map<JobId, std::unique_ptr<StopFlag>> flags;
    afterExpandReport_ = [&](JobId id) {
        std::lock_guard guard(flagsLock);
        flags.erase(id);
    };
    for (int i = 0; i < 200; ++i) {
        auto flag = std::make_unique<StopFlag>(false);
        std::lock_guard guard(flagsLock);
        const JobId id = Expand("\\empty", flag.get());
        flags[id] = std::move(flag);
    }
    EXPECT_EQ(WaitUntilIdle().size(), 200u);
    std::lock_guard guard(flagsLock);
    EXPECT_TRUE(flags.empty());
}

// Downloads arrive whole in new folders or not at all, and are not cut by the light jobs' time
// limit; light jobs end at that limit or at their own stop flag, whatever the host does.
TEST_F(JobQueueTest, DownloadsArriveWholeOrNotAtAllLightJobsEndAtTheirTimeLimitOrStopFlag) {
    std::string content(300'000, '\0');  // several receive chunks, every byte value
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 131 % 257);
    // Else five bytes, or the header of something huge and then one byte every 50 ms: never idle
    // long enough to time out.
    FakeHost host([&](const std::string& request, net::Socket socket, const StopFlag& stop) {
        if (request.ends_with("small")) return (void)WriteRaw(socket, "5:hello");
        if (!request.ends_with("f.bin") && WriteRaw(socket, "60000000:"))
            while (!stop && WriteRaw(socket, "x")) std::this_thread::sleep_for(50ms);
        if (!request.ends_with("f.bin")) return;
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
    Expand("\\cancelled", &cancel);
    for (const char* report : {"started 1", "started 2", "finished 5 size"})
        ASSERT_TRUE(Eventually([&] { return std::ranges::count(Reports(), report) > 0; }))
            << report;
    cancel = true;
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("expand 6 fail ", "expand 7 fail ", "finished 0 ok",
                                             "finished 1 stopped", "finished 2 stopped",
                                             "finished 3 ok", "finished 4 size", "finished 5 size",
                                             "started 0", "started 1", "started 2", "started 3"));
    EXPECT_THAT(sandbox_.Names(), UnorderedElementsAre("a", "existing.bin", "listed5"));
    EXPECT_TRUE(sandbox_.ReadFile("a/b/f.bin") == content);
    EXPECT_EQ(sandbox_.ReadFile("existing.bin"), "old content");
}

// Whatever adds light jobs (a peer's "shares changed" notices, forged hosts) cannot grow the
// waiting list without limit: beyond it a job is refused and reports like an unreachable host.
TEST_F(JobQueueTest, LightJobsBeyondTheWaitingBoundAreRefusedAndStopDropsTheWaitingOnes) {
    FakeHost host(LikeAShareServer, /*holding=*/true);
    StartQueue(host.Port(), {.maxLightRunning = 1, .maxLightWaiting = 2});
    Expand("\\a");
    ASSERT_TRUE(host.WaitForRequests(1));
    Expand("\\b");
    Expand("\\c");
    Expand("\\d");
    queue_->AddHostInfoJob(kHost, &shutdown_);
    EXPECT_TRUE(Eventually([&] { return Reports() == Lines{"expand 3 fail "}; }));
    EXPECT_EQ(queue_->Counts().lightWaiting, 2u);
    // Stopping drops the waiting jobs silently and ends the running one promptly.
    shutdown_ = true;
    queue_->Stop();
    EXPECT_THAT(WaitUntilIdle(), ElementsAre("expand 0 fail ", "expand 3 fail "));
}

// Hosts that accept and never answer hold light slots until the time limit; a host that has
// answered before still finds a slot at once.
TEST_F(JobQueueTest, HostsThatNeverAnsweredLeaveLightSlotsToHostsThatDid) {
    FakeHost genuine(LikeAShareServer);
    StartQueue(
        genuine.Port(),
        {.maxLightRunning = 4, .lightJobTimeoutMs = 20'000, .lightRunningKeptForAnsweredHosts = 2});
    Expand("\\docs");
    ASSERT_TRUE(Eventually([&] { return Reports().size() == 1; }));
    // Tar pits: the kernel accepts for a listener that never takes a connection.
    const Ipv4 tarPit = testing_support::LoopbackHost(9);
    const net::UniqueSocket pit = net::CreateListener(tarPit, genuine.Port());
    ASSERT_TRUE(pit.valid());
    for (int i = 0; i < 8; ++i) queue_->AddHostInfoJob(tarPit, &shutdown_);
    EXPECT_TRUE(Eventually([&] { return queue_->Counts().lightWaiting == 6; }));
    EXPECT_EQ(queue_->Counts().lightRunning, 2u);
    Expand("\\docs");
    EXPECT_TRUE(Eventually([&] { return Reports().size() == 2; }));
    EXPECT_EQ(Reports().back(), "expand 9 ok a.txt:5:f,sub:0:d,");
}

// The jobs of a host that is gone: a waiting one goes without a word, a running one gives up at
// once, however long its host would keep it.
TEST_F(JobQueueTest, CancelledJobsAreDroppedOrGiveUpAtOnce) {
    FakeHost host(LikeAShareServer, /*holding=*/true);
    StartQueue(host.Port(), {.maxLightRunning = 1});
    const JobId running = Expand("\\a");
    ASSERT_TRUE(host.WaitForRequests(1));
    const JobId waiting = Expand("\\b");
    queue_->CancelJob(waiting);
    queue_->CancelJob(running);
    queue_->CancelJob(12345);
    EXPECT_TRUE(Eventually([&] { return Reports() == Lines{"expand 0 fail "}; }));
    EXPECT_TRUE(Eventually([&] { return queue_->Counts().lightRunning == 0; }));
    EXPECT_EQ(queue_->Counts().lightWaiting, 0u);
    EXPECT_FALSE(queue_->GetJobInfo(waiting, nullptr));
    EXPECT_EQ(host.Requests().size(), 1u);
    host.Release();
}

}  // namespace
}  // namespace client_test
