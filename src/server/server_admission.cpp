// Admission of accepted connections. Hosts that behave must stay served however many addresses a
// hostile host plays: part of every bound is kept for the hosts this program knows (discovered or
// added by hand), one address holds only so many connections, and when a bound is full a
// connection that holds a slot without asking for anything (a request line that has not come, a
// keep-alive of a host we do not know) gives way to the newcomer.
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

// Called with lock_ held.
bool CServerThread::IsIdle(const Connection& connection, std::int64_t now) const {
    if (connection.stage == Connection::Stage::Reading) {
        return now - connection.acceptedMs >= kIdleAfterMs;
    }
    // A known host's keep-alive is how it knows we are there; anyone else's guards nothing.
    return connection.stage == Connection::Stage::Running &&
           connection.requestKind == proto::RequestKind::Ping &&
           !knownHosts_.contains(connection.address);
}

// Called with lock_ held.
bool CServerThread::AdmitFrom(Ipv4 address, bool& evictedPending) {
    struct Tally {
        std::size_t alive = 0;
        std::size_t waiting = 0;
        bool known = false;
        // The oldest connection that could give way: idle, and for the waiting bound still
        // reading its request.
        Connection* oldestIdle = nullptr;
        Connection* oldestIdleWaiting = nullptr;
    };
    const std::int64_t now = SteadyMilliseconds();
    std::unordered_map<Ipv4, Tally> tallies;
    std::size_t alive = 0, waiting = 0, unknownAlive = 0, unknownWaiting = 0;
    for (const auto& owned : connections_) {
        Connection& connection = *owned;
        if (connection.evicted) continue;
        Tally& tally = tallies[connection.address];
        tally.known = knownHosts_.contains(connection.address);
        const bool isWaiting = connection.stage == Connection::Stage::Reading ||
                               connection.stage == Connection::Stage::Pending;
        ++alive;
        ++tally.alive;
        unknownAlive += tally.known ? 0 : 1;
        if (isWaiting) {
            ++waiting;
            ++tally.waiting;
            unknownWaiting += tally.known ? 0 : 1;
        }
        if (IsIdle(connection, now)) {
            if (tally.oldestIdle == nullptr) tally.oldestIdle = &connection;
            if (isWaiting && tally.oldestIdleWaiting == nullptr) {
                tally.oldestIdleWaiting = &connection;
            }
        }
    }

    const bool known = knownHosts_.contains(address);
    const Tally own = tallies.contains(address) ? tallies[address] : Tally{};
    if (own.alive >= (known ? options_.maxPerKnownAddress : options_.maxPerUnknownAddress)) {
        return false;
    }
    const auto unknownShare = [&](std::size_t bound) {
        return bound - bound * options_.reservedForKnownPercent / 100;
    };
    const bool waitingFull = waiting >= options_.maxWaiting ||
                             (!known && unknownWaiting >= unknownShare(options_.maxWaiting));
    const bool aliveFull = alive >= options_.maxConnections ||
                           (!known && unknownAlive >= unknownShare(options_.maxConnections));
    if (!waitingFull && !aliveFull) return true;

    // A waiting connection given up frees a live slot as well. Hosts we do not know give way
    // first, the one holding the most; a known host gives way only to another known host, and
    // only when it holds at least two more (so that two hosts never take a slot back and forth).
    Connection* victim = nullptr;
    bool victimKnown = true;
    std::size_t victimHeld = 0;
    for (const auto& [peer, tally] : tallies) {
        Connection* candidate = waitingFull ? tally.oldestIdleWaiting : tally.oldestIdle;
        if (candidate == nullptr) continue;
        const std::size_t held = waitingFull ? tally.waiting : tally.alive;
        if (tally.known && (!known || held < own.alive + 2)) continue;
        const bool better = victim == nullptr || (victimKnown && !tally.known) ||
                            (victimKnown == tally.known && held > victimHeld);
        if (!better) continue;
        victim = candidate;
        victimKnown = tally.known;
        victimHeld = held;
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
