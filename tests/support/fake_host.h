// A host on loopback whose request port the test scripts, including answers no honest host would
// give: hostile listings, a connection closed mid-file. Each connection is served on a thread of
// its own; its request line is recorded in arrival order, so the order in which a client schedules
// its requests shows. Without an answer function it answers from a table of framed replies the
// test fills in and closes other requests at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/framing.h"
#include "support/loopback.h"

namespace testing_support {

class FakeHost {
public:
    // Writes what it likes to the connection until it returns or the host goes.
    using Answer = std::function<void(const std::string& request, net::Socket, const StopFlag&)>;

    // A holding host answers no connection before Release.
    explicit FakeHost(Answer answer = {}, bool holding = false)
        : answer_(std::move(answer)),
          holding_(holding),
          listener_(net::CreateListener(LoopbackAddress(), 0)),
          thread_([this] { Accept(); }) {}
    ~FakeHost() {
        stop_ = true;
        thread_.join();
        for (auto& connection : connections_) connection.join();
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    std::uint16_t Port() const { return listener_.valid() ? net::LocalPort(listener_.get()) : 0; }
    std::vector<std::string> Requests() const {
        std::lock_guard guard(mutex_);
        return requests_;
    }
    bool WaitForRequests(std::size_t n) const {
        for (int i = 0; i < 1000 && Requests().size() < n; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Requests().size() >= n;
    }
    void Release() {
        std::lock_guard guard(mutex_);
        holding_ = false;
    }
    void SetReply(const std::string& request, std::string reply) {
        std::lock_guard guard(mutex_);
        replies_[request] = std::move(reply);
    }

private:
    void Accept() {
        while (!stop_ && listener_.valid()) {
            net::UniqueSocket socket = net::AcceptConnection(listener_.get(), &stop_, nullptr, 50);
            if (socket.valid())
                connections_.emplace_back([this, s = std::move(socket)] { Serve(s.get()); });
        }
    }
    void Serve(net::Socket socket) {
        std::string request;
        if (!net::ReceiveString(socket, request, &stop_, 64 * 1024)) return;
        std::unique_lock guard(mutex_);
        requests_.push_back(request);
        while (holding_ && !stop_) poll_.wait_for(guard, std::chrono::milliseconds(5));
        const auto reply = replies_.find(request);
        const bool known = reply != replies_.end();
        const std::string text = known ? reply->second : std::string();
        guard.unlock();
        if (answer_)
            answer_(request, socket, stop_);
        else if (known)
            net::SendString(socket, text, &stop_);
    }

    Answer answer_;
    StopFlag stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable poll_;  // only to wait with the lock let go; nobody notifies it
    bool holding_;
    std::vector<std::string> requests_;
    std::map<std::string, std::string> replies_;
    net::UniqueSocket listener_;
    std::vector<std::thread> connections_;
    std::thread thread_;
};

}  // namespace testing_support
