// A request server on 127.0.0.1 for the job queue's tests: records every request line in the order
// it arrives and lets each test decide the reply. Handlers can be held at a gate to keep workers
// busy, which makes the queue's scheduling visible in the order of later arrivals.
#pragma once

#include <algorithm>
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

    explicit FakeRequestServer(Handler handler)
        : handler_(std::move(handler)),
          listener_(testing_support::ListenOnLoopback()),
          acceptor_([this] { AcceptLoop(); }) {}
    ~FakeRequestServer() {
        stop_.store(true);
        gate_.notify_all();
        acceptor_.join();
        for (auto& connection : connections_) connection.join();
    }

    std::uint16_t port() const { return listener_.port; }
    const StopFlag* stopFlag() const { return &stop_; }

    std::vector<std::string> Requests() {
        std::lock_guard guard(mutex_);
        return requests_;
    }
    std::size_t Connections() {
        std::lock_guard guard(mutex_);
        return connections_.size();
    }
    bool WaitForRequests(std::size_t count) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, 5s, [&] { return requests_.size() >= count; });
    }

    // For handlers: blocks until the test lets one held handler go, or the server stops. The
    // most handlers ever held at once is kept per kind (light jobs, downloads).
    void Hold(const std::string& request) {
        const bool download = request.starts_with("retrieve");
        std::unique_lock guard(mutex_);
        auto& [held, most] = download ? downloads_ : light_;
        most = std::max(most, ++held);
        changed_.notify_all();
        gate_.wait(guard, [&] { return stop_.load() || open_ || permits_ > 0; });
        if (permits_ > 0) --permits_;
        --held;
    }
    void Release(bool all = false) {
        {
            std::lock_guard guard(mutex_);
            ++permits_;
            open_ = open_ || all;
        }
        gate_.notify_all();
    }
    bool WaitForHeld(std::size_t light, std::size_t downloads) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(
            guard, 5s, [&] { return light_.first == light && downloads_.first == downloads; });
    }
    std::size_t MostHeld(bool downloads) {
        std::lock_guard guard(mutex_);
        return downloads ? downloads_.second : light_.second;
    }

private:
    void AcceptLoop() {
        while (!stop_.load()) {
            net::UniqueSocket socket =
                net::AcceptConnection(listener_.socket.get(), &stop_, nullptr, 100);
            if (!socket.valid()) continue;
            std::lock_guard guard(mutex_);
            connections_.emplace_back([this, s = std::move(socket)] {
                std::string request;
                if (!net::ReceiveString(s.get(), request, &stop_, net::kMaxRequestLength)) return;
                {
                    std::lock_guard guard(mutex_);
                    requests_.push_back(request);
                }
                changed_.notify_all();
                handler_(*this, s.get(), request);
            });
        }
    }

    Handler handler_;
    StopFlag stop_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::condition_variable gate_;
    std::vector<std::string> requests_;
    std::pair<std::size_t, std::size_t> light_{}, downloads_{};  // held now, most held
    int permits_ = 0;
    bool open_ = false;
    std::vector<std::thread> connections_;
    testing_support::LoopbackListener listener_;
    std::thread acceptor_;
};

}  // namespace client_test
