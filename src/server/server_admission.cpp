// Admission of accepted connections. A host alone with a burst is served whole: what cannot run
// yet waits for its turn. Hosts that behave must stay served however many addresses a hostile host
// plays: part of every bound is kept for the hosts this program knows (discovered or added by
// hand), and when a bound is full the host that holds the most gives way to the newcomer, first
// with what holds a place without asking for anything, then with what waits.
#include <unordered_map>

#include "server/server_connection.h"

namespace {

// A connection younger than this may still be on its way to sending its request, so it is not
// idle yet: a client on the LAN asks within milliseconds of connecting. Kept short, because a
// flood that reopens its connections quickly would otherwise hold the table with young ones.
constexpr std::int64_t kIdleAfterMs = 250;

}  // namespace

void CServerThread::SetHostKnown(Ipv4 address, bool known) {
    std::lock_guard guard(lock_);
    if (known) {
        knownHosts_.insert(address);
    } else {
        knownHosts_.erase(address);
    }
}

// Called with lock_ held. Whether the connection may be closed for a newcomer when its host is the
// one to give way: not a young one still sending its request, nor a request being served.
bool CServerThread::MayGiveWay(const Connection& connection, std::int64_t now) const {
    switch (connection.stage) {
        case Connection::Stage::Reading:
            return now - connection.acceptedMs >= kIdleAfterMs;
        case Connection::Stage::Asking:
        case Connection::Stage::Pending:
            return true;
        case Connection::Stage::Running:
            // A known host's keep-alive is how it knows we are there; anyone else's guards nothing.
            return connection.requestKind == proto::RequestKind::Ping &&
                   !knownHosts_.contains(connection.address);
        case Connection::Stage::Ended:
            return false;
    }
    return false;
}

// Called with lock_ held.
bool CServerThread::AdmitFrom(Ipv4 address) {
    struct Tally {
        std::size_t alive = 0;
        std::size_t waiting = 0;
        bool known = false;
        // What gives way first: a connection that asks for nothing (the oldest), else the newest
        // one waiting, so that what has waited longest keeps its turn.
        Connection* idle = nullptr;
        Connection* newestWaiting = nullptr;
    };
    const std::int64_t now = SteadyMilliseconds();
    std::unordered_map<Ipv4, Tally> tallies;
    std::size_t alive = 0, waiting = 0, unknownAlive = 0, unknownWaiting = 0;
    for (const auto& owned : connections_) {
        Connection& connection = *owned;
        if (connection.evicted || connection.stage == Connection::Stage::Ended) continue;
        Tally& tally = tallies[connection.address];
        tally.known = knownHosts_.contains(connection.address);
        const bool isWaiting = connection.IsWaiting();
        ++alive;
        ++tally.alive;
        unknownAlive += tally.known ? 0 : 1;
        if (isWaiting) {
            ++waiting;
            ++tally.waiting;
            unknownWaiting += tally.known ? 0 : 1;
        }
        if (!MayGiveWay(connection, now)) continue;
        const bool asksNothing = connection.stage == Connection::Stage::Reading ||
                                 connection.stage == Connection::Stage::Running;
        if (asksNothing && tally.idle == nullptr) tally.idle = &connection;
        if (!asksNothing) tally.newestWaiting = &connection;
    }

    const bool known = knownHosts_.contains(address);
    const Tally own = tallies.contains(address) ? tallies[address] : Tally{};
    if (own.waiting >= options_.maxWaitingPerAddress) return false;
    const auto unknownShare = [&](std::size_t bound) {
        return bound - bound * options_.reservedForKnownPercent / 100;
    };
    const bool waitingFull = waiting >= options_.maxWaiting ||
                             (!known && unknownWaiting >= unknownShare(options_.maxWaiting));
    const bool aliveFull = alive >= options_.maxConnections ||
                           (!known && unknownAlive >= unknownShare(options_.maxConnections));
    if (!waitingFull && !aliveFull) return true;

    // The newcomer waits at first, so a full waiting bound needs a waiting connection to go. Hosts
    // we do not know give way first, the one holding the most; a known host never gives way to a
    // host we do not know. A host gives way only while it holds at least two more than the
    // newcomer's, so that two hosts never take a place back and forth; a known newcomer always
    // takes one from a host we do not know.
    Connection* victim = nullptr;
    bool victimKnown = true;
    std::size_t victimHeld = 0;
    for (const auto& [peer, tally] : tallies) {
        Connection* candidate = tally.idle;
        if (candidate == nullptr || (waitingFull && !candidate->IsWaiting())) {
            candidate = tally.newestWaiting;
        }
        if (candidate == nullptr) continue;
        if (tally.known && !known) continue;
        const bool fromUnknownForKnown = known && !tally.known;
        if (!fromUnknownForKnown && tally.alive < own.alive + 2) continue;
        const bool better = victim == nullptr || (victimKnown && !tally.known) ||
                            (victimKnown == tally.known && tally.alive > victimHeld);
        if (!better) continue;
        victim = candidate;
        victimKnown = tally.known;
        victimHeld = tally.alive;
    }
    if (victim == nullptr) return false;
    Evict(*victim);
    return true;
}

// Called with lock_ held. The connection's own thread notices its abort flag (reading, asking,
// keep-alive) or, waiting for its start, the start signal, and closes it.
void CServerThread::Evict(Connection& connection) {
    connection.evicted = true;
    connection.abort = true;
    if (connection.stage == Connection::Stage::Pending) {
        // Out of the list at once, so that no pass starts it meanwhile.
        pending_.remove(&connection);
        startSignal_.notify_all();
    }
}
