// The client half of the request protocol: a queue of outgoing requests, each run on a worker
// thread of its own within separate limits for light jobs and downloads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "client/extension_memo.h"
#include "client/stream_batch.h"
#include "core/types.h"
#include "protocol/request_protocol.h"
#include "util/result.h"

using JobId = std::uint32_t;

// Ids of client jobs start here, apart from the share server's upload ids (which start at 1);
// both identify rows of the same transfer list.
inline constexpr JobId kFirstJobId = 0x40000000;

enum class JobType : int {
    Retrieve = 0,      // download one file
    Expand = 1,        // list a folder or the share list
    GetHostInfo = 2,   // name, version (and system) of a host
    HostModified = 3,  // tell a host that our shares changed
    FolderStream = 4,  // download a batch of a folder's files on one connection ("wdx-folder")
};

// Called on worker threads, without any queue lock held.
class JobListener {
public:
    // `success` is true when the reply arrived, even if the listing is empty. `leftOut` counts
    // the entries beyond the limit (proto::kMaxListingEntries, or proto::kMaxShareListEntries
    // for a host's share list) that the listing does not hold.
    virtual void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                                std::size_t leftOut) = 0;
    // Only called with success true: a host that does not answer is not reported.
    virtual void OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) = 0;

protected:
    ~JobListener() = default;
};

// Called on worker threads in the order Started, any number of Progress, Finished. A download
// that cannot connect, send its request or read the reply's length gets only Finished.
class DownloadListener {
public:
    virtual void OnDownloadStarted(JobId id) = 0;
    // percent 0..100, speed in KB/s; at most about once a second.
    virtual void OnDownloadProgress(JobId id, unsigned percent, float speedKBs) = 0;
    // `outcome` says what went wrong when the file did not arrive whole.
    virtual void OnDownloadFinished(JobId id, const util::Status& outcome) = 0;
    // Just before a successful OnDownloadFinished: the file matched the host's SHA-256 (only hosts
    // with the "wdx-get" extension offer one).
    virtual void OnDownloadVerified(JobId /*id*/) {}

protected:
    ~DownloadListener() = default;
};

// What GetJobInfo tells about a waiting or running job.
struct JobInfo {
    JobType type = JobType::Expand;
    Ipv4 address = 0;
    std::string remotePath;
    std::string localPath;
};

struct JobQueueOptions {
    // TCP port of the hosts' request servers.
    std::uint16_t requestPort = kRequestPort;
    // Connection attempts per job.
    int connectAttempts = 10;
    // Concurrency limits.
    unsigned maxLightRunning = 10;
    unsigned maxDownloadsRunning = 5;
    // Longest a light job may run, connecting included: a host that trickles its reply a byte at a
    // time must not keep a worker for good. Downloads have only the idle limit of their receive
    // (the user can cancel them).
    int lightJobTimeoutMs = 30'000;
    // Light slots that only jobs for hosts that have answered before may take: hosts that accept
    // and never answer (or are not there) must not keep the genuine ones waiting.
    unsigned lightRunningKeptForAnsweredHosts = 4;
    // Light jobs waiting at once. A job added beyond this is refused: it never runs and reports
    // like a job whose host cannot be reached.
    std::size_t maxLightWaiting = 1000;
    // Downloads from hosts with the "wdx-get" extension resume cut transfers and check each file
    // against the host's SHA-256; false asks every host the common way.
    bool verifyDownloads = true;
};

// Sizes of the queue's lists, for diagnostics.
struct JobQueueCounts {
    std::size_t lightWaiting = 0;
    std::size_t downloadsWaiting = 0;
    unsigned lightRunning = 0;
    unsigned downloadsRunning = 0;
};

class CJobQueue {
public:
    // Both listeners must be present. `extendedHostInfo` asks hosts for their system text too.
    // `shutdown` is the owner's shutdown flag. Starts the scheduler thread.
    CJobQueue(JobListener* jobListener, DownloadListener* downloadListener, bool extendedHostInfo,
              const StopFlag* shutdown, JobQueueOptions options = {});
    // Calls Stop; set the shutdown flag (and the jobs' own stop flags) first.
    ~CJobQueue();
    CJobQueue(const CJobQueue&) = delete;
    CJobQueue& operator=(const CJobQueue&) = delete;

    // Each returns the new job's id at once, before any network activity. `stop` is the flag the
    // job watches: a transfer's own cancel flag, or the shutdown flag (a light job notices it
    // within one scheduler pass). Called from one thread. A refused light job (see
    // maxLightWaiting) reports, from the scheduler thread, what a job reports that cannot connect.
    JobId AddExpandJob(Ipv4 address, const std::string& remotePath, const StopFlag* stop);
    JobId AddHostInfoJob(Ipv4 address, const StopFlag* stop);
    JobId AddHostModifiedJob(Ipv4 address, const StopFlag* stop);
    // `localPath` is the full local file name; missing folders are created, an existing file is
    // replaced only once the whole file has arrived. With `expectedSize` (the size the listing
    // showed) a reply announcing another size fails before anything is written: more could fill
    // the disk, less would pass for the whole file.
    JobId AddRetrieveJob(Ipv4 address, const std::string& remotePath, const std::string& localPath,
                         const StopFlag* stop,
                         std::optional<std::uint64_t> expectedSize = std::nullopt);

    // A batch of a folder download's files as one stream, for a host that answers "wdx-folder"
    // (asked once per host through Extensions()). Reports like a download: Started, Progress over
    // the batch's bytes, Finished; the batch then holds how far it came, or that the host lacks
    // the stream and nothing was asked. The batch must not be touched until the report.
    JobId AddFolderStreamJob(Ipv4 address, std::shared_ptr<client::StreamBatch> batch,
                             const StopFlag* stop);

    // For a job whose answer nobody wants any more (its host is gone): a waiting job is dropped
    // without a report, a running light job gives up its connection attempts and exchange at
    // once and reports the way a job that cannot connect does. Downloads that run watch their
    // own stop flag; unknown ids are ignored.
    void CancelJob(JobId id);

    // True if the job is running or waiting; fills `out` when given.
    bool GetJobInfo(JobId id, JobInfo* out) const;

    JobQueueCounts Counts() const;

    // What each host answered about the extension words; the owner forgets a host that left.
    client::ExtensionMemo& Extensions() { return extensions_; }

    // Waits for the scheduler to end (the owner sets the shutdown flag first), which drops the
    // waiting jobs without reports, then for every running worker.
    void Stop();

private:
    struct Job;

    static std::unique_ptr<Job> NewJob(JobType type, Ipv4 address, const std::string& remotePath,
                                       const StopFlag* stop);
    JobId AddJob(std::unique_ptr<Job> job);
    void SchedulerThreadFunction();
    bool StartNextJob();
    std::unique_ptr<Job> TakeNextLightJob();
    void NoteAnswered(Ipv4 address);
    void ReapFinishedWorkers();
    bool NeedsWatching() const;
    void WatchRunningLightJobs();
    void ReportRefusedJobs(std::unique_lock<std::mutex>& guard);
    void RunWorker(Job& job);
    void ForgetStopFlag(Job& job);
    util::Status Retrieve(const Job& job, int socket, const StopFlag* stop);
    util::Status StreamFolder(Job& job, const StopFlag* stop);
    util::Status RetrieveVerified(const Job& job, int socket, const StopFlag* stop);
    bool OffersGet(const Job& job, const StopFlag* stop);
    void NotifyScheduler();
    bool ShuttingDown() const;

    JobListener* jobListener_;
    DownloadListener* downloadListener_;
    const bool extendedHostInfo_;
    const StopFlag* shutdown_;
    const JobQueueOptions options_;

    JobId nextId_ = kFirstJobId;

    mutable std::mutex lock_;
    std::condition_variable schedulerWake_;
    std::vector<std::unique_ptr<Job>> downloadsWaiting_;
    std::vector<std::unique_ptr<Job>> lightWaiting_;
    std::vector<std::unique_ptr<Job>> running_;
    // Expand jobs refused for a full waiting list, whose failure the scheduler reports.
    std::vector<JobId> refusedExpands_;
    unsigned downloadsRunning_ = 0;
    unsigned lightRunning_ = 0;
    // Running light jobs for hosts not in answeredHosts_ when they started.
    unsigned lightRunningUnanswered_ = 0;
    // Hosts that have answered a request of ours; bounded, beyond that a host counts as new.
    std::unordered_set<Ipv4> answeredHosts_;
    client::ExtensionMemo extensions_;
    // Set by the destructor so that a queue dropped without shutdown still ends its scheduler.
    StopFlag destroying_{false};

    std::thread scheduler_;
};
