#include "server/share_index_keeper.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "server/share_listing.h"
#include "server/share_paths.h"
#include "util/steady_ms.h"
#include "util/trace.h"
#include "util/unique_fd.h"

namespace server {

namespace {

constexpr std::uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                         IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

// Reads what inotify has; true when anything was there.
bool DrainEvents(int fd) {
    alignas(inotify_event) std::array<char, 16 * 1024> buffer{};
    bool any = false;
    while (::read(fd, buffer.data(), buffer.size()) > 0) any = true;
    return any;
}

}  // namespace

ShareIndexKeeper::ShareIndexKeeper(utilcpp::CParseini settings, ShareIndexOptions options)
    : settings_(std::move(settings)), options_(options) {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // Without its thread the keeper has no index: searches find nothing.
        XUTIL_DIAG_IN("ShareIndexKeeper", "no thread for the share index\n");
    }
}

ShareIndexKeeper::~ShareIndexKeeper() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.Signal();
    built_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const ShareIndex> ShareIndexKeeper::Current(int waitMs,
                                                            const StopFlag* stop) const {
    std::unique_lock guard(lock_);
    // Sliced so that a set stop flag is noticed without anyone waking this wait.
    const std::int64_t until = SteadyMilliseconds() + waitMs;
    while (!current_ && !stopping_ && !IsStopped(stop) && SteadyMilliseconds() < until) {
        built_.wait_for(guard, std::chrono::milliseconds(50));
    }
    return current_;
}

void ShareIndexKeeper::Refresh() {
    {
        std::lock_guard guard(lock_);
        refreshAsked_ = true;
    }
    wake_.Signal();
}

std::uint64_t ShareIndexKeeper::Builds() const {
    std::lock_guard guard(lock_);
    return builds_;
}

std::int64_t ShareIndexKeeper::LastBuildMs() const {
    std::lock_guard guard(lock_);
    return lastBuildMs_;
}

ShareIndexKeeper::ShareList ShareIndexKeeper::ReadShares() const {
    ShareList shares;
    // Only a request may wait on a settings file that is no plain file (a pipe, a device): this
    // thread would otherwise block the server's stop and take the data meant for that request.
    struct stat info {};
    if (::stat(settings_.GetFileName().c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return shares;
    }
    for (const DirEntry& share : ListShares(settings_)) {
        std::string folder;
        if (LookupShareFolder(settings_, share.name, folder)) {
            shares.emplace_back(share.name, std::move(folder));
        }
    }
    return shares;
}

bool ShareIndexKeeper::Build(const ShareList& shares, int watcher) {
    const std::int64_t start = SteadyMilliseconds();
    auto index = std::make_shared<ShareIndex>();
    index->maxEntries = options_.maxEntries;
    bool allWatched = watcher >= 0;
    std::size_t watches = 0;
    auto onFolder = [&](const std::string& folder) {
        allWatched = allWatched && watches++ < options_.maxWatches &&
                     inotify_add_watch(watcher, folder.c_str(), kWatchedEvents) >= 0;
        std::lock_guard guard(lock_);
        return !stopping_;
    };
    for (const auto& [name, folder] : shares) index->AddShare(name, folder, onFolder);
    index->ShrinkToFit();
    if (index->Size() >= options_.maxEntries) {
        XUTIL_DIAG_IN("ShareIndexKeeper", "share index full at %zu names\n", index->Size());
    }
    {
        std::lock_guard guard(lock_);
        current_ = std::move(index);
        ++builds_;
        lastBuildMs_ = SteadyMilliseconds() - start;
    }
    built_.notify_all();
    return allWatched;
}

bool ShareIndexKeeper::WaitForChange(const ShareList& shares, int watcher, bool allWatched) {
    const std::int64_t builtAt = SteadyMilliseconds();
    std::int64_t shareCheckAt = builtAt + options_.shareCheckMs;
    std::int64_t changedAt = 0;  // first change not yet in the index
    std::int64_t lastEventAt = 0;
    for (;;) {
        {
            std::lock_guard guard(lock_);
            if (stopping_) return false;
            if (refreshAsked_) {
                refreshAsked_ = false;
                return true;
            }
        }
        const std::int64_t now = SteadyMilliseconds();
        if (changedAt != 0 &&
            (now - lastEventAt >= options_.settleMs || now - changedAt >= options_.maxSettleMs)) {
            return true;
        }
        if (!allWatched && now - builtAt >= options_.rescanMs) return true;
        if (now >= shareCheckAt) {
            if (ReadShares() != shares) return true;
            shareCheckAt = now + options_.shareCheckMs;
        }
        std::int64_t wakeAt = shareCheckAt;
        if (!allWatched) wakeAt = std::min(wakeAt, builtAt + options_.rescanMs);
        if (changedAt != 0) {
            wakeAt = std::min(
                {wakeAt, lastEventAt + options_.settleMs, changedAt + options_.maxSettleMs});
        }
        std::array<pollfd, 2> waits{pollfd{wake_.fd(), POLLIN, 0}, pollfd{watcher, POLLIN, 0}};
        const int timeout = static_cast<int>(std::clamp<std::int64_t>(wakeAt - now, 0, 60'000));
        if (::poll(waits.data(), watcher >= 0 ? 2 : 1, timeout) <= 0) continue;
        if ((waits[0].revents & POLLIN) != 0) wake_.Drain();
        if (watcher >= 0 && (waits[1].revents & POLLIN) != 0 && DrainEvents(watcher)) {
            lastEventAt = SteadyMilliseconds();
            if (changedAt == 0) changedAt = lastEventAt;
        }
    }
}

void ShareIndexKeeper::Run() {
    for (;;) {
        // A new watcher for each build: the folders of the last one may be gone.
        const util::UniqueFd watcher(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        const ShareList shares = ReadShares();
        const bool allWatched = Build(shares, watcher.get());
        if (!WaitForChange(shares, watcher.get(), allWatched)) return;
        // The next build waits as long as the last one took, so that a share that changes all
        // the time costs at most half a core.
        const std::int64_t pause = LastBuildMs();
        std::unique_lock guard(lock_);
        built_.wait_for(guard, std::chrono::milliseconds(pause), [this] { return stopping_; });
        if (stopping_) return;
    }
}

}  // namespace server
