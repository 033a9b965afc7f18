#include "net/transfer_progress.h"

#include <limits>

namespace net::detail {
namespace {
constexpr long long kReportIntervalMs = 1000;
}

unsigned PercentOf(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return 100;
    if (done >= total) return 100;
    // Stay in integers so that exact fractions are not rounded down by floating point.
    if (done <= std::numeric_limits<std::uint64_t>::max() / 100) {
        return static_cast<unsigned>(done * 100 / total);
    }
    return static_cast<unsigned>(done / (total / 100));
}

void TransferProgress::Start() {
    lastReport_ = Clock::now();
    if (listener_ != nullptr) listener_->OnTransferStart(context_);
}

void TransferProgress::Add(std::uint64_t bytes) {
    done_ += bytes;
    if (listener_ == nullptr) return;
    const long long elapsed = MillisecondsSince(lastReport_);
    if (elapsed <= kReportIntervalMs) return;
    averager_.AddSample(done_ - doneAtLastReport_, static_cast<std::uint32_t>(elapsed));
    lastReport_ = Clock::now();
    doneAtLastReport_ = done_;
    listener_->OnTransferProgress(context_, PercentOf(done_, total_),
                                  static_cast<float>(averager_.Speed()));
}

void TransferProgress::End(bool success) {
    if (listener_ != nullptr) listener_->OnTransferEnd(context_, success);
}

}  // namespace net::detail
