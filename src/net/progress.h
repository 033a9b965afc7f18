// Progress reports for transfers of files and large blocks.
#pragma once

#include <array>
#include <cstdint>

namespace net {

// Implemented by whoever moves files (job queue, share server). Calls come in the order
// OnTransferStart, any number of OnTransferProgress, OnTransferEnd.
class ProgressListener {
public:
    // percent 0..100; speed in KB/s (1 KB = 1024 bytes).
    virtual void OnTransferStart(void* context) = 0;
    virtual void OnTransferProgress(void* context, unsigned percent, float speedKBs) = 0;
    virtual void OnTransferEnd(void* context, bool success) = 0;

protected:
    ~ProgressListener() = default;
};

// Average speed over the last ten progress samples.
class SpeedAverager {
public:
    void AddSample(std::uint64_t bytes, std::uint32_t milliseconds);
    // KB/s over all ten slots; 0 while no time has been recorded.
    double Speed() const;

private:
    struct Sample {
        std::uint64_t bytes = 0;
        std::uint32_t milliseconds = 0;
    };
    std::array<Sample, 10> samples_{};
    std::size_t cursor_ = 0;
};

}  // namespace net
