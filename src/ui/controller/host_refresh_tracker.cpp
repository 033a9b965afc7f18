#include "ui/controller/host_refresh_tracker.h"

namespace ui {

void HostRefreshTracker::Queue(Ipv4 address) {
    const JobId info = network_.AddHostInfoJob(address, stop_);
    const JobId shares = network_.AddExpandJob(address, "\\", stop_);
    refreshes_[address] = Refresh{{info, shares}, clock_.NowMs(), false};
}

void HostRefreshTracker::OnNotice(Ipv4 address) {
    const auto found = refreshes_.find(address);
    if (found != refreshes_.end() &&
        (IsWaiting(address) || clock_.NowMs() - found->second.startedMs < kMinIntervalMs)) {
        found->second.noticeWaiting = true;
        return;
    }
    Queue(address);
}

void HostRefreshTracker::RunNoticed() {
    const std::uint32_t now = clock_.NowMs();
    std::vector<Ipv4> due;
    for (const auto& [address, refresh] : refreshes_) {
        if (refresh.noticeWaiting && now - refresh.startedMs >= kMinIntervalMs &&
            !IsWaiting(address)) {
            due.push_back(address);
        }
    }
    for (const Ipv4 address : due) Queue(address);
}

bool HostRefreshTracker::IsWaiting(Ipv4 address) const {
    const auto found = refreshes_.find(address);
    if (found == refreshes_.end()) return false;
    JobInfo job;
    for (const JobId id : found->second.jobs) {
        if (network_.GetJobInfo(id, job)) return true;
    }
    return false;
}

void HostRefreshTracker::Forget(Ipv4 address) {
    const auto found = refreshes_.find(address);
    if (found == refreshes_.end()) return;
    for (const JobId id : found->second.jobs) network_.CancelJob(id);
    refreshes_.erase(found);
}

}  // namespace ui
