// A host on loopback whose request port the test scripts, including answers no honest host would
// give: hostile listings, silence, a connection closed mid-file. Each connection is served on a
// thread of its own; its request line is recorded in arrival order, so the order in which a client
// schedules its requests shows. Without an answer function it answers from a table the test fills
// in: a framed reply, silence until the host goes, or bytes sent as they stand before closing;
// other requests are closed at once.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
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

    // A held connection waits for Release before it is answered. Port 0: any free port.
    explicit FakeHost(Answer answer = {}, bool holding = false, Ipv4 address = LoopbackAddress(),
                      std::uint16_t port = 0)
        : answer_(std::move(answer)),
          holding_(holding),
          listener_(net::CreateListener(address, port)),
          thread_([this] { Accept(); }) {}
    ~FakeHost() {
        stop_ = true;
        thread_.join();
        for (auto& connection : connections_) connection.join();
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    bool Valid() const { return listener_.valid(); }
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
    // Answers the held connection with this request, or all of them and all that come later.
    void Release(const std::string& request = {}) {
        std::lock_guard guard(mutex_);
        released_.insert(request);
        holding_ = holding_ && !request.empty();
    }

    void SetReply(const std::string& request, std::string reply) {
        Set(request, {Kind::Reply, std::move(reply)});
    }
    void SetSilent(const std::string& request) { Set(request, {Kind::Silent, {}}); }
    void SetRaw(const std::string& request, std::string bytes) {
        Set(request, {Kind::Raw, std::move(bytes)});
    }

private:
    enum class Kind { Close, Reply, Silent, Raw };
    struct Entry {
        Kind kind = Kind::Close;
        std::string text;
    };

    void Set(const std::string& request, Entry entry) {
        std::lock_guard guard(mutex_);
        table_[request] = std::move(entry);
    }
    void AnswerFromTable(const std::string& request, net::Socket socket) {
        Entry entry;
        {
            std::lock_guard guard(mutex_);
            if (const auto found = table_.find(request); found != table_.end())
                entry = found->second;
        }
        if (entry.kind == Kind::Reply) net::SendString(socket, entry.text, &stop_);
        if (entry.kind == Kind::Raw) WriteRaw(socket, entry.text);
        while (entry.kind == Kind::Silent && !stop_)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
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
        while (holding_ && !released_.erase(request) && !stop_)
            poll_.wait_for(guard, std::chrono::milliseconds(5));
        guard.unlock();
        if (answer_)
            answer_(request, socket, stop_);
        else
            AnswerFromTable(request, socket);
    }

    Answer answer_;
    StopFlag stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable poll_;  // only to wait with the lock let go; nobody notifies it
    bool holding_;
    std::vector<std::string> requests_;
    std::map<std::string, Entry> table_;
    std::multiset<std::string> released_;
    net::UniqueSocket listener_;
    std::vector<std::thread> connections_;
    std::thread thread_;
};

}  // namespace testing_support
