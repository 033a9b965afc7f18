#include "client/job_queue.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "client/job_record.h"
#include "util/steady_ms.h"

namespace {

// Longest time the scheduler goes without looking at the shutdown flag, which is set without
// waking anybody.
constexpr auto kStopCheckSlice = std::chrono::milliseconds(50);

bool IsLight(JobType type) {
    return type != JobType::Retrieve && type != JobType::FolderStream;
}

// Hosts remembered as having answered; far more than a LAN holds.
constexpr std::size_t kMaxAnsweredHosts = 4096;

}  // namespace

CJobQueue::CJobQueue(JobListener* jobListener, DownloadListener* downloadListener,
                     bool extendedHostInfo, const StopFlag* shutdown, JobQueueOptions options)
    : jobListener_(jobListener),
      downloadListener_(downloadListener),
      extendedHostInfo_(extendedHostInfo),
      shutdown_(shutdown),
      options_(options),
      scheduler_([this] { SchedulerThreadFunction(); }) {}

CJobQueue::~CJobQueue() {
    destroying_.store(true);
    NotifyScheduler();
    Stop();
}

bool CJobQueue::ShuttingDown() const {
    return destroying_.load() || IsStopped(shutdown_);
}

void CJobQueue::NotifyScheduler() {
    { std::lock_guard guard(lock_); }
    schedulerWake_.notify_all();
}

std::unique_ptr<CJobQueue::Job> CJobQueue::NewJob(JobType type, Ipv4 address,
                                                  const std::string& remotePath,
                                                  const StopFlag* stop) {
    auto job = std::make_unique<CJobQueue::Job>();
    job->light = IsLight(type);
    job->type = type;
    job->address = address;
    job->remotePath = remotePath;
    job->stop = stop;
    return job;
}

JobId CJobQueue::AddJob(std::unique_ptr<Job> job) {
    JobId id = 0;
    {
        std::lock_guard guard(lock_);
        id = job->id = nextId_++;
        if (!job->light) {
            downloadsWaiting_.push_back(std::move(job));
        } else if (lightWaiting_.size() < options_.maxLightWaiting) {
            lightWaiting_.push_back(std::move(job));
        } else if (job->type == JobType::Expand) {
            // Refused: whatever adds jobs (a peer's "shares changed" notices, forged hosts) cannot
            // grow the list without limit. Only an expand reports a failure.
            refusedExpands_.push_back(id);
        }
    }
    schedulerWake_.notify_all();
    return id;
}

JobId CJobQueue::AddExpandJob(Ipv4 address, const std::string& remotePath, const StopFlag* stop) {
    return AddJob(NewJob(JobType::Expand, address, remotePath, stop));
}

JobId CJobQueue::AddHostInfoJob(Ipv4 address, const StopFlag* stop) {
    return AddJob(NewJob(JobType::GetHostInfo, address, std::string(), stop));
}

JobId CJobQueue::AddHostModifiedJob(Ipv4 address, const StopFlag* stop) {
    return AddJob(NewJob(JobType::HostModified, address, std::string(), stop));
}

JobId CJobQueue::AddRetrieveJob(Ipv4 address, const std::string& remotePath,
                                const std::string& localPath, const StopFlag* stop,
                                std::optional<std::uint64_t> expectedSize) {
    auto job = NewJob(JobType::Retrieve, address, remotePath, stop);
    job->localPath = localPath;
    job->expectedSize = expectedSize;
    return AddJob(std::move(job));
}

JobId CJobQueue::AddFolderStreamJob(Ipv4 address, std::shared_ptr<client::StreamBatch> batch,
                                    const StopFlag* stop) {
    auto job = NewJob(JobType::FolderStream, address, batch->rootPath, stop);
    job->localPath = batch->localDir.string();
    job->batch = std::move(batch);
    return AddJob(std::move(job));
}

bool CJobQueue::GetJobInfo(JobId id, JobInfo* out) const {
    std::lock_guard guard(lock_);
    for (const auto* list : {&running_, &lightWaiting_, &downloadsWaiting_}) {
        const auto it =
            std::find_if(list->begin(), list->end(),
                         [&](const std::unique_ptr<Job>& job) { return job->id == id; });
        if (it == list->end()) continue;
        if (out != nullptr) {
            const Job& job = **it;
            *out = JobInfo{job.type, job.address, job.remotePath, job.localPath};
        }
        return true;
    }
    return false;
}

void CJobQueue::CancelJob(JobId id) {
    {
        std::lock_guard guard(lock_);
        const auto same = [id](const std::unique_ptr<Job>& job) { return job->id == id; };
        std::erase_if(lightWaiting_, same);
        std::erase_if(downloadsWaiting_, same);
        for (const auto& job : running_) {
            if (job->id == id && job->light) job->abort = true;
        }
    }
    schedulerWake_.notify_all();
}

JobQueueCounts CJobQueue::Counts() const {
    std::lock_guard guard(lock_);
    return JobQueueCounts{lightWaiting_.size(), downloadsWaiting_.size(), lightRunning_,
                          downloadsRunning_};
}

// Called with lock_ held. A finished worker has already left the lock behind, so joining it here
// cannot deadlock.
void CJobQueue::ReapFinishedWorkers() {
    for (auto it = running_.begin(); it != running_.end();) {
        Job& job = **it;
        if (!job.finished) {
            ++it;
            continue;
        }
        job.thread.join();
        --(job.light ? lightRunning_ : downloadsRunning_);
        if (job.countedUnanswered) --lightRunningUnanswered_;
        it = running_.erase(it);
    }
}

void CJobQueue::NoteAnswered(Ipv4 address) {
    std::lock_guard guard(lock_);
    if (answeredHosts_.size() < kMaxAnsweredHosts) answeredHosts_.insert(address);
}

// Called with lock_ held. Newest first (the user is waiting for the folder they opened last);
// a job for a host that has never answered only while it leaves the kept slots free.
std::unique_ptr<CJobQueue::Job> CJobQueue::TakeNextLightJob() {
    if (lightRunning_ >= options_.maxLightRunning) return nullptr;
    const unsigned kept =
        std::min(options_.lightRunningKeptForAnsweredHosts, options_.maxLightRunning - 1);
    const bool newHostsMayStart = lightRunningUnanswered_ < options_.maxLightRunning - kept;
    for (auto it = lightWaiting_.rbegin(); it != lightWaiting_.rend(); ++it) {
        const bool answered = answeredHosts_.contains((*it)->address);
        if (!answered && !newHostsMayStart) continue;
        std::unique_ptr<Job> job = std::move(*it);
        lightWaiting_.erase(std::next(it).base());
        job->countedUnanswered = !answered;
        lightRunningUnanswered_ += answered ? 0 : 1;
        ++lightRunning_;
        return job;
    }
    return nullptr;
}

// Called with lock_ held. Light jobs go first; downloads keep their order.
bool CJobQueue::StartNextJob() {
    std::unique_ptr<Job> job = TakeNextLightJob();
    if (!job && downloadsRunning_ < options_.maxDownloadsRunning && !downloadsWaiting_.empty()) {
        job = std::move(downloadsWaiting_.front());
        downloadsWaiting_.erase(downloadsWaiting_.begin());
        ++downloadsRunning_;
    }
    if (!job) return false;
    Job& started = *job;
    if (started.light) started.deadlineMs = SteadyMilliseconds() + options_.lightJobTimeoutMs;
    try {
        started.thread = std::thread([this, &started] {
            RunWorker(started);
            {
                std::lock_guard guard(lock_);
                started.finished = true;
            }
            schedulerWake_.notify_all();
        });
    } catch (const std::system_error&) {
        // Out of threads: put the job back where it came from and try again later.
        if (started.light) {
            --lightRunning_;
            if (started.countedUnanswered) --lightRunningUnanswered_;
            started.countedUnanswered = false;
            lightWaiting_.push_back(std::move(job));
        } else {
            --downloadsRunning_;
            downloadsWaiting_.insert(downloadsWaiting_.begin(), std::move(job));
        }
        return false;
    }
    running_.push_back(std::move(job));
    return true;
}

// Called with lock_ held. The network calls of a light job watch its abort flag alone, so that
// the job's own stop flag and its deadline both reach them.
void CJobQueue::WatchRunningLightJobs() {
    const std::int64_t now = SteadyMilliseconds();
    for (const auto& job : running_) {
        if (job->light && (IsStopped(job->stop) || now >= job->deadlineMs)) job->abort = true;
    }
}

// Called with lock_ held; releases it while reporting.
void CJobQueue::ReportRefusedJobs(std::unique_lock<std::mutex>& guard) {
    if (refusedExpands_.empty()) return;
    std::vector<JobId> refused;
    refused.swap(refusedExpands_);
    guard.unlock();
    for (const JobId id : refused) {
        if (!ShuttingDown()) jobListener_->OnExpandResult(id, {}, false, 0);
    }
    guard.lock();
}

// Called with lock_ held. Running light jobs have stop flags and deadlines to watch, and a job that
// could not get a thread is tried again; with none of these the scheduler sleeps until notified.
bool CJobQueue::NeedsWatching() const {
    return !lightWaiting_.empty() || !downloadsWaiting_.empty() ||
           std::any_of(running_.begin(), running_.end(),
                       [](const std::unique_ptr<Job>& job) { return job->light; });
}

void CJobQueue::SchedulerThreadFunction() {
    const StopWaker shutdownWaker(
        shutdown_, [](void* self) { static_cast<CJobQueue*>(self)->NotifyScheduler(); }, this);
    std::unique_lock guard(lock_);
    while (!ShuttingDown()) {
        ReapFinishedWorkers();
        WatchRunningLightJobs();
        ReportRefusedJobs(guard);
        if (StartNextJob()) continue;
        if (NeedsWatching()) {
            schedulerWake_.wait_for(guard, kStopCheckSlice);
        } else {
            schedulerWake_.wait(guard);
        }
    }
    // Waiting jobs are dropped without reports; running ones are left to their workers.
    lightWaiting_.clear();
    downloadsWaiting_.clear();
    refusedExpands_.clear();
    WatchRunningLightJobs();
}

void CJobQueue::Stop() {
    if (scheduler_.joinable()) scheduler_.join();
    std::unique_lock guard(lock_);
    for (;;) {
        ReapFinishedWorkers();
        WatchRunningLightJobs();
        if (running_.empty()) return;
        schedulerWake_.wait_for(guard, kStopCheckSlice);
    }
}
