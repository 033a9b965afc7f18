// The real network's side of the search box: each host's search runs on a worker thread and
// reports through the search listener (which hops onto the UI thread). One search per host runs
// at a time, and at most kMaxSearchWorkers at once, so a LAN of many hosts costs a bounded
// number of threads and connections; the search call's own time limit bounds a host that stalls.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/types.h"
#include "ui/controller/host_search.h"

namespace ui {

inline constexpr std::size_t kMaxSearchWorkers = 16;

// Asks one host; watches `stop`, which is set when the search is cancelled or the program ends.
using SearchCall =
    std::function<SearchReply(Ipv4 address, const std::string& pattern, const StopFlag* stop)>;

class HostSearches {
public:
    HostSearches(SearchListener& listener, SearchCall call);
    // Stop, if that has not happened.
    ~HostSearches();
    HostSearches(const HostSearches&) = delete;
    HostSearches& operator=(const HostSearches&) = delete;

    SearchId Start(Ipv4 address, const std::string& pattern);
    // A waiting search is dropped, a running one is told to stop; neither reports.
    void Cancel(SearchId id);
    // Cancels everything and waits for the workers. Nothing starts afterwards.
    void Stop();

private:
    struct Pending {
        SearchId id = 0;
        Ipv4 address = 0;
        std::string pattern;
    };
    void Work();
    // The first waiting search whose host is not being asked; false when there is none.
    bool TakeNext(Pending& next);

    SearchListener& listener_;
    const SearchCall call_;
    std::mutex lock_;
    std::condition_variable wake_;
    SearchId nextId_ = 1;
    std::deque<Pending> pending_;
    std::set<Ipv4> busyHosts_;
    std::map<SearchId, std::shared_ptr<StopFlag>> running_;
    std::vector<std::thread> workers_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};

}  // namespace ui
