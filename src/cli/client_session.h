// The job queue as the client commands use it: the queue's reports are handed to the main thread,
// where the command's handlers run one at a time, while the main thread waits in its loop.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_context.h"
#include "client/job_queue.h"
#include "ui/controller/dispatcher_queue.h"

namespace cli {

class SignalWatch;

class ClientSession final : private JobListener, private DownloadListener {
public:
    // `verifyDownloads`: see JobQueueOptions::verifyDownloads.
    ClientSession(const GlobalOptions& options, bool extendedHostInfo, bool verifyDownloads = true);
    // Sets the shutdown and cancel flags and waits for every worker.
    ~ClientSession();
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    // Handlers, run on the main thread inside Run.
    // The last argument counts the entries beyond the listing limit that the listing lacks.
    std::function<void(JobId, const std::vector<DirEntry>&, bool, std::size_t)> onExpand;
    std::function<void(JobId, const proto::HostInfo&)> onHostInfo;
    std::function<void(JobId)> onDownloadStarted;
    std::function<void(JobId, unsigned, float)> onDownloadProgress;
    std::function<void(JobId, const util::Status&)> onDownloadFinished;
    // Comes just before the onDownloadFinished of a file that matched the host's digest.
    std::function<void(JobId)> onDownloadVerified;

    CJobQueue& Jobs() { return *queue_; }
    // For other network objects of the command whose reports go the same way.
    ui::QueuedDispatcher& Dispatcher() { return dispatcher_; }
    // The flag every job of the command watches; set on interruption.
    const StopFlag* Cancel() const { return &cancel_; }

    enum class End { Done, Interrupted, TimedOut };
    // Handles reports until done() is true, a stop signal arrives (when `signals` is given), or
    // `limit` has passed. `tick`, when set, runs about every `tickPeriod`.
    End Run(const std::function<bool()>& done, SignalWatch* signals,
            std::chrono::milliseconds limit = std::chrono::hours(24 * 365),
            const std::function<void()>& tick = {},
            std::chrono::milliseconds tickPeriod = std::chrono::milliseconds(1000));

private:
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                        std::size_t leftOut) override;
    void OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) override;
    void OnDownloadStarted(JobId id) override;
    void OnDownloadProgress(JobId id, unsigned percent, float speedKBs) override;
    void OnDownloadFinished(JobId id, const util::Status& outcome) override;
    void OnDownloadVerified(JobId id) override;

    ui::QueuedDispatcher dispatcher_;
    StopFlag shutdown_{false};
    StopFlag cancel_{false};
    std::unique_ptr<CJobQueue> queue_;
};

}  // namespace cli
