// One accepted connection of the share server, from acceptance until it is reaped.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "core/types.h"
#include "net/socket.h"
#include "protocol/get_request.h"
#include "protocol/request_protocol.h"
#include "server/server_thread.h"
#include "util/steady_ms.h"

struct CServerThread::Connection {
    enum class Stage { Reading, Asking, Pending, Running, Ended };

    // Set (by the listener thread) when a deadline passes, when the connection gives way and when
    // the server stops. Reads, questions and light replies always watch it; a file send watches it
    // unless OnUploadRequested hands out another flag, and is ended by shutting the socket down.
    StopFlag abort{false};
    // Steady-clock milliseconds by which the current read or question must be done; 0 while none.
    std::atomic<std::int64_t> deadlineMs{0};
    // The flag the file send watches. Touched only by the connection's own thread once started.
    const StopFlag* stopFlag = &abort;

    // Written before the connection thread starts.
    std::uint32_t id = 0;
    Ipv4 address = 0;
    std::int64_t acceptedMs = 0;
    // Used by the connection thread; closed by it under the server lock, so that the listener may
    // look at it under the lock while the connection asks or runs.
    net::UniqueSocket socket;
    std::thread thread;

    // Written by the connection thread before it queues itself; read under the server lock after.
    proto::RequestKind requestKind = proto::RequestKind::Unknown;
    bool light = true;

    // Of a folder stream: the files asked for, and the share folder the stream stays in. Written
    // by the connection thread alone.
    std::vector<std::string> selection;
    std::string shareRoot;

    // Guarded by the server lock.
    std::string argument;
    // Of a "wdx-get": what the client holds already (its path is in `argument`).
    proto::GetRequest getRequest;
    Stage stage = Stage::Reading;
    // Closed to make room for another peer's connection; counts toward no bound from then on.
    bool evicted = false;
    bool countedLight = false;
    bool countedSend = false;
    // Of a counted running connection: since when, and from what count of bytes the peer had
    // taken, its progress is measured (0: not while nothing waits for the peer).
    std::int64_t progressSinceMs = 0;
    std::uint64_t ackedAtProgressStart = 0;

    // Not running yet: what the bounds on waiting connections count.
    bool IsWaiting() const {
        return stage == Stage::Reading || stage == Stage::Asking || stage == Stage::Pending;
    }
};
