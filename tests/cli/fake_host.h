// A host on loopback that answers requests from a table the test fills in, including answers no
// honest host would give: hostile listings, silence, a connection closed mid-file.
#pragma once

#include <arpa/inet.h>
#include <sys/socket.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/framing.h"
#include "net/socket.h"

namespace cli_test {

class FakeHost {
public:
    FakeHost() {
        listener_ = net::CreateListener(htonl(INADDR_LOOPBACK), 0);
        if (listener_.valid()) port_ = net::LocalPort(listener_.get());
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeHost() {
        stop_ = true;
        thread_.join();
        for (auto& worker : workers_) worker.join();
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    std::uint16_t Port() const { return port_; }

    // The answer to one request line: a framed reply, silence until the test ends, or bytes sent
    // as they stand before closing (for replies that break off). Other requests are closed at once.
    void SetReply(const std::string& request, std::string reply) {
        Set(request, {Kind::Reply, std::move(reply)});
    }
    void SetSilent(const std::string& request) { Set(request, {Kind::Silent, {}}); }
    void SetRaw(const std::string& request, std::string bytes) {
        Set(request, {Kind::Raw, std::move(bytes)});
    }

    std::vector<std::string> Requests() const {
        std::lock_guard guard(lock_);
        return requests_;
    }

private:
    enum class Kind { Close, Reply, Silent, Raw };
    struct Answer {
        Kind kind = Kind::Close;
        std::string text;
    };

    void Set(const std::string& request, Answer answer) {
        std::lock_guard guard(lock_);
        answers_[request] = std::move(answer);
    }

    void Serve() {
        while (!stop_) {
            net::UniqueSocket connection = net::AcceptConnection(listener_.get(), &stop_, nullptr);
            if (!connection.valid()) continue;
            workers_.emplace_back([this, socket = std::make_shared<net::UniqueSocket>(
                                             std::move(connection))] { Respond(socket->get()); });
        }
    }

    void Respond(net::Socket socket) {
        std::string request;
        if (!net::ReceiveString(socket, request, &stop_, 64 * 1024)) return;
        Answer answer;
        {
            std::lock_guard guard(lock_);
            requests_.push_back(request);
            if (const auto found = answers_.find(request); found != answers_.end()) {
                answer = found->second;
            }
        }
        if (answer.kind == Kind::Reply) net::SendString(socket, answer.text, &stop_);
        if (answer.kind == Kind::Raw) {
            ::send(socket, answer.text.data(), answer.text.size(), MSG_NOSIGNAL);
        }
        while (answer.kind == Kind::Silent && !stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    net::UniqueSocket listener_;
    std::uint16_t port_ = 0;
    StopFlag stop_{false};
    mutable std::mutex lock_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
    std::thread thread_;
    std::vector<std::thread> workers_;
};

}  // namespace cli_test
