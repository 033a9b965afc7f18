// The share server: answers the requests of other hosts on the request port from the local shares
// (listings, file sends, host information, keep-alive pings and "shares changed" notices), one
// thread per accepted connection, within separate limits for light jobs and file sends.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>

#include "core/parseini.h"
#include "core/types.h"
#include "net/socket.h"
#include "protocol/request_protocol.h"
#include "util/wake_event.h"

namespace server {
struct LocalPath;
class ShareIndexKeeper;
}  // namespace server

// Upload progress of a "retrieve" connection, in the order Started, any number of Progress,
// Finished. `id` is the connection id. Called on connection threads, without any server lock held.
class UploadListener {
public:
    virtual void OnUploadStarted(std::uint32_t id) = 0;
    // percent 0..100, speed in KB/s; at most about once a second.
    virtual void OnUploadProgress(std::uint32_t id, unsigned percent, float speedKBs) = 0;
    virtual void OnUploadFinished(std::uint32_t id, bool success) = 0;

protected:
    ~UploadListener() = default;
};

// Called on connection threads, without any server lock held.
class ServerListener {
public:
    // Just before a permitted file send starts. `stopFlagSlot` points at the flag the send will
    // watch; the listener may point it at a cancel flag of its own, which must then outlive the
    // send and be set at shutdown (the server's own stop no longer reaches that send).
    virtual void OnUploadRequested(std::uint32_t id, const StopFlag** stopFlagSlot) = 0;
    // A host reports that its shares changed; `address` is its IPv4 address (network order).
    virtual void OnHostModified(Ipv4 address) = 0;
    // A host asked for something other than a keep-alive: a copy of the program, not a forged
    // announcement. Called before the request is served.
    virtual void OnHostBrowsed(Ipv4 /*address*/) {}

protected:
    ~ServerListener() = default;
};

// Asked once per "retrieve" of a file that exists in a share, before anything is sent and before
// the connection waits for a send slot, on the connection's thread; a request for anything else
// closes without the question.
class PermissionListener {
public:
    // True lets the host (network order) download; false closes the connection without a reply.
    // `cancel` is set when the question is no longer wanted (the asking connection closed, the
    // question waited too long, the server stops); the answer is then ignored, so the listener
    // should return soon after, for instance through a StopWaker on it.
    virtual bool MayDownload(Ipv4 address, const StopFlag* cancel) = 0;

protected:
    ~PermissionListener() = default;
};

// What GetConnectionInfo tells about a waiting or running connection.
struct ServerConnectionInfo {
    proto::RequestKind requestKind = proto::RequestKind::Unknown;
    Ipv4 address = 0;
    // The request's share path; for a resolved "expand" or "retrieve" the local path instead.
    std::string argument;
};

struct ServerOptions {
    // Address (network order, 0 = any) and TCP port to listen on; port 0 binds an ephemeral port.
    Ipv4 bindAddress = 0;
    std::uint16_t port = kRequestPort;
    // Light connections started by the first scheduling rule, and file sends at a time.
    unsigned maxLightRunning = 20;
    unsigned maxSendsRunning = 10;
    // What one address may hold of either kind, so that a host whose connections crawl never
    // holds every slot while others wait. A host's job queue runs 10 light jobs and 5 downloads.
    unsigned maxLightRunningPerAddress = 15;
    unsigned maxSendsRunningPerAddress = 7;
    // All connections alive at once (reading, asking, waiting and running, pings included), and of
    // these the ones not running yet. Within both, one host alone with a burst is served whole,
    // some after waiting; when a bound is full, the host holding the most gives way (AdmitFrom).
    std::size_t maxConnections = 512;
    std::size_t maxWaiting = 384;
    // Connections of one address not running yet, contended or not.
    std::size_t maxWaitingPerAddress = 256;
    // The part of both bounds that only known hosts (SetHostKnown) may fill.
    std::size_t reservedForKnownPercent = 25;
    // Time a peer has to deliver its request line.
    int requestTimeoutMs = 10'000;
    // A keep-alive connection that sends nothing for this long is closed.
    int pingIdleTimeoutMs = 30'000;
    // Longest a permission question may wait for its answer. Shorter than the time a client
    // waits for the first byte of a file, so that the client learns of the refusal.
    int questionTimeoutMs = 90'000;
    // A reply the peer takes at less than this rate, measured over the window while data waits
    // for it, is given up: a reader that trickles must not hold a slot for good.
    std::size_t minSendBytesPerSecond = 8 * 1024;
    int slowSendWindowMs = 10'000;
    // Keep an index of the shares for "wdx-search" (a thread of its own; see
    // server/share_index_keeper.h). Without it a search finds nothing.
    bool searchIndex = true;
    // Longest a search waits for the first index after the server started.
    int searchIndexWaitMs = 5'000;
};

// Counters of the connection lists, for diagnostics and tests.
struct ServerCounts {
    // Every connection from acceptance until it is reaped.
    std::size_t connections = 0;
    std::size_t reading = 0;
    std::size_t asking = 0;
    std::size_t pending = 0;
    std::size_t running = 0;
    unsigned lightRunning = 0;
    unsigned sendsRunning = 0;
};

class CServerThread {
public:
    // All three listeners must be present and outlive the server. `settingsFile` is the settings
    // file whose "shares" section names the shared folders. `shutdown` is the owner's shutdown
    // flag (may be null). Binds the listening socket and starts the listener thread.
    CServerThread(UploadListener* uploadListener, ServerListener* serverListener,
                  PermissionListener* permissionListener, std::string hostName,
                  std::string versionText, const StopFlag* shutdown, std::string settingsFile,
                  ServerOptions options = {});
    // Calls Stop.
    ~CServerThread();
    CServerThread(const CServerThread&) = delete;
    CServerThread& operator=(const CServerThread&) = delete;

    // Later "gethostinfo" replies carry the new name.
    void SetHostName(const std::string& name);

    // Hosts the owner knows (discovered or added by hand) keep a part of every connection bound
    // for themselves, and their keep-alives never give way to anyone else's connections.
    void SetHostKnown(Ipv4 address, bool known);

    // True if a connection with this id waits or runs; fills `out` when given.
    bool GetConnectionInfo(std::uint32_t id, ServerConnectionInfo* out) const;

    // Ends the listener thread, closes the waiting connections without an answer and waits for the
    // running ones, whose transfers are stopped. Returns promptly whether or not the owner has set
    // the shutdown flag; sends that watch a cancel flag handed out by OnUploadRequested end when
    // that flag is set. Safe to call more than once.
    void Stop();

    // The TCP port the server listens on; 0 when it could not listen.
    std::uint16_t Port() const { return port_; }

    ServerCounts Counts() const;

private:
    struct Connection;

    enum class AcceptResult { Accepted, Nothing, OutOfResources };

    // Listener thread.
    void ListenerThreadFunction();
    AcceptResult AcceptOne();
    bool AdmitFrom(Ipv4 address);
    bool MayGiveWay(const Connection& connection, std::int64_t now) const;
    void Evict(Connection& connection);
    bool Stopping() const;
    // Ends what waited or crawled too long and questions whose asker left; returns when it
    // wants to look again.
    std::int64_t Supervise();
    void CheckSendProgress(Connection& connection, std::int64_t now);
    // Plans the listener's next wake-up; returns the poll timeout for it.
    int SleepUntil(std::int64_t deadline);
    // For connection threads: a new deadline that the listener must keep.
    void SetDeadline(Connection& connection, std::int64_t deadline);
    void ReapEndedConnections();
    bool StartOnePending();
    Connection* PickPending() const;
    void WakeListener();

    // Connection threads.
    void ConnectionThreadFunction(Connection& connection);
    bool ReadRequest(Connection& connection);
    bool ReadSelection(Connection& connection);
    bool AskPermission(Connection& connection);
    bool Enqueue(Connection& connection);
    bool WaitForStart(Connection& connection);
    void RunJob(Connection& connection);
    void ServeRetrieve(Connection& connection);
    void ServeFolderStream(Connection& connection);
    void ServeGet(Connection& connection);
    void ServePing(Connection& connection);
    void ServeExpand(Connection& connection);
    void ServeHostInfo(Connection& connection, bool extended);
    void ServeSearch(Connection& connection);
    bool ResolveArgument(Connection& connection, server::LocalPath& local);
    void UseLocalPath(Connection& connection, const server::LocalPath& local);
    void FinishConnection(Connection& connection);

    UploadListener* uploadListener_;
    ServerListener* serverListener_;
    PermissionListener* permissionListener_;
    const std::string versionText_;
    const std::string systemText_;
    const StopFlag* shutdown_;
    const ServerOptions options_;
    const utilcpp::CParseini settings_;
    std::unique_ptr<server::ShareIndexKeeper> shareIndex_;

    net::UniqueSocket listenSocket_;
    // When the listener means to wake up next (steady ms); the largest value while it is awake.
    std::atomic<std::int64_t> listenerWakeAtMs_{0};
    util::WakeEvent wakeEvent_;
    std::uint16_t port_ = 0;
    StopFlag stopping_{false};
    // Only the listener thread touches it.
    std::uint32_t nextId_ = 1;

    mutable std::mutex lock_;
    std::condition_variable startSignal_;
    std::string hostName_;
    std::unordered_set<Ipv4> knownHosts_;
    // Every connection from acceptance until it is reaped; `pending_` and `running_` order them.
    std::list<std::unique_ptr<Connection>> connections_;
    std::list<Connection*> pending_;
    std::list<Connection*> running_;
    unsigned lightRunning_ = 0;
    unsigned sendsRunning_ = 0;
    bool connectionEnded_ = false;

    std::mutex stopLock_;
    std::thread thread_;
};
