// A job queue pointed at a fake request server on loopback, with recording listeners and a
// scratch folder for downloads.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "client/job_queue.h"
#include "fake_request_server.h"
#include "recording_listeners.h"

namespace client_test {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wendaro-client-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string File(const std::string& relative) const { return (path_ / relative).string(); }
    // Everything below the folder, as paths relative to it.
    std::vector<std::string> Contents() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
            names.push_back(std::filesystem::relative(entry.path(), path_).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class JobQueueTest : public ::testing::Test {
protected:
    void TearDown() override {
        shutdown_.store(true);
        if (queue_) queue_->Stop();
        queue_.reset();
    }

    void StartQueue(std::uint16_t port, bool extended = false, JobQueueOptions options = {}) {
        options.requestPort = port;
        queue_ =
            std::make_unique<CJobQueue>(&listeners_, &listeners_, extended, &shutdown_, options);
    }

    // Bounded wait until no job waits or runs (every worker has been reaped).
    bool WaitUntilIdle() {
        for (int i = 0; i < 500; ++i) {
            const JobQueueCounts counts = queue_->Counts();
            if (counts.lightWaiting == 0 && counts.downloadsWaiting == 0 &&
                counts.lightRunning == 0 && counts.downloadsRunning == 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    static Ipv4 Loopback() { return testing_support::LoopbackAddress(); }

    StopFlag shutdown_{false};
    RecordingListeners listeners_;
    ScratchFolder folder_;
    std::unique_ptr<CJobQueue> queue_;
};

}  // namespace client_test
