// The listener side of the share server: accepting, bounding, scheduling and reaping connections.
#include "server/server_thread.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>
#include <unordered_map>

#include "net/send_queue.h"
#include "net/socket.h"
#include "server/server_connection.h"
#include "server/share_index_keeper.h"
#include "util/steady_ms.h"
#include "util/trace.h"
#include "util/wake_event.h"

namespace {

// Accepts per pass, so that a burst of connections cannot starve scheduling and reaping.
constexpr int kAcceptsPerPass = 16;
// While accepting fails for want of resources: how long the listening socket is left alone.
constexpr int kAcceptPauseMs = 100;
// The listener's planned wake-up time while it is awake: earlier than any deadline.
constexpr std::int64_t kListenerAwake = std::numeric_limits<std::int64_t>::max();
// While questions are open or replies go out: how often the listener looks at them.
constexpr std::int64_t kSupervisionPeriodMs = 1000;

// True when the peer has closed or reset the connection, without taking anything it sent.
bool PeerLeft(net::Socket socket) {
    pollfd entry{socket, POLLRDHUP, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

}  // namespace

CServerThread::CServerThread(UploadListener* uploadListener, ServerListener* serverListener,
                             PermissionListener* permissionListener, std::string hostName,
                             std::string versionText, const StopFlag* shutdown,
                             std::string settingsFile, ServerOptions options)
    : uploadListener_(uploadListener),
      serverListener_(serverListener),
      permissionListener_(permissionListener),
      versionText_(std::move(versionText)),
      systemText_(proto::OwnSystemText()),
      shutdown_(shutdown),
      options_(options),
      settings_(std::move(settingsFile)),
      hostName_(std::move(hostName)) {
    // Without its wake-up event the listener could not be stopped: serve nothing then.
    if (!wakeEvent_.valid()) return;
    if (options_.searchIndex) shareIndex_ = std::make_unique<server::ShareIndexKeeper>(settings_);
    listenSocket_ = net::CreateListener(options_.bindAddress, options_.port, SOMAXCONN);
    if (!listenSocket_.valid()) return;
    port_ = net::LocalPort(listenSocket_.get());
    try {
        thread_ = std::thread([this] { ListenerThreadFunction(); });
    } catch (const std::system_error&) {
        // Without a listener thread the server simply serves nothing.
        listenSocket_.reset();
        port_ = 0;
    }
}

CServerThread::~CServerThread() {
    Stop();
}

void CServerThread::SetHostName(const std::string& name) {
    std::lock_guard guard(lock_);
    hostName_ = name;
}

bool CServerThread::GetConnectionInfo(std::uint32_t id, ServerConnectionInfo* out) const {
    std::lock_guard guard(lock_);
    for (const auto* list : {&running_, &pending_}) {
        for (const Connection* connection : *list) {
            if (connection->id != id || connection->evicted) continue;
            if (out != nullptr) {
                out->requestKind = connection->requestKind;
                out->address = connection->address;
                out->argument = connection->argument;
            }
            return true;
        }
    }
    return false;
}

ServerCounts CServerThread::Counts() const {
    std::lock_guard guard(lock_);
    ServerCounts counts{.connections = connections_.size(),
                        .pending = pending_.size(),
                        .running = running_.size(),
                        .lightRunning = lightRunning_,
                        .sendsRunning = sendsRunning_};
    for (const auto& connection : connections_) {
        counts.reading += connection->stage == Connection::Stage::Reading ? 1 : 0;
        counts.asking += connection->stage == Connection::Stage::Asking ? 1 : 0;
    }
    return counts;
}

void CServerThread::Stop() {
    std::lock_guard stopGuard(stopLock_);
    stopping_ = true;
    WakeListener();
    if (thread_.joinable()) thread_.join();

    std::list<std::unique_ptr<Connection>> remaining;
    {
        std::lock_guard guard(lock_);
        // Waiting connections see `stopping_` and close without an answer; running ones see
        // their abort flag.
        for (auto& connection : connections_) connection->abort = true;
        remaining.splice(remaining.end(), connections_);
        pending_.clear();
        running_.clear();
        lightRunning_ = 0;
        sendsRunning_ = 0;
        connectionEnded_ = false;
    }
    startSignal_.notify_all();
    for (auto& connection : remaining) {
        if (connection->thread.joinable()) connection->thread.join();
    }
}

bool CServerThread::Stopping() const {
    return stopping_.load() || IsStopped(shutdown_);
}

void CServerThread::WakeListener() {
    wakeEvent_.Signal();
}

void CServerThread::ListenerThreadFunction() {
    // The listener sleeps until a connection, a wake-up or the next read deadline; the owner's
    // shutdown flag wakes it too.
    const StopWaker shutdownWaker(
        shutdown_, [](void* self) { static_cast<CServerThread*>(self)->WakeListener(); }, this);
    int timeoutMs = 0;
    bool acceptPaused = false;
    while (!Stopping()) {
        // While accepting fails for want of resources the listening socket stays readable; it is
        // left out of one poll slice so that the loop does not spin.
        pollfd fds[2] = {{wakeEvent_.fd(), POLLIN, 0}, {listenSocket_.get(), POLLIN, 0}};
        const int ready = ::poll(fds, acceptPaused ? 1 : 2, timeoutMs);
        acceptPaused = false;
        listenerWakeAtMs_ = kListenerAwake;
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) wakeEvent_.Drain();
        if (Stopping()) break;
        if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
            for (int i = 0; i < kAcceptsPerPass; ++i) {
                const AcceptResult result = AcceptOne();
                if (result == AcceptResult::OutOfResources) acceptPaused = true;
                if (result != AcceptResult::Accepted) break;
            }
        }
        const std::int64_t nextDeadline = Supervise();
        ReapEndedConnections();
        // One start per pass; another pass follows at once while something was started.
        if (StartOnePending()) {
            timeoutMs = 0;
        } else if (acceptPaused) {
            timeoutMs = kAcceptPauseMs;
        } else {
            timeoutMs = SleepUntil(nextDeadline);
        }
    }

    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        for (auto& connection : connections_) connection->abort = true;
    }
    startSignal_.notify_all();
    listenSocket_.reset();
}

CServerThread::AcceptResult CServerThread::AcceptOne() {
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    net::UniqueSocket socket(::accept4(listenSocket_.get(), reinterpret_cast<sockaddr*>(&peer),
                                       &peerLength, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!socket.valid()) {
        const bool outOfResources =
            errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
        return outOfResources ? AcceptResult::OutOfResources : AcceptResult::Nothing;
    }

    auto connection = std::make_unique<Connection>();
    Connection* raw = connection.get();
    {
        std::lock_guard guard(lock_);
        // A flood of connections is turned away instead of exhausting threads and memory.
        if (!AdmitFrom(peer.sin_addr.s_addr)) return AcceptResult::Accepted;
        connection->id = nextId_++;
        connection->address = peer.sin_addr.s_addr;
        connection->acceptedMs = SteadyMilliseconds();
        connection->socket = std::move(socket);
        connection->deadlineMs = connection->acceptedMs + options_.requestTimeoutMs;
        connections_.push_back(std::move(connection));
    }
    try {
        raw->thread = std::thread([this, raw] { ConnectionThreadFunction(*raw); });
    } catch (const std::system_error&) {
        std::lock_guard guard(lock_);
        connections_.remove_if([raw](const auto& c) { return c.get() == raw; });
    }
    return AcceptResult::Accepted;
}

// The one supervisor of every connection's time: request reads, keep-alives and questions past
// their deadline, questions whose asker has gone, replies that the peer takes too slowly.
std::int64_t CServerThread::Supervise() {
    const std::int64_t now = SteadyMilliseconds();
    std::int64_t next = kListenerAwake;
    std::lock_guard guard(lock_);
    for (auto& owned : connections_) {
        Connection& connection = *owned;
        const std::int64_t deadline = connection.deadlineMs.load();
        if (deadline != 0 && now >= deadline) {
            connection.abort = true;
        } else if (deadline != 0) {
            next = std::min(next, deadline);
        }
        if (connection.stage == Connection::Stage::Asking && !connection.abort.load()) {
            if (PeerLeft(connection.socket.get())) connection.abort = true;
            next = std::min(next, now + kSupervisionPeriodMs);
        }
        if (connection.stage == Connection::Stage::Running &&
            (connection.countedLight || connection.countedSend)) {
            CheckSendProgress(connection, now);
            next = std::min(next, now + std::min<std::int64_t>(kSupervisionPeriodMs,
                                                               options_.slowSendWindowMs / 2));
        }
    }
    return next;
}

// Called with lock_ held, for a counted running connection. Progress is what the peer takes,
// measured only while data waits for it: a reply still being made, or a job that sends nothing
// (a "hostmodified"), is not the peer's fault.
void CServerThread::CheckSendProgress(Connection& connection, std::int64_t now) {
    const auto state = net::ReadSendQueue(connection.socket.get());
    if (!state || !state->waitingForPeer) {
        connection.progressSinceMs = 0;
        return;
    }
    if (connection.progressSinceMs == 0) {
        connection.progressSinceMs = now;
        connection.ackedAtProgressStart = state->acked;
        return;
    }
    const std::int64_t elapsed = now - connection.progressSinceMs;
    if (elapsed < options_.slowSendWindowMs) return;
    const std::uint64_t taken = state->acked - connection.ackedAtProgressStart;
    if (taken * 1000 >= options_.minSendBytesPerSecond * static_cast<std::uint64_t>(elapsed)) {
        connection.progressSinceMs = now;
        connection.ackedAtProgressStart = state->acked;
        return;
    }
    XUTIL_DIAG("CServerThread: giving up connection %u: the peer took %llu bytes in %lld ms\n",
               connection.id, static_cast<unsigned long long>(taken),
               static_cast<long long>(elapsed));
    // A file send may watch a flag of the owner's instead of the abort flag; a socket shut down
    // ends any send at once. Closed with a reset, so that what the kernel still holds for the peer
    // is dropped too instead of trickling out after the connection has ended.
    const linger reset{.l_onoff = 1, .l_linger = 0};
    ::setsockopt(connection.socket.get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::shutdown(connection.socket.get(), SHUT_RDWR);
    connection.abort = true;
    connection.progressSinceMs = 0;
}

int CServerThread::SleepUntil(std::int64_t deadline) {
    listenerWakeAtMs_ = deadline;
    if (deadline == kListenerAwake) return -1;
    return static_cast<int>(std::clamp<std::int64_t>(deadline - SteadyMilliseconds(), 0,
                                                     std::numeric_limits<int>::max()));
}

void CServerThread::SetDeadline(Connection& connection, std::int64_t deadline) {
    connection.deadlineMs = deadline;
    // A deadline before the listener's planned wake-up (or one set while it is awake, after it
    // may have looked) needs it to plan again.
    if (deadline < listenerWakeAtMs_.load()) WakeListener();
}

void CServerThread::ReapEndedConnections() {
    std::list<std::unique_ptr<Connection>> ended;
    {
        std::lock_guard guard(lock_);
        if (!connectionEnded_) return;
        for (auto it = connections_.begin(); it != connections_.end();) {
            Connection& connection = **it;
            if (connection.stage != Connection::Stage::Ended) {
                ++it;
                continue;
            }
            if (connection.countedLight) --lightRunning_;
            if (connection.countedSend) --sendsRunning_;
            running_.remove(&connection);
            auto next = std::next(it);
            ended.splice(ended.end(), connections_, it);
            it = next;
        }
        connectionEnded_ = false;
    }
    // An ended connection's thread has nothing left to do but return.
    for (auto& connection : ended) {
        if (connection->thread.joinable()) connection->thread.join();
    }
}

// Called with lock_ held. The two rules of the pending list, where one host may hold only its
// share of either kind of slot; keep-alives count nowhere.
CServerThread::Connection* CServerThread::PickPending() const {
    struct Held {
        unsigned light = 0;
        unsigned sends = 0;
    };
    std::unordered_map<Ipv4, Held> held;
    for (const Connection* connection : running_) {
        held[connection->address].light += connection->countedLight ? 1 : 0;
        held[connection->address].sends += connection->countedSend ? 1 : 0;
    }
    const auto mayStart = [&](const Connection& connection) {
        if (connection.requestKind == proto::RequestKind::Ping) return true;
        const auto it = held.find(connection.address);
        if (it == held.end()) return true;
        return connection.light ? it->second.light < options_.maxLightRunningPerAddress
                                : it->second.sends < options_.maxSendsRunningPerAddress;
    };
    if (lightRunning_ < options_.maxLightRunning) {
        for (Connection* connection : pending_) {
            if (connection->light && mayStart(*connection)) return connection;
        }
    }
    if (sendsRunning_ < options_.maxSendsRunning) {
        for (Connection* connection : pending_) {
            if (mayStart(*connection)) return connection;
        }
    }
    return nullptr;
}

bool CServerThread::StartOnePending() {
    {
        std::lock_guard guard(lock_);
        if (pending_.empty() || Stopping()) return false;
        Connection* connection = PickPending();
        if (connection == nullptr) return false;
        pending_.remove(connection);
        connection->stage = Connection::Stage::Running;
        // Keep-alive connections last as long as their host is known: they count nowhere.
        if (connection->requestKind != proto::RequestKind::Ping) {
            connection->countedLight = connection->light;
            connection->countedSend = !connection->light;
            lightRunning_ += connection->countedLight ? 1 : 0;
            sendsRunning_ += connection->countedSend ? 1 : 0;
        }
        running_.push_back(connection);
    }
    startSignal_.notify_all();
    return true;
}
