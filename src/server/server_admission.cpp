// Admission of accepted connections. The bounds on waiting and live connections are shared
// between peers: when they are full, the peer that holds the most gives up its newest connection
// to a peer that holds fewer, so one host opening connections without end (keep-alives that it
// keeps pinging, or silent ones that it reopens as they time out) cannot lock the others out,
// while a single busy host may still use every slot that nobody else wants.
#include <unordered_map>

#include "server/server_connection.h"

// Called with lock_ held.
bool CServerThread::AdmitFrom(Ipv4 address, bool& evictedPending) {
    struct Share {
        std::size_t alive = 0;
        std::size_t waiting = 0;
        // What may be closed without harm to a running transfer: a connection still reading or
        // waiting for its start, or a keep-alive.
        Connection* newestWaiting = nullptr;
        Connection* newestEvictable = nullptr;
    };
    std::unordered_map<Ipv4, Share> shares;
    std::size_t alive = 0;
    std::size_t waiting = 0;
    for (const auto& owned : connections_) {
        Connection& connection = *owned;
        if (connection.evicted) continue;
        Share& share = shares[connection.address];
        ++alive;
        ++share.alive;
        const bool isWaiting = connection.stage == Connection::Stage::Reading ||
                               connection.stage == Connection::Stage::Pending;
        const bool isPing = connection.stage == Connection::Stage::Running &&
                            connection.jobType == proto::JobType::Ping;
        if (isWaiting) {
            ++waiting;
            ++share.waiting;
            share.newestWaiting = &connection;
        }
        if (isWaiting || isPing) share.newestEvictable = &connection;
    }
    const bool waitingFull = waiting >= options_.maxWaiting;
    if (!waitingFull && alive < options_.maxConnections) return true;

    // A waiting connection given up frees a live slot as well.
    const auto held = [&](const Share& share) { return waitingFull ? share.waiting : share.alive; };
    const auto candidate = [&](const Share& share) {
        return waitingFull ? share.newestWaiting : share.newestEvictable;
    };
    const auto own = shares.find(address);
    const std::size_t newcomerHeld = own == shares.end() ? 0 : held(own->second);
    // Only a peer with at least two more than the newcomer gives one up, so that two peers never
    // take a slot back and forth.
    Connection* victim = nullptr;
    std::size_t most = newcomerHeld + 1;
    for (const auto& [peer, share] : shares) {
        if (candidate(share) != nullptr && held(share) > most) {
            most = held(share);
            victim = candidate(share);
        }
    }
    if (victim == nullptr) return false;
    Evict(*victim, evictedPending);
    return true;
}

// Called with lock_ held. The connection's own thread notices its abort flag (reading, keep-alive)
// or the start signal (waiting) and closes it.
void CServerThread::Evict(Connection& connection, bool& evictedPending) {
    connection.evicted = true;
    connection.abort = true;
    if (connection.stage == Connection::Stage::Pending) {
        pending_.remove(&connection);
        evictedPending = true;
    }
}
