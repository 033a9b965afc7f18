// Listeners that record every report of the job queue, for the tests to wait on and inspect.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "client/job_queue.h"

namespace client_test {

struct ExpandReport {
    JobId id;
    std::vector<DirEntry> listing;
    bool success;
};
struct HostInfoReport {
    JobId id;
    proto::HostInfo info;
    bool success;
};
struct DownloadReport {
    enum Kind { Started, Progress, Finished } kind;
    JobId id;
    bool success;  // Finished only
};

class RecordingListeners : public JobListener, public DownloadListener {
public:
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success) override {
        Record([&] { expands.push_back({id, listing, success}); });
    }
    void OnHostInfoResult(JobId id, const proto::HostInfo& info, bool success) override {
        Record([&] { hostInfos.push_back({id, info, success}); });
    }
    void OnDownloadStarted(JobId id) override {
        Record([&] { downloads.push_back({DownloadReport::Started, id, false}); });
    }
    void OnDownloadProgress(JobId id, unsigned, float) override {
        Record([&] { downloads.push_back({DownloadReport::Progress, id, false}); });
    }
    void OnDownloadFinished(JobId id, bool success) override {
        Record([&] { downloads.push_back({DownloadReport::Finished, id, success}); });
    }

    // Bounded wait for a condition on the recorded reports, checked under the lock.
    bool WaitUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        std::unique_lock guard(mutex);
        return changed.wait_for(guard, limit, condition);
    }
    // Copies taken under the lock.
    std::vector<ExpandReport> Expands() {
        std::lock_guard guard(mutex);
        return expands;
    }
    std::vector<HostInfoReport> HostInfos() {
        std::lock_guard guard(mutex);
        return hostInfos;
    }
    std::vector<DownloadReport> Downloads() {
        std::lock_guard guard(mutex);
        return downloads;
    }
    bool FinishedFor(JobId id) const {
        for (const auto& report : downloads) {
            if (report.id == id && report.kind == DownloadReport::Finished) return true;
        }
        return false;
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<ExpandReport> expands;
    std::vector<HostInfoReport> hostInfos;
    std::vector<DownloadReport> downloads;

private:
    void Record(const std::function<void()>& append) {
        {
            std::lock_guard guard(mutex);
            append();
        }
        changed.notify_all();
    }
};

}  // namespace client_test
