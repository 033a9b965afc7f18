#include "cli/client_session.h"

#include <poll.h>

#include <array>

#include "cli/signal_watch.h"

namespace cli {

ClientSession::ClientSession(const GlobalOptions& options, bool extendedHostInfo,
                             bool verifyDownloads) {
    JobQueueOptions queueOptions;
    queueOptions.requestPort = options.requestPort;
    queueOptions.verifyDownloads = verifyDownloads;
    JobListener* jobs = this;
    DownloadListener* downloads = this;
    queue_ =
        std::make_unique<CJobQueue>(jobs, downloads, extendedHostInfo, &shutdown_, queueOptions);
}

ClientSession::~ClientSession() {
    shutdown_ = true;
    cancel_ = true;
    dispatcher_.BeginShutdown();
    queue_->Stop();
    queue_.reset();
}

ClientSession::End ClientSession::Run(const std::function<bool()>& done, SignalWatch* signals,
                                      std::chrono::milliseconds limit,
                                      const std::function<void()>& tick,
                                      std::chrono::milliseconds tickPeriod) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    auto nextTick = Clock::now() + tickPeriod;
    while (!done()) {
        const auto now = Clock::now();
        if (now >= deadline) return End::TimedOut;
        if (tick && now >= nextTick) {
            tick();
            nextTick = now + tickPeriod;
        }
        auto wakeAt = deadline;
        if (tick && nextTick < wakeAt) wakeAt = nextTick;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wakeAt - now);

        std::array<pollfd, 2> watched{};
        watched[0] = {dispatcher_.WakeDescriptor(), POLLIN, 0};
        nfds_t count = 1;
        if (signals != nullptr && signals->Valid())
            watched[count++] = {signals->Descriptor(), POLLIN, 0};
        const int timeout = static_cast<int>(std::min<long long>(wait.count() + 1, 60'000));
        if (poll(watched.data(), count, timeout) < 0) continue;
        if (count > 1 && (watched[1].revents & POLLIN) != 0 && signals->Take() != 0) {
            cancel_ = true;
            return End::Interrupted;
        }
        if ((watched[0].revents & POLLIN) != 0) dispatcher_.RunPending();
    }
    return End::Done;
}

void ClientSession::OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                                   std::size_t leftOut) {
    dispatcher_.RunOnUiThread([&] {
        if (onExpand) onExpand(id, listing, success, leftOut);
    });
}

void ClientSession::OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) {
    if (!success) return;
    dispatcher_.RunOnUiThread([&] {
        if (onHostInfo) onHostInfo(id, hostInfo);
    });
}

// A download's reports answer nothing: its worker goes on (and the next file starts) without
// waiting for the main thread.
void ClientSession::OnDownloadStarted(JobId id) {
    dispatcher_.Post([this, id] {
        if (onDownloadStarted) onDownloadStarted(id);
    });
}

void ClientSession::OnDownloadProgress(JobId id, unsigned percent, float speedKBs) {
    dispatcher_.Post([this, id, percent, speedKBs] {
        if (onDownloadProgress) onDownloadProgress(id, percent, speedKBs);
    });
}

void ClientSession::OnDownloadFinished(JobId id, const util::Status& outcome) {
    dispatcher_.Post([this, id, outcome] {
        if (onDownloadFinished) onDownloadFinished(id, outcome);
    });
}

void ClientSession::OnDownloadVerified(JobId id) {
    dispatcher_.Post([this, id] {
        if (onDownloadVerified) onDownloadVerified(id);
    });
}

}  // namespace cli
