// Drives one transfer's progress listener: start once, a progress report at most about once a
// second with the speed averaged over the last ten reports, end once.
#pragma once

#include <cstdint>

#include "net/progress.h"
#include "net/readiness.h"

namespace net::detail {

class TransferProgress {
public:
    TransferProgress(ProgressListener* listener, void* context, std::uint64_t total)
        : listener_(listener), context_(context), total_(total) {}

    void Start();
    // Counts bytes moved; reports when more than a second has passed since the last report.
    void Add(std::uint64_t bytes);
    // Counts bytes that were there before the transfer began (a resumed file): they show in the
    // percentage, not in the speed.
    void Skip(std::uint64_t bytes) {
        done_ += bytes;
        doneAtLastReport_ += bytes;
    }
    void End(bool success);

    std::uint64_t Done() const { return done_; }

private:
    ProgressListener* listener_;
    void* context_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::uint64_t doneAtLastReport_ = 0;
    Clock::time_point lastReport_ = Clock::now();
    SpeedAverager averager_;
};

// Whole percent of done/total, truncated; 100 for an empty transfer.
unsigned PercentOf(std::uint64_t done, std::uint64_t total);

}  // namespace net::detail
