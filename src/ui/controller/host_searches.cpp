#include "ui/controller/host_searches.h"

#include <algorithm>

namespace ui {

HostSearches::HostSearches(SearchListener& listener, SearchCall call)
    : listener_(listener), call_(std::move(call)) {}

HostSearches::~HostSearches() {
    Stop();
}

SearchId HostSearches::Start(Ipv4 address, const std::string& pattern) {
    std::lock_guard<std::mutex> guard(lock_);
    const SearchId id = nextId_++;
    if (stopping_) return id;
    pending_.push_back({id, address, pattern});
    if (idle_ == 0 && workers_.size() < kMaxSearchWorkers) {
        workers_.emplace_back([this] { Work(); });
    }
    // Idle workers may all be waiting for hosts that are busy; each looks again.
    wake_.notify_all();
    return id;
}

void HostSearches::Cancel(SearchId id) {
    std::lock_guard<std::mutex> guard(lock_);
    std::erase_if(pending_, [id](const Pending& search) { return search.id == id; });
    if (const auto running = running_.find(id); running != running_.end()) {
        running->second->store(true);
    }
}

void HostSearches::Stop() {
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        pending_.clear();
        for (const auto& [id, stop] : running_) stop->store(true);
        workers.swap(workers_);
    }
    wake_.notify_all();
    for (std::thread& worker : workers) worker.join();
}

bool HostSearches::TakeNext(Pending& next) {
    const auto free = std::find_if(pending_.begin(), pending_.end(), [this](const Pending& search) {
        return busyHosts_.count(search.address) == 0;
    });
    if (free == pending_.end()) return false;
    next = std::move(*free);
    pending_.erase(free);
    return true;
}

void HostSearches::Work() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        Pending search;
        ++idle_;
        wake_.wait(guard, [&] { return stopping_ || TakeNext(search); });
        --idle_;
        if (stopping_) return;
        busyHosts_.insert(search.address);
        const auto stop = std::make_shared<StopFlag>(false);
        running_[search.id] = stop;
        guard.unlock();
        const SearchReply reply = call_(search.address, search.pattern, stop.get());
        guard.lock();
        busyHosts_.erase(search.address);
        running_.erase(search.id);
        // The host is free again for a search that waits for it.
        wake_.notify_all();
        if (stop->load()) continue;
        guard.unlock();
        listener_.OnSearchReply(search.id, reply);
        guard.lock();
    }
}

}  // namespace ui
