// Keeps the index of this computer's shares fresh for "wdx-search": builds it on a thread of its
// own at start, and builds it anew (swapping it in whole) when the share list changes or a file
// or folder in a share does. Changes are seen through inotify on every indexed folder; where the
// watches run out, through a full rescan at a fixed period instead.
//
// Refresh bound: a change in a watched folder is in the index within settleMs (quiet time, at most
// maxSettleMs) plus one build; a change of the share list within shareCheckMs plus one build; an
// unwatched change within rescanMs plus one build. A new build starts no sooner than the last one
// took after it ended, so rebuilding costs at most half a core however busy the shares are.
//
// Memory: the index (ShareIndex::BytesPerEntry, about 70 bytes for names of 25 characters) of at
// most maxEntries names, twice over while a new index is built beside the one in use.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/parseini.h"
#include "core/types.h"
#include "server/share_index.h"
#include "util/wake_event.h"

namespace server {

struct ShareIndexOptions {
    int settleMs = 300;
    int maxSettleMs = 1'000;
    int shareCheckMs = 2'000;
    int rescanMs = 60'000;
    std::size_t maxEntries = 4'000'000;
    // inotify watches are counted per user across all programs: leave most to the others.
    std::size_t maxWatches = 32'768;
};

class ShareIndexKeeper {
public:
    // Reads the "shares" section of `settings`; starts building at once.
    explicit ShareIndexKeeper(utilcpp::CParseini settings, ShareIndexOptions options = {});
    ~ShareIndexKeeper();
    ShareIndexKeeper(const ShareIndexKeeper&) = delete;
    ShareIndexKeeper& operator=(const ShareIndexKeeper&) = delete;

    // The index in use; before the first build is done, waits for it up to `waitMs` (or until
    // `stop` is set) and returns null if it is still not there. Thread-safe.
    std::shared_ptr<const ShareIndex> Current(int waitMs, const StopFlag* stop) const;

    // Builds anew soon, e.g. when the owner changed the shares.
    void Refresh();

    // Builds finished so far, for tests and diagnostics.
    std::uint64_t Builds() const;
    // Milliseconds the last build took.
    std::int64_t LastBuildMs() const;

private:
    using ShareList = std::vector<std::pair<std::string, std::string>>;  // name, folder

    void Run();
    ShareList ReadShares() const;
    // Builds and publishes an index, watching each folder with `watcher` (when valid) before it is
    // read, so that no change after its reading is missed. False when not every folder is watched.
    bool Build(const ShareList& shares, int watcher);
    // Waits until something calls for a new build; false when stopping.
    bool WaitForChange(const ShareList& shares, int watcher, bool allWatched);

    const utilcpp::CParseini settings_;
    const ShareIndexOptions options_;
    util::WakeEvent wake_;

    mutable std::mutex lock_;
    mutable std::condition_variable built_;
    std::shared_ptr<const ShareIndex> current_;
    std::uint64_t builds_ = 0;
    std::int64_t lastBuildMs_ = 0;
    bool stopping_ = false;
    bool refreshAsked_ = false;

    std::thread thread_;
};

}  // namespace server
