// A client must finish each request's head within a time limit, however slowly it trickles it:
// the HTTP engine's own time-out only counts silence, so a slow-loris client that sends a byte
// every few seconds would otherwise hold its connection for good. Connections that are being
// answered (a long download) are never cut.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace web {

class HeaderDeadline {
public:
    struct Watch;

    // `cut` is called with a connection's descriptor when its head came too slowly; it must end
    // the connection without closing the descriptor (shutdown), which the engine still owns.
    HeaderDeadline(std::int64_t limitMs, std::function<void(int)> cut);
    ~HeaderDeadline();
    HeaderDeadline(const HeaderDeadline&) = delete;
    HeaderDeadline& operator=(const HeaderDeadline&) = delete;

    // A connection was accepted; the handle lives until Forget.
    Watch* Add(int descriptor);
    // Its head has arrived: the request is being answered.
    void Answering(Watch* watch);
    // Its answer is done; the next request's head has the limit again.
    void Waiting(Watch* watch);
    // The connection is closed (before its descriptor is).
    void Forget(Watch* watch);

private:
    void Run();

    const std::int64_t limitMs_;
    const std::function<void(int)> cut_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::list<Watch> watches_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace web
