// A request server on 127.0.0.1 for the job queue's tests: records every request line in the order
// it arrives and lets each test decide the reply. Handlers can be held at a gate to keep workers
// busy, which makes the queue's scheduling visible in the order of later arrivals.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/framing.h"
#include "support/loopback.h"

namespace client_test {

using namespace std::chrono_literals;

class FakeRequestServer {
public:
    using Handler = std::function<void(FakeRequestServer&, net::Socket, const std::string&)>;

    explicit FakeRequestServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = testing_support::ListenOnLoopback();
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    ~FakeRequestServer() {
        stop_.store(true);
        gate_.notify_all();
        acceptor_.join();
        for (auto& connection : connections_) connection.join();
    }
    FakeRequestServer(const FakeRequestServer&) = delete;
    FakeRequestServer& operator=(const FakeRequestServer&) = delete;

    std::uint16_t port() const { return listener_.port; }
    const StopFlag* stopFlag() const { return &stop_; }

    std::vector<std::string> Requests() const {
        std::lock_guard guard(mutex_);
        return requests_;
    }
    std::size_t Connections() const {
        std::lock_guard guard(mutex_);
        return connectionCount_;
    }
    // Bounded wait until at least `count` requests have arrived.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, limit, [&] { return requests_.size() >= count; });
    }

    // Called by a handler: blocks until the test lets one held handler go or the server stops.
    void Hold(const std::string& request) {
        const std::size_t kind = KindOf(request);
        std::unique_lock guard(mutex_);
        ++held_[kind];
        maxHeld_[kind] = std::max(maxHeld_[kind], held_[kind]);
        changed_.notify_all();
        gate_.wait(guard, [&] { return stop_.load() || open_ || permits_ > 0; });
        if (permits_ > 0) --permits_;
        --held_[kind];
    }
    void Release(int count = 1) {
        {
            std::lock_guard guard(mutex_);
            permits_ += count;
        }
        gate_.notify_all();
    }
    void ReleaseAll() {
        {
            std::lock_guard guard(mutex_);
            open_ = true;
        }
        gate_.notify_all();
    }
    bool WaitForHeld(std::size_t light, std::size_t downloads,
                     std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(
            guard, limit, [&] { return held_[kLight] == light && held_[kDownload] == downloads; });
    }
    // The most handlers of each kind ever held at the same time.
    std::size_t MaxHeldLight() const {
        std::lock_guard guard(mutex_);
        return maxHeld_[kLight];
    }
    std::size_t MaxHeldDownloads() const {
        std::lock_guard guard(mutex_);
        return maxHeld_[kDownload];
    }

private:
    static constexpr std::size_t kLight = 0;
    static constexpr std::size_t kDownload = 1;
    static std::size_t KindOf(const std::string& request) {
        return request.starts_with("retrieve") ? kDownload : kLight;
    }

    void AcceptLoop() {
        while (!stop_.load()) {
            net::UniqueSocket socket =
                net::AcceptConnection(listener_.socket.get(), &stop_, nullptr, 100);
            if (!socket.valid()) continue;
            std::lock_guard guard(mutex_);
            ++connectionCount_;
            connections_.emplace_back(
                [this, s = std::move(socket)]() mutable { Serve(std::move(s)); });
        }
    }

    void Serve(net::UniqueSocket socket) {
        std::string request;
        if (!net::ReceiveString(socket.get(), request, &stop_, net::kMaxRequestLength)) return;
        {
            std::lock_guard guard(mutex_);
            requests_.push_back(request);
        }
        changed_.notify_all();
        handler_(*this, socket.get(), request);
    }

    Handler handler_;
    testing_support::LoopbackListener listener_;
    StopFlag stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::condition_variable gate_;
    std::vector<std::string> requests_;
    std::size_t connectionCount_ = 0;
    std::array<std::size_t, 2> held_{};
    std::array<std::size_t, 2> maxHeld_{};
    int permits_ = 0;
    bool open_ = false;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace client_test
