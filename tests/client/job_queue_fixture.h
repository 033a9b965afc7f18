// A job queue pointed at a fake request server on loopback, with a scratch folder for downloads.
// The fixture is the queue's listener and logs every report as one line: "expand <n> ok|fail
// <name>:<size>:<d|f>,...", "hostinfo <n> <name>|<version>|<date>|<time>|<system>", "started <n>",
// "finished <n> ok|fail", where <n> counts from the first job id. Progress reports depend on
// timing and are not logged.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "client/job_queue.h"
#include "fake_request_server.h"

namespace client_test {

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class JobQueueTest : public ::testing::Test, public JobListener, public DownloadListener {
protected:
    JobQueueTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendaro-jobs-XXXXXX");
        if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
    }
    ~JobQueueTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void TearDown() override {
        shutdown_.store(true);
        if (queue_) queue_->Stop();
    }

    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success) override {
        std::string line = "expand " + Number(id) + (success ? " ok " : " fail ");
        for (const auto& entry : listing) {
            line += entry.name + ":" + std::to_string(entry.size) + (entry.folder ? ":d," : ":f,");
        }
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
    // Bounded wait until every job has been reaped; returns the report lines, sorted.
    std::vector<std::string> WaitUntilIdle() {
        for (int i = 0; i < 500; ++i) {
            const JobQueueCounts c = queue_->Counts();
            if (c.lightWaiting + c.downloadsWaiting + c.lightRunning + c.downloadsRunning == 0)
                break;
            std::this_thread::sleep_for(10ms);
        }
        auto lines = Reports();
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    bool WaitForReport(const std::string& line) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, 5s, [&] {
            return std::find(reports_.begin(), reports_.end(), line) != reports_.end();
        });
    }
    std::vector<std::string> Reports() {
        std::lock_guard guard(mutex_);
        return reports_;
    }
    std::string File(const std::string& relative) const { return (folder_ / relative).string(); }
    std::vector<std::string> FolderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_)) {
            names.push_back(std::filesystem::relative(entry.path(), folder_).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static Ipv4 Loopback() { return testing_support::LoopbackAddress(); }

    StopFlag shutdown_{false};
    std::unique_ptr<CJobQueue> queue_;

private:
    static std::string Number(JobId id) { return std::to_string(id - kFirstJobId); }
    void Log(std::string line) {
        {
            std::lock_guard guard(mutex_);
            reports_.push_back(std::move(line));
        }
        changed_.notify_all();
    }

    std::filesystem::path folder_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> reports_;
};

}  // namespace client_test
