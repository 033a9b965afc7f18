// The listener side of the share server: accepting, bounding, scheduling and reaping connections.
#include "server/server_thread.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

#include "net/socket.h"
#include "server/server_connection.h"
#include "util/steady_ms.h"

namespace {

// Accepts per pass, so that a burst of connections cannot starve scheduling and reaping.
constexpr int kAcceptsPerPass = 16;
// While accepting fails for want of resources: how long the listening socket is left alone.
constexpr int kAcceptPauseMs = 100;
// The listener's planned wake-up time while it is awake: earlier than any deadline.
constexpr std::int64_t kListenerAwake = std::numeric_limits<std::int64_t>::max();

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
    int wakePipe[2];
    if (::pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
    wakeRead_ = wakePipe[0];
    wakeWrite_ = wakePipe[1];
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
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void CServerThread::SetHostName(const std::string& name) {
    std::lock_guard guard(lock_);
    hostName_ = name;
}

bool CServerThread::GetConnectionInfo(std::uint32_t id, ServerConnectionInfo* out) const {
    std::lock_guard guard(lock_);
    for (const auto* list : {&running_, &pending_}) {
        for (const Connection* connection : *list) {
            if (connection->id != id) continue;
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
    return ServerCounts{connections_.size(), reading_,      pending_.size(),
                        running_.size(),     lightRunning_, sendsRunning_};
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
        reading_ = 0;
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
    if (wakeWrite_ < 0) return;
    const char byte = 1;
    // A full pipe already guarantees a wake-up.
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &byte, 1);
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
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {listenSocket_.get(), POLLIN, 0}};
        const int ready = ::poll(fds, acceptPaused ? 1 : 2, timeoutMs);
        acceptPaused = false;
        listenerWakeAtMs_ = kListenerAwake;
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        if (Stopping()) break;
        if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
            for (int i = 0; i < kAcceptsPerPass; ++i) {
                const AcceptResult result = AcceptOne();
                if (result == AcceptResult::OutOfResources) acceptPaused = true;
                if (result != AcceptResult::Accepted) break;
            }
        }
        const std::int64_t nextDeadline = AbortExpiredReads();
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
    bool evictedPending = false;
    {
        std::lock_guard guard(lock_);
        // A flood of connections is turned away instead of exhausting threads and memory.
        if (!AdmitFrom(peer.sin_addr.s_addr, evictedPending)) return AcceptResult::Accepted;
        connection->id = nextId_++;
        connection->address = peer.sin_addr.s_addr;
        connection->acceptedMs = SteadyMilliseconds();
        connection->socket = std::move(socket);
        connection->deadlineMs = connection->acceptedMs + options_.requestTimeoutMs;
        ++reading_;
        connections_.push_back(std::move(connection));
    }
    if (evictedPending) startSignal_.notify_all();
    try {
        raw->thread = std::thread([this, raw] { ConnectionThreadFunction(*raw); });
    } catch (const std::system_error&) {
        std::lock_guard guard(lock_);
        --reading_;
        connections_.remove_if([raw](const auto& c) { return c.get() == raw; });
    }
    return AcceptResult::Accepted;
}

std::int64_t CServerThread::AbortExpiredReads() {
    const std::int64_t now = SteadyMilliseconds();
    std::int64_t next = kListenerAwake;
    std::lock_guard guard(lock_);
    for (auto& connection : connections_) {
        const std::int64_t deadline = connection->deadlineMs.load();
        if (deadline == 0) continue;
        if (now >= deadline) {
            connection->abort = true;
        } else {
            next = std::min(next, deadline);
        }
    }
    return next;
}

int CServerThread::SleepUntil(std::int64_t deadline) {
    listenerWakeAtMs_ = deadline;
    if (deadline == kListenerAwake) return -1;
    return static_cast<int>(std::clamp<std::int64_t>(deadline - SteadyMilliseconds(), 0,
                                                     std::numeric_limits<int>::max()));
}

void CServerThread::SetReadDeadline(Connection& connection, std::int64_t deadline) {
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

CServerThread::Connection* CServerThread::PickPending() {
    if (lightRunning_ < options_.maxLightRunning) {
        for (Connection* connection : pending_) {
            if (connection->light) return connection;
        }
    }
    if (sendsRunning_ < options_.maxSendsRunning && !pending_.empty()) return pending_.front();
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
